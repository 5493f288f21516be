#include "conversion/shortcut_writer.h"

#include "conversion/bookmark_entry.h"

namespace merkwandel::conversion {

std::string ShortcutWriter::TargetFolder() {
  // The field keeps the "\" after the run.
  std::string folder = root_.Text(app::Field::tFavoriten);
  if (folder.empty() || folder.back() != '\\') {
    folder.push_back('\\');
    root_.SetText(app::Field::tFavoriten, folder);
  }
  return folder;
}

bool ShortcutWriter::HandleLineEnd(std::string_view entry) {
  const std::string folder = TargetFolder();
  if (entry.empty()) return false;
  const EntryParts parts = ReadEntry(entry);
  return Write(folder, parts.url, DecodeTitle(parts.title));
}

bool ShortcutWriter::WriteBookmark(std::string_view url, std::string_view title) {
  return Write(TargetFolder(), url, title);
}

bool ShortcutWriter::Write(const std::string& folder, std::string_view url, std::string_view title) {
  // A line end in the URL would begin a line of its own in the file (a
  // reference such as "&#10;", a database's text); a browser leaves them out
  // of a link as well.
  // (Two searches: find_first_of would search its set once per character.)
  std::string withoutLineEnds;
  if (url.find('\r') != std::string_view::npos || url.find('\n') != std::string_view::npos) {
    for (char c : url) {
      if (c != '\r' && c != '\n') withoutLineEnds.push_back(c);
    }
    url = withoutLineEnds;
  }
  if (url.empty() || url.size() > kMaxUrlLength) return false;
  const std::string name = ShortcutName(title);
  if (name.empty()) return false;
  std::string path;
  path.reserve(folder.size() + name.size() + 4);
  path.append(folder).append(name).append(".url");
  return root_.Platform().Files().WriteWholeFile(path, ShortcutContent(url));
}

}  // namespace merkwandel::conversion
