#include "conversion/conversion_run.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>

#include "conversion/bookmark_scanner.h"
#include "conversion/chromium_bookmarks.h"
#include "conversion/places_snapshot.h"
#include "conversion/run_progress.h"
#include "conversion/shortcut_writer.h"
#include "system/dateiexistenz.h"

namespace merkwandel::conversion {
namespace {

// The first bytes of every SQLite database file.
constexpr std::string_view kDatabaseHead{"SQLite format 3\0", 16};
// White space in front of a JSON file's "{" is read up to this far.
constexpr std::size_t kLongestLead = 64 * 1024;

// A file whose first bytes were read already: hands them out again first.
class ReadAgain final : public platform::InputFile {
 public:
  // The end or a failure met while reading the head, the file reports again
  // at the next read behind it.
  explicit ReadAgain(platform::InputFile& file) : file_(file), head_(ReadHead(file, kDatabaseHead.size())) {
    while (head_.size() < kLongestLead && FirstContent() == std::string::npos) {
      const std::string more = ReadHead(file, 4096);
      if (more.empty()) break;
      head_ += more;
    }
  }
  bool IsDatabase() const { return head_ == kDatabaseHead; }
  // A Chromium-family bookmark file: its first byte that is not white space
  // (behind a UTF-8 byte-order mark) is "{".
  bool IsJson() const {
    const std::size_t at = FirstContent();
    return at != std::string::npos && head_[at] == '{';
  }
  std::ptrdiff_t Read(char* buffer, std::size_t capacity) override {
    if (handedOut_ == head_.size()) return file_.Read(buffer, capacity);
    const std::size_t count = std::min(capacity, head_.size() - handedOut_);
    std::memcpy(buffer, head_.data() + handedOut_, count);
    handedOut_ += count;
    return static_cast<std::ptrdiff_t>(count);
  }
  std::optional<std::uint64_t> Size() override { return file_.Size(); }

 private:
  std::size_t FirstContent() const { return head_.find_first_not_of(" \t\r\n", head_.starts_with("\xEF\xBB\xBF") ? 3 : 0); }

  platform::InputFile& file_;
  std::string head_;
  std::size_t handedOut_ = 0;
};

using app::Control;
using app::Field;
using platform::MessageIcon;
using platform::MousePointer;

// The window locked for a run: the hourglass, the input controls disabled.
// Release gives it back, with its own caption, before the run shows
// anything; should the run leave by an exception instead (memory running
// out outside the readers, which end their reading themselves), the window
// is given back all the same and never stays locked.
class RunLock {
 public:
  RunLock(app::Root& root, RunProgress& progress) : root_(root), progress_(progress) {
    root.Platform().Ui().SetMousePointer(MousePointer::kHourglass);
    for (Control control : app::kInputControls) root.SetEnabled(control, false);
  }
  ~RunLock() {
    try {
      Release();
    } catch (...) {
    }
  }
  RunLock(const RunLock&) = delete;
  RunLock& operator=(const RunLock&) = delete;

  void Release() {
    if (!locked_) return;
    locked_ = false;
    progress_.Restore();
    root_.Platform().Ui().SetMousePointer(MousePointer::kDefault);
    for (Control control : app::kInputControls) root_.SetEnabled(control, true);
  }

 private:
  app::Root& root_;
  RunProgress& progress_;
  bool locked_ = true;
};

}  // namespace

std::string ReportText(std::size_t count) {
  return "Es wurden " + std::to_string(count) +
         " Favoriten aus der Firefox Lesezeichendatei exportiert.    ";
}

std::string MessageTitle(const app::Root& root) { return " " + root.Caption(); }

namespace {

void Run(app::Root& root) {
  auto& files = root.Platform().Files();
  auto& ui = root.Platform().Ui();
  auto show = [&](const std::string& text, MessageIcon icon) {
    ui.ShowMessage(text, MessageTitle(root), icon);
  };

  const bool sourceMissing = !system_helpers::FileExists(files, root.Text(Field::tHypertext));
  if (!system_helpers::PathExists(files, root.Text(Field::tFavoriten))) {
    // The trailing "\" makes the last folder of the path one to create.
    if (!files.MakeSureDirectoryPathExists(root.Text(Field::tFavoriten) + "\\")) {
      show(kFolderNotCreated, MessageIcon::kWarning);
    }
  }
  // A target that names a file can't take shortcuts: it counts as missing.
  const auto target = files.Attributes(root.Text(Field::tFavoriten));
  const bool folderMissing =
      !system_helpers::PathExists(files, root.Text(Field::tFavoriten)) ||
      !target || (*target & platform::kAttributeDirectory) == 0;
  if (folderMissing || sourceMissing) {
    show(kNotFound, MessageIcon::kError);
    return;
  }

  RunProgress progress(root);
  RunLock lock(root, progress);
  if (!ui.PumpEvents()) return lock.Release();

  {
    const std::string source = root.Text(Field::tHypertext);
    auto bookmarkFile = files.OpenForReading(source);
    std::optional<ReadAgain> file;
    if (bookmarkFile) file.emplace(*bookmarkFile);
    ShortcutWriter writer(root);
    const auto close = [&] {
      file.reset();
      bookmarkFile.reset();
    };
    ReadOutcome outcome = ReadOutcome::kRead;
    if (file && file->IsJson()) {
      outcome = ConvertChromiumBookmarks(root, writer, progress, *file, source, close);
    } else if (file && !file->IsDatabase()) {
      BookmarkScanner scanner(root, writer, progress);
      if (scanner.ReadAll(*file) == BookmarkScanner::Outcome::kWindowClosing) outcome = ReadOutcome::kWindowClosing;
    } else {
      // A Firefox bookmark database, or a file that can't be opened for
      // reading: held by another program without sharing, a folder, no
      // access. A copy tells them apart.
      close();
      outcome = ConvertPlacesSnapshot(root, writer, progress, source);
    }
    close();
    if (outcome == ReadOutcome::kWindowClosing) return lock.Release();
    if (outcome == ReadOutcome::kUnreadable) {
      lock.Release();
      show(kNotFound, MessageIcon::kError);
      return;
    }
  }

  if (!root.Sleep(1.0)) return lock.Release();

  root.DirFiles.SetPath(root.Text(Field::tFavoriten));
  if (!ui.PumpEvents()) return lock.Release();

  lock.Release();
  if (!ui.PumpEvents()) return;

  const std::size_t count = root.DirFiles.ListCount();
  if (count == 0) return;
  show(ReportText(count), MessageIcon::kInformation);
  // By its full path: a program started by its name alone is looked for in
  // the current directory first.
  const std::string windows = ui.WindowsFolder();
  if (windows.empty()) return;
  ui.StartProcess(windows + "\\explorer.exe", "Explorer.exe " + root.Text(Field::tFavoriten));
  ui.PumpEvents();
}

}  // namespace

void RunConversion(app::Root& root) {
  try {
    Run(root);
  } catch (...) {
    // Memory ran out outside the readers: the run ends quietly, the window
    // given back on the way out.
  }
}

}  // namespace merkwandel::conversion
