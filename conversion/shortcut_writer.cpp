#include "conversion/shortcut_writer.h"

#include "conversion/bookmark_entry.h"

namespace merkwandel::conversion {

bool ShortcutWriter::HandleLineEnd(std::string_view entry) {
  // The file name is built by plain concatenation, so the folder's text must
  // end in "\"; the field keeps the "\" after the run.
  std::string folder = root_.Text(app::Field::tFavoriten);
  if (folder.empty() || folder.back() != '\\') {
    folder.push_back('\\');
    root_.SetText(app::Field::tFavoriten, folder);
  }
  if (entry.empty()) return false;

  const EntryParts parts = ReadEntry(entry);
  if (parts.url.empty() || parts.url.size() > kMaxUrlLength) return false;
  const std::string name = ShortcutName(DecodeTitle(parts.title));
  if (name.empty()) return false;
  std::string path;
  path.reserve(folder.size() + name.size() + 4);
  path.append(folder).append(name).append(".url");
  return root_.Platform().Files().WriteWholeFile(path, ShortcutContent(parts.url));
}

}  // namespace merkwandel::conversion
