// Micro-benchmarks of the conversion's parts over bookmark files held in
// memory, for finding where its time goes:
//  - the pure steps of one bookmark (ReadEntry, DecodeTitle, ShortcutName);
//  - the reading loop with its writer on a file system that stores nothing,
//    so that only reading, scanning and naming are measured;
//  - one shortcut file written by the host backend against the same file
//    written with plain open/write/close, in a folder on tmpfs (/dev/shm
//    when there is one), so that the backend's own share shows without a
//    disk behind it;
//  - the whole reading loop with real files on tmpfs.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>

#include "app/root.h"
#include "bench/bookmark_generator.h"
#include "conversion/bookmark_entry.h"
#include "conversion/bookmark_scanner.h"
#include "conversion/shortcut_writer.h"
#include "platform/host/host_platform.h"

namespace {

using namespace merkwandel;

// A bookmark file in memory.
class MemoryFile final : public platform::InputFile {
 public:
  explicit MemoryFile(std::string_view bytes) : bytes_(bytes) {}
  std::ptrdiff_t Read(char* buffer, std::size_t capacity) override {
    const std::size_t n = std::min(capacity, bytes_.size() - at_);
    std::memcpy(buffer, bytes_.data() + at_, n);
    at_ += n;
    return static_cast<std::ptrdiff_t>(n);
  }
  std::optional<std::uint64_t> Size() override { return bytes_.size(); }

 private:
  std::string_view bytes_;
  std::size_t at_ = 0;
};

// A file system that accepts every write and keeps nothing.
class NullFileSystem final : public platform::FileSystem {
 public:
  bool SearchFindsEntry(const std::string&) override { return true; }
  std::optional<std::uint32_t> Attributes(const std::string&) override {
    return platform::kAttributeDirectory;
  }
  std::optional<std::int64_t> LastWriteTime(const std::string&) override { return {}; }
  bool MakeSureDirectoryPathExists(const std::string&) override { return true; }
  std::optional<std::vector<std::string>> ListSubfolders(const std::string&) override { return {}; }
  std::optional<std::vector<std::string>> ListFiles(const std::string&) override { return {}; }
  std::unique_ptr<platform::InputFile> OpenForReading(const std::string&) override { return nullptr; }
  bool WriteWholeFile(const std::string&, std::string_view content) override {
    benchmark::DoNotOptimize(content.data());
    return true;
  }
  std::string CurrentDirectory() override { return "C:\\"; }
  std::optional<std::string> MakeTemporaryFolder() override { return std::nullopt; }
  bool CopySharedFile(const std::string&, const std::string&) override { return false; }
  bool RemoveFolderAndFiles(const std::string&) override { return false; }
};

class NullPlatform final : public platform::Platform {
 public:
  platform::FileSystem& Files() override { return files_; }
  platform::UserInterface& Ui() override { return rest_.Ui(); }
  platform::Registry& Reg() override { return rest_.Reg(); }
  platform::Forms& Window() override { return rest_.Window(); }
  platform::CommonDialogs& Dialogs() override { return rest_.Dialogs(); }
  platform::ShellAutomation& Shell() override { return rest_.Shell(); }

 private:
  NullFileSystem files_;
  platform::host::HostPlatform rest_;  // everything but the files
};

// A fresh folder on tmpfs, removed with what it holds.
class ScratchFolder {
 public:
  ScratchFolder() {
    const char* base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
    std::string pattern = std::string(base) + "/merkwandel-bench-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::string& path() const { return path_; }
  // Empties the folder.
  void Clear() {
    for (const auto& entry : std::filesystem::directory_iterator(path_)) std::filesystem::remove(entry);
  }

 private:
  std::string path_;
};

std::string FirefoxExport(std::size_t count) {
  std::ostringstream out;
  bench::WriteExport(out, bench::Browser::kFirefox, count, 7);
  return out.str();
}

// The entry of a typical Firefox bookmark as the scanner hands it over.
const std::string& TypicalEntry() {
  static const std::string entry = [] {
    const std::string file = FirefoxExport(50);
    const auto tag = file.rfind("A HREF", file.find("ICON=\"data:"));
    return file.substr(tag, file.find("</A>", tag) - tag);
  }();
  return entry;
}

void BM_ReadEntry(benchmark::State& state) {
  const std::string& entry = TypicalEntry();
  for (auto _ : state) benchmark::DoNotOptimize(conversion::ReadEntry(entry));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * entry.size()));
}
BENCHMARK(BM_ReadEntry);

void BM_DecodeTitle(benchmark::State& state) {
  const std::string title = "Tipps &amp; Tricks … für Einsteiger 12345";
  for (auto _ : state) benchmark::DoNotOptimize(conversion::DecodeTitle(title));
}
BENCHMARK(BM_DecodeTitle);

void BM_ShortcutName(benchmark::State& state) {
  const std::string title = "Deutsche Bahn: Fahrplanauskunft | Tickets | Reiseauskunft – bahn.de";
  for (auto _ : state) benchmark::DoNotOptimize(conversion::ShortcutName(title));
}
BENCHMARK(BM_ShortcutName);

// One run of the reading loop over `file` on a fresh window state; gives the
// number of shortcuts handed to the file system.
std::uint64_t ScanOnce(NullPlatform& platform, const std::string& file) {
  app::Root root(platform);
  root.SetText(app::Field::tFavoriten, "C:\\Favoriten");
  conversion::ShortcutWriter writer(root);
  conversion::RunProgress progress(root);
  conversion::BookmarkScanner scanner(root, writer, progress);
  MemoryFile input(file);
  scanner.ReadAll(input);
  return scanner.ShortcutsWritten();
}

// Reading, scanning, reading entries and naming shortcuts, with no files.
void BM_ScanWithoutFiles(benchmark::State& state) {
  const std::string file = FirefoxExport(static_cast<std::size_t>(state.range(0)));
  NullPlatform platform;
  for (auto _ : state) {
    if (ScanOnce(platform, file) != static_cast<std::uint64_t>(state.range(0))) {
      state.SkipWithError("not every bookmark was handed over");
    }
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_ScanWithoutFiles)->Arg(10000)->Unit(benchmark::kMillisecond);

// Many lines without an end tag.
void BM_ScanLongDescription(benchmark::State& state) {
  std::ostringstream out;
  bench::WriteLongDescription(out, static_cast<std::size_t>(state.range(0)), 7);
  const std::string file = out.str();
  NullPlatform platform;
  for (auto _ : state) ScanOnce(platform, file);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_ScanLongDescription)->Arg(16 << 20)->Unit(benchmark::kMillisecond);

// One new shortcut file per iteration through the host backend; the folder
// is emptied every 10,000 files, outside the clock.
void BM_HostWriteWholeFile(benchmark::State& state) {
  ScratchFolder folder;
  platform::host::HostFileSystem files;
  files.MapDrive('C', folder.path());
  const std::string content = bench::ShortcutBytes("https://www.heise.de/news/artikel-4711/");
  std::size_t serial = 0;
  for (auto _ : state) {
    if (++serial % 10000 == 0) {
      state.PauseTiming();
      folder.Clear();
      state.ResumeTiming();
    }
    const std::string path = "C:\\Straßenbahn – Fahrplan " + std::to_string(serial) + ".url";
    if (!files.WriteWholeFile(path, content)) state.SkipWithError("write failed");
  }
}
BENCHMARK(BM_HostWriteWholeFile);

// The same files with open, write and close only.
void BM_PlainWrite(benchmark::State& state) {
  ScratchFolder folder;
  const std::string content = bench::ShortcutBytes("https://www.heise.de/news/artikel-4711/");
  std::size_t serial = 0;
  for (auto _ : state) {
    if (++serial % 10000 == 0) {
      state.PauseTiming();
      folder.Clear();
      state.ResumeTiming();
    }
    const std::string path =
        folder.path() + "/Straßenbahn – Fahrplan " + std::to_string(serial) + ".url";
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0 || ::write(fd, content.data(), content.size()) != static_cast<ssize_t>(content.size())) {
      state.SkipWithError("write failed");
    }
    ::close(fd);
  }
}
BENCHMARK(BM_PlainWrite);

// The whole reading loop with real shortcut files on tmpfs.
void BM_ScanIntoTmpfs(benchmark::State& state) {
  const std::string file = FirefoxExport(static_cast<std::size_t>(state.range(0)));
  ScratchFolder folder;
  platform::host::HostPlatform platform;
  platform.HostFiles().MapDrive('C', folder.path());
  for (auto _ : state) {
    state.PauseTiming();
    folder.Clear();
    app::Root root(platform);
    root.SetText(app::Field::tFavoriten, "C:\\");
    conversion::ShortcutWriter writer(root);
    conversion::RunProgress progress(root);
    conversion::BookmarkScanner scanner(root, writer, progress);
    MemoryFile input(file);
    state.ResumeTiming();
    scanner.ReadAll(input);
    if (scanner.ShortcutsWritten() != static_cast<std::uint64_t>(state.range(0))) {
      state.SkipWithError("not every shortcut was written");
    }
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ScanIntoTmpfs)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
