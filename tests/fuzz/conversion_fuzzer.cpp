// Fuzzes the conversion run, scanner and shortcut writer together on the
// host backend, with a temporary drive C: that holds the bookmark file, the
// target folder and files that must stay untouched. After every input it
// checks what is on disk:
// - nothing was created, changed or removed outside the target folder, and
//   the file that was already in the target folder is unchanged;
// - every file created has a name Windows accepts (no forbidden character,
//   no device name, ends in ".url"), is valid UTF-8 without control or
//   bidirectional control characters and has at most 49 characters before
//   ".url" (50 with a "_" in front of a device name), and holds exactly the
//   two lines
//   "[InternetShortcut]" and "URL=" + a non-empty URL, each ended by CR LF;
// - the report counts exactly the files in the target folder; only a file
//   that begins as a SQLite database may instead give the "Entweder
//   konnte ..." error (not Firefox's bookmarks), and then writes nothing.
// Crashes, leaks and undefined behaviour are caught by the sanitizers; a
// hang by libFuzzer's -timeout.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "app/root.h"
#include "conversion/bookmark_entry.h"
#include "conversion/conversion_run.h"
#include "platform/common/unicode.h"
#include "platform/common/windows_path.h"
#include "platform/host/host_platform.h"

namespace {

namespace fs = std::filesystem;
using namespace merkwandel;

constexpr char kKeepName[] = "behalten.txt";
constexpr char kKeepContent[] = "schon da";
constexpr char kOutsideName[] = "draussen.url";

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "INVARIANT BROKEN: %s\n", what.c_str());
  std::abort();
}

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void Write(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

const fs::path& Drive() {
  static const fs::path drive = [] {
    std::string pattern = (fs::temp_directory_path() / "merkwandel-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) Fail("no temporary folder");
    std::atexit([] {
      std::error_code ignored;
      fs::remove_all(Drive(), ignored);
    });
    return fs::path(pattern);
  }();
  return drive;
}

void CheckShortcut(const fs::path& file) {
  const std::string name = file.filename().string();
  if (!winpath::IsValidName(name)) Fail("name Windows refuses: " + name);
  if (winpath::IsReservedDeviceName(name)) Fail("device name: " + name);
  if (name.size() < 5 || name.compare(name.size() - 4, 4, ".url") != 0) Fail("no .url: " + name);
  std::size_t characters = 0;
  for (std::size_t i = 0; i + 4 < name.size(); ++characters) {
    const auto sequence = unicode::DecodeUtf8(std::string_view(name).substr(i));
    if (!sequence) Fail("not UTF-8: " + name);
    const char32_t c = sequence->codePoint;
    if ((c >= 0x7F && c <= 0x9F) || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069)) {
      Fail("control character in: " + name);
    }
    i += sequence->length;
  }
  if (characters > 50 || (characters == 50 && name[0] != '_')) Fail("name too long: " + name);
  const std::string content = Read(file);
  static constexpr std::string_view kHead = "[InternetShortcut]\r\nURL=";
  if (content.compare(0, kHead.size(), kHead) != 0) Fail("first line: " + name);
  if (content.size() < kHead.size() + 3 || content.compare(content.size() - 2, 2, "\r\n") != 0) {
    Fail("no URL or no CR LF at the end: " + name);
  }
  const std::string url = content.substr(kHead.size(), content.size() - kHead.size() - 2);
  if (url.find_first_of("\r\n") != std::string::npos) Fail("more than two lines: " + name);
  if (url.size() > conversion::kMaxUrlLength) Fail("URL too long: " + name);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fs::path& drive = Drive();
  std::error_code ignored;
  fs::remove_all(drive / "Favoriten", ignored);
  fs::create_directories(drive / "Favoriten" / "Ziel");
  fs::create_directories(drive / "Lesezeichen");
  Write(drive / "Favoriten" / "Ziel" / kKeepName, kKeepContent);
  Write(drive / "Favoriten" / kOutsideName, kKeepContent);
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
  std::size_t outside = 0;
  for (auto it = fs::recursive_directory_iterator(drive); it != fs::recursive_directory_iterator(); ++it) {
    const fs::path relative = fs::relative(it->path(), drive);
    const std::string top = relative.begin()->string();
    if (relative == fs::path("Favoriten") / "Ziel") {
      it.disable_recursion_pending();
      continue;
    }
    ++outside;
    if (relative != "Favoriten" && relative != "Lesezeichen" && relative != fs::path("Favoriten") / kOutsideName &&
        relative != fs::path("Lesezeichen") / "bookmarks.html") {
      Fail("created outside the target folder: " + relative.string());
    }
  }
  if (outside != 4) Fail("something outside the target folder went missing");
  if (Read(drive / "Favoriten" / kOutsideName) != kKeepContent) Fail("file outside the target folder changed");
  if (Read(drive / "Lesezeichen" / "bookmarks.html") != input) Fail("the bookmark file changed");

  std::size_t files = 0;
  for (const auto& entry : fs::directory_iterator(drive / "Favoriten" / "Ziel")) {
    if (!entry.is_regular_file()) Fail("not a file: " + entry.path().string());
    ++files;
    if (entry.path().filename() == kKeepName) {
      if (Read(entry.path()) != kKeepContent) Fail("the file already in the target folder changed");
      continue;
    }
    CheckShortcut(entry.path());
  }
  const auto& messages = platform.HostUi().messages;
  const bool database = input.starts_with(std::string_view("SQLite format 3\0", 16));
  if (database && messages.size() == 1 && messages[0].text == conversion::kNotFound) {
    if (files != 1) Fail("an unreadable database wrote shortcuts");
    return 0;
  }
  if (messages.size() != 1 || messages[0].text != conversion::ReportText(files)) {
    Fail("the report does not count the files in the target folder");
  }
  return 0;
}
