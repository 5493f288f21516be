// Fuzzes the conversion run, scanner and shortcut writer together on the
// host backend, with a temporary drive C: that holds the bookmark file, the
// target folder and files that must stay untouched. After every input it
// checks what is on disk:
// - nothing was created, changed or removed outside the target folder, and
//   the file that was already in the target folder is unchanged;
// - every file created has a name Windows accepts (no forbidden character,
//   no device name, ends in ".url"), is valid UTF-8 without control or
//   bidirectional control characters, neither begins nor ends with a blank
//   and has at most 49 characters before ".url" (50 with a "_" in front of
//   a device name, and a " (N)" of a name taken in the run behind them),
//   and holds exactly the two lines "[InternetShortcut]" and "URL=" + a
//   non-empty URL of at most 2083 UTF-16 units without control characters
//   nor "place:" at its start, each ended by CR LF;
// - the report counts exactly the files in the target folder; only a file
//   that begins as a SQLite database or (behind blanks and line ends) with
//   "{" may instead give the "Entweder konnte ..." error (not a browser's
//   bookmarks), and then writes nothing.
// Crashes, leaks and undefined behaviour are caught by the sanitizers; a
// hang by libFuzzer's -timeout.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "app/root.h"
#include "conversion/conversion_run.h"
#include "platform/common/unicode.h"
#include "platform/common/windows_path.h"
#include "platform/host/host_platform.h"

namespace {

namespace fs = std::filesystem;
using namespace merkwandel;

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "INVARIANT BROKEN: %s\n", what.c_str());
  std::abort();
}

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void Write(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

const fs::path& Drive() {  // a temporary folder, removed at the end
  static const fs::path drive = [] {
    std::string pattern = (fs::temp_directory_path() / "merkwandel-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) Fail("no temporary folder");
    std::atexit([] { std::error_code ignored; fs::remove_all(Drive(), ignored); });
    return fs::path(pattern);
  }();
  return drive;
}

void CheckShortcut(const fs::path& file) {
  const std::string name = file.filename().string();
  if (!winpath::IsValidName(name) || winpath::IsReservedDeviceName(name)) Fail("name Windows refuses: " + name);
  if (!name.ends_with(".url") || name.size() == 4) Fail("no .url: " + name);
  std::string_view stem = std::string_view(name).substr(0, name.size() - 4);
  const auto number = stem.rfind(" (");
  if (number != std::string_view::npos && number + 3 < stem.size() && stem.back() == ')' &&
      stem.find_first_not_of("0123456789", number + 2) == stem.size() - 1) {
    stem = stem.substr(0, number);
  }
  if (stem.starts_with(' ') || stem.ends_with(' ')) Fail("blank at an end: " + name);
  std::size_t characters = 0;
  for (std::size_t i = 0; i < stem.size(); ++characters) {
    const auto sequence = unicode::DecodeUtf8(stem.substr(i));
    if (!sequence) Fail("not UTF-8: " + name);
    const char32_t c = sequence->codePoint;
    if ((c >= 0x7F && c <= 0x9F) || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069)) {
      Fail("control character in: " + name);
    }
    i += sequence->length;
  }
  if (characters > 50 || (characters == 50 && name[0] != '_')) Fail("name too long: " + name);
  const std::string content = Read(file);
  const std::string head = "[InternetShortcut]\r\nURL=";
  if (!content.starts_with(head) || !content.ends_with("\r\n") || content.size() < head.size() + 3) {
    Fail("not the two lines: " + name);
  }
  const std::string url = content.substr(head.size(), content.size() - head.size() - 2);
  if (std::any_of(url.begin(), url.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }) ||
      unicode::Utf16Length(url) > 2083 || unicode::UpperCaseKey(url.substr(0, 6)) == "PLACE:") {
    Fail("URL: " + name);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fs::path& drive = Drive();
  fs::remove_all(drive / "Favoriten");
  fs::create_directories(drive / "Favoriten" / "Ziel");
  fs::create_directories(drive / "Lesezeichen");
  Write(drive / "Favoriten" / "Ziel" / "behalten.txt", "schon da");
  Write(drive / "Favoriten" / "draussen.url", "schon da");
  const std::string input(reinterpret_cast<const char*>(data), size);
  Write(drive / "Lesezeichen" / "bookmarks.html", input);

  platform::host::HostPlatform platform;
  platform.HostFiles().MapDrive('C', drive.string());
  platform.HostUi().UseVirtualClock(3600.0);
  {
    app::Root root(platform);
    root.SetText(app::Field::tHypertext, "C:\\Lesezeichen\\bookmarks.html");
    root.SetText(app::Field::tFavoriten, "C:\\Favoriten\\Ziel");
    conversion::RunConversion(root);
  }

  // Outside the target folder: exactly what was there before.
  std::set<std::string> outside;
  for (auto it = fs::recursive_directory_iterator(drive); it != fs::recursive_directory_iterator(); ++it) {
    const std::string relative = fs::relative(it->path(), drive).string();
    relative == "Favoriten/Ziel" ? it.disable_recursion_pending() : void(outside.insert(relative));
  }
  if (outside != std::set<std::string>{"Favoriten", "Favoriten/draussen.url", "Lesezeichen", "Lesezeichen/bookmarks.html"}) {
    Fail("something outside the target folder was made or went missing");
  }
  if (Read(drive / "Favoriten" / "draussen.url") != "schon da") Fail("file outside the target folder changed");
  if (Read(drive / "Lesezeichen" / "bookmarks.html") != input) Fail("the bookmark file changed");

  std::size_t files = 0;
  for (const auto& entry : fs::directory_iterator(drive / "Favoriten" / "Ziel")) {
    if (!entry.is_regular_file()) Fail("not a file: " + entry.path().string());
    ++files;
    if (entry.path().filename() != "behalten.txt") {
      CheckShortcut(entry.path());
    } else if (Read(entry.path()) != "schon da") {
      Fail("the file already in the target folder changed");
    }
  }
  const auto& messages = platform.HostUi().messages;
  std::string_view lead = input;
  if (lead.starts_with("\xEF\xBB\xBF")) lead.remove_prefix(3);
  const std::size_t first = lead.find_first_not_of(" \t\r\n");
  const bool database = input.starts_with(std::string_view("SQLite format 3\0", 16)) ||
                        (first != std::string_view::npos && lead[first] == '{');
  if (database && messages.size() == 1 &&
      messages[0].text == "Entweder konnte der Zielordner oder die Datei mit Lesezeichen nicht gefunden werden.    ") {
    if (files != 1) Fail("an unreadable database or JSON file wrote shortcuts");
    return 0;
  }
  if (messages.size() != 1 || messages[0].text != "Es wurden " + std::to_string(files) +
                                                      " Favoriten aus der Firefox Lesezeichendatei exportiert.    ") {
    Fail("the report does not count the files in the target folder");
  }
  return 0;
}
