// The Windows backends of the file dialogs and the shell's automation
// objects, on the real system (or Wine), with the modules that use them.
// A helper thread plays the user: it waits for the dialog of this process,
// reads it and presses its buttons. Tests that show a dialog need a display
// and are skipped without one.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/win32/wide.h"
#include "platform/win32/win32_dialogs.h"
#include "platform/win32/win32_shell.h"
#include "system/browse_folders_2k.h"
#include "system/com_dlg_dll.h"

namespace merkwandel::testing {
namespace {

using namespace std::string_literals;
using platform::win32::Utf8;
using platform::win32::Wide;

constexpr int kFileNameCombo = 0x47C;  // cmb13 of the file dialogs
constexpr int kBrowseTree = 0x3741;    // the folder browser's tree
constexpr int kBrowseTitle = 0x3742;   // the text above it
constexpr UINT kSetSelection = WM_USER + 103;  // BFFM_SETSELECTIONW
constexpr char kFilter[] = "Hypertextdokumente|*.htm; *.html|Alle Dateitypen|*.*";

bool UnderWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

bool HasDisplay() {
  const HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                     nullptr, nullptr);
  if (probe == nullptr) return false;
  DestroyWindow(probe);
  return true;
}

#define REQUIRE_DISPLAY() \
  if (!HasDisplay()) GTEST_SKIP() << "no display to show a dialog on"

// The text of the item selected in a tree view of this process.
std::string SelectedText(HWND tree) {
  const auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  if (item == nullptr) return std::string();
  wchar_t text[MAX_PATH] = {};
  TVITEMW data{};
  data.mask = TVIF_TEXT;
  data.hItem = item;
  data.pszText = text;
  data.cchTextMax = MAX_PATH;
  SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data));
  return Utf8(text);
}

std::string WindowText(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return Utf8(text);
}

// A fresh folder under the temporary folder, removed with all it holds.
class TempFolder {
 public:
  TempFolder() {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    path_ = Utf8(base) + "merkwandel-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(GetTickCount());
    CreateDirectoryW(Wide(path_).c_str(), nullptr);
  }
  ~TempFolder() { Remove(path_); }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string Folder(const std::string& name) const {
    const std::string folder = path_ + "\\" + name;
    CreateDirectoryW(Wide(folder).c_str(), nullptr);
    return folder;
  }
  std::string File(const std::string& name) const { return Write(path_ + "\\" + name); }
  static std::string Write(const std::string& file) {
    const HANDLE h = CreateFileW(Wide(file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      WriteFile(h, "x", 1, &written, nullptr);
      CloseHandle(h);
    }
    return file;
  }

 private:
  static void Remove(const std::string& folder) {
    WIN32_FIND_DATAW data;
    const HANDLE search = FindFirstFileW(Wide(folder + "\\*").c_str(), &data);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        const std::string name = Utf8(data.cFileName);
        if (name == "." || name == "..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          Remove(folder + "\\" + name);
        } else {
          DeleteFileW(Wide(folder + "\\" + name).c_str());
        }
      } while (FindNextFileW(search, &data));
      FindClose(search);
    }
    RemoveDirectoryW(Wide(folder).c_str());
  }
  std::string path_;
};

// Plays the user on another thread: waits for a visible dialog of this
// process that holds the control `marker`, notes its caption and does
// `action` on it. A dialog that is still open a while later (it refused the
// input with a message box, say) is closed, so that no test hangs, and the
// user's work counts as not done.
class User {
 public:
  User(int marker, std::function<void(HWND)> action)
      : marker_(marker), action_(std::move(action)) {
    thread_ = CreateThread(nullptr, 0, &User::Run, this, 0, nullptr);
  }
  ~User() { Wait(); }
  User(const User&) = delete;
  User& operator=(const User&) = delete;

  // Waits until the user has acted (or given up looking for the dialog).
  void Wait() {
    if (thread_ != nullptr) {
      WaitForSingleObject(thread_, INFINITE);
      CloseHandle(thread_);
      thread_ = nullptr;
    }
  }
  // The dialog appeared, and closed after the action.
  bool Done() const { return dialog_ != nullptr && !stuck_; }
  // The dialog appeared and stayed open after the action.
  bool Refused() const { return dialog_ != nullptr && stuck_; }
  const std::string& caption() const { return caption_; }

  static void Cancel(HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); }
  static std::function<void(HWND)> TypeAndOpen(std::string name) {
    return [name](HWND dialog) {
      SetDlgItemTextW(dialog, kFileNameCombo, Wide(name).c_str());
      PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    };
  }
  // Selects `folder` in the browser's tree, and once the tree shows an item
  // whose text holds `shown`, confirms.
  static std::function<void(HWND)> SelectAndConfirm(std::string folder, std::string shown) {
    return [folder, shown](HWND dialog) {
      const HWND tree = GetDlgItem(dialog, kBrowseTree);
      for (int attempt = 0; attempt < 50; ++attempt) {
        SendMessageW(dialog, kSetSelection, TRUE, reinterpret_cast<LPARAM>(Wide(folder).c_str()));
        Sleep(100);
        if (SelectedText(tree).find(shown) != std::string::npos) break;
      }
      PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    };
  }

 private:
  static DWORD WINAPI Run(LPVOID self) {
    static_cast<User*>(self)->Act();
    return 0;
  }
  static bool IsOurDialog(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t className[32] = {};
    GetClassNameW(window, className, 32);
    return process == GetCurrentProcessId() && IsWindowVisible(window) &&
           std::wstring_view(className) == L"#32770";
  }
  static BOOL CALLBACK Find(HWND window, LPARAM self) {
    auto* user = reinterpret_cast<User*>(self);
    if (IsOurDialog(window) && GetDlgItem(window, user->marker_) != nullptr) {
      user->dialog_ = window;
      return FALSE;
    }
    return TRUE;
  }
  static BOOL CALLBACK ConfirmOthers(HWND window, LPARAM self) {
    if (window != reinterpret_cast<User*>(self)->dialog_ && IsOurDialog(window)) {
      PostMessageW(window, WM_COMMAND, IDOK, 0);
    }
    return TRUE;
  }
  void Act() {
    for (int i = 0; i < 400 && dialog_ == nullptr; ++i) {
      EnumWindows(&User::Find, reinterpret_cast<LPARAM>(this));
      if (dialog_ == nullptr) Sleep(50);
    }
    if (dialog_ == nullptr) return;
    Sleep(300);  // let it finish filling its controls
    caption_ = WindowText(dialog_);
    action_(dialog_);
    for (int i = 0; i < 100 && IsWindow(dialog_); ++i) Sleep(50);
    if (IsWindow(dialog_)) {
      stuck_ = true;
      EnumWindows(&User::ConfirmOthers, reinterpret_cast<LPARAM>(this));
      Sleep(500);
      Cancel(dialog_);
    }
  }

  int marker_;
  std::function<void(HWND)> action_;
  HANDLE thread_ = nullptr;
  HWND dialog_ = nullptr;
  bool stuck_ = false;
  std::string caption_;
};

// ---- Shell automation -----------------------------------------------------

DWORD WINAPI CreateAndReleaseShells(LPVOID result) {
  platform::win32::Win32ShellAutomation shell;
  bool created = true;
  for (int i = 0; i < 3; ++i) {
    auto first = shell.CreateShellApplication();
    auto second = shell.CreateShellApplication();
    created = created && first != nullptr && second != nullptr;
  }
  // With everything released, COM is no longer initialised on this thread.
  const HRESULT again = CoInitialize(nullptr);
  if (SUCCEEDED(again)) CoUninitialize();
  *static_cast<int*>(result) = !created ? 1 : again == S_OK ? 0 : 2;
  return 0;
}

TEST(Win32ShellTest, CreatesShellApplicationAndReleasesComWithIt) {
  int result = -1;
  const HANDLE thread = CreateThread(nullptr, 0, &CreateAndReleaseShells, &result, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  EXPECT_NE(result, 1) << "Shell.Application could not be created";
  EXPECT_NE(result, 2) << "COM stayed initialised after every object was released";
}

TEST(Win32ShellTest, CancelledBrowserGivesNothing) {
  REQUIRE_DISPLAY();
  platform::win32::Win32ShellAutomation shell;
  std::string shownTitle;
  User user(kBrowseTree, [&](HWND dialog) {
    shownTitle = WindowText(GetDlgItem(dialog, kBrowseTitle));
    User::Cancel(dialog);
  });
  EXPECT_EQ(system_helpers::BrowseFolder(shell, 17), "");
  user.Wait();
  ASSERT_TRUE(user.Done());
  EXPECT_EQ(shownTitle, "Bitte wählen Sie den gewünschten Zielordner ...");
}

TEST(Win32ShellTest, ChosenFolderAnswersByNameAndOutlivesTheApplication) {
  REQUIRE_DISPLAY();
  TempFolder temp;
  const std::string chosen = temp.Folder("Избранное ✓ Müller");
  platform::win32::Win32ShellAutomation shell;
  auto application = shell.CreateShellApplication();
  ASSERT_NE(application, nullptr);
  User user(kBrowseTree, User::SelectAndConfirm(chosen, "Избранное ✓ Müller"));
  auto folder = application->BrowseForFolder(0, "Zielordner", 1, 17);
  user.Wait();
  ASSERT_TRUE(user.Done());
  ASSERT_NE(folder, nullptr);
  application.reset();  // the folder keeps working on its own

  EXPECT_EQ(folder->Title(), "Избранное ✓ Müller");
  auto self = folder->Self();
  ASSERT_NE(self, nullptr);
  EXPECT_EQ(self->Path(), chosen);
  auto parent = folder->ParentFolder();
  if (parent == nullptr && UnderWine()) GTEST_SKIP() << "Wine's shell gives no ParentFolder";
  ASSERT_NE(parent, nullptr);
  auto item = parent->ParseName("Избранное ✓ Müller");
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->Path(), chosen);
  EXPECT_EQ(parent->ParseName("fehlt"), nullptr);
}

// Under Wine, whose shell gives no ParentFolder, the folder's own item gives
// the path.
TEST(Win32ShellTest, BrowseFolderGivesAnOrdinaryFolderAsItsPath) {
  REQUIRE_DISPLAY();
  TempFolder temp;
  const std::string chosen = temp.Folder("Import");
  platform::win32::Win32ShellAutomation shell;
  User user(kBrowseTree, User::SelectAndConfirm(chosen, "Import"));
  EXPECT_EQ(system_helpers::BrowseFolder(shell, 17), chosen);
  user.Wait();
  EXPECT_TRUE(user.Done());
}

TEST(Win32ShellTest, BrowseFolderGivesADriveAsItsRoot) {
  REQUIRE_DISPLAY();
  platform::win32::Win32ShellAutomation shell;
  User user(kBrowseTree, User::SelectAndConfirm("C:\\", "(C:)"));
  EXPECT_EQ(system_helpers::BrowseFolder(shell, 17), "C:\\");
  user.Wait();
  EXPECT_TRUE(user.Done());
}

// ---- File dialogs -----------------------------------------------------------

platform::FileDialogRecord OpenRecord(const std::string& folder) {
  platform::FileDialogRecord record;
  record.structSize = platform::kFileDialogRecordSize;
  record.filter = system_helpers::ConvertFilter(kFilter);
  record.filterIndex = 1;
  record.file = std::string(260, '\0');
  record.maxFile = 260;
  record.initialDir = folder;
  record.title = "Datei öffnen";
  record.flags = 0x1804;
  record.defaultExt = "htm";
  return record;
}

TEST(Win32FileDialogTest, RefusesARecordLargerThanItKnows) {
  platform::win32::Win32CommonDialogs dialogs;
  auto record = OpenRecord("C:\\");
  record.structSize = 4096;
  const auto answer = dialogs.OpenDialog(record);
  EXPECT_FALSE(answer.accepted);
  EXPECT_EQ(answer.error, platform::kDialogErrorStructSize);
}

TEST(Win32FileDialogTest, OpenDialogShowsItsTextsAndCancelLeavesTheFolder) {
  REQUIRE_DISPLAY();
  TempFolder temp;
  platform::win32::Win32CommonDialogs dialogs;
  std::string type;
  User user(kFileNameCombo, [&](HWND dialog) {
    type = WindowText(GetDlgItem(dialog, 0x470));  // the file-type list
    User::Cancel(dialog);
  });
  std::string folder = temp.path();
  EXPECT_EQ(system_helpers::ShowOpenDialog(dialogs, 0, "Datei öffnen", folder, "", kFilter,
                                           "htm"),
            "");
  user.Wait();
  ASSERT_TRUE(user.Done());
  EXPECT_EQ(user.caption(), "Datei öffnen");
  EXPECT_EQ(type, "Hypertextdokumente");
  EXPECT_EQ(folder, temp.path());
}

struct ChoiceCase {
  const char* name;
  const char* folder;  // made in the temporary folder; the dialog opens there
  const char* file;    // created in the folder
  const char* typed;  // what the user types
  const char* result;
  bool wineRefuses = false;  // Wine checks the typed name before adding the extension
};
void PrintTo(const ChoiceCase& c, std::ostream* os) { *os << c.name; }

class Win32ChoiceTest : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(Win32ChoiceTest, GivesTheNameAndTheFolder) {
  REQUIRE_DISPLAY();
  const auto& c = GetParam();
  if (c.wineRefuses && UnderWine()) GTEST_SKIP() << "Wine refuses a typed name without extension";
  TempFolder temp;
  const std::string opened = temp.Folder(c.folder);
  TempFolder::Write(opened + "\\" + c.file);
  platform::win32::Win32CommonDialogs dialogs;
  std::string folder = opened;
  User user(kFileNameCombo, User::TypeAndOpen(c.typed));
  EXPECT_EQ(system_helpers::ShowOpenDialog(dialogs, 0, "Datei öffnen", folder, "", kFilter,
                                           "htm"),
            c.result);
  user.Wait();
  ASSERT_TRUE(user.Done());
  EXPECT_EQ(folder, opened + "\\");
}

INSTANTIATE_TEST_SUITE_P(
    Names, Win32ChoiceTest,
    ::testing::Values(
        ChoiceCase{"BareName", "Daten", "bookmarks.html", "bookmarks.html", "bookmarks.html"},
        ChoiceCase{"DefaultExtension", "Daten", "export.htm", "export", "export.htm", true},
        ChoiceCase{"NamesInSeveralScripts", "Закладки Łódź", "Ελληνικά 書籤 😀.html",
                   "Ελληνικά 書籤 😀.html", "Ελληνικά 書籤 😀.html"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(Win32FileDialogTest, OpenDialogRefusesAMissingFile) {
  REQUIRE_DISPLAY();
  TempFolder temp;
  platform::win32::Win32CommonDialogs dialogs;
  std::string folder = temp.path();
  User user(kFileNameCombo, User::TypeAndOpen("fehlt.html"));
  EXPECT_EQ(system_helpers::ShowOpenDialog(dialogs, 0, "Datei öffnen", folder, "", kFilter,
                                           "htm"),
            "");
  user.Wait();
  EXPECT_TRUE(user.Refused());
  EXPECT_EQ(folder, temp.path());
}

TEST(Win32FileDialogTest, AFileInADriveRootSplitsAfterTheRoot) {
  REQUIRE_DISPLAY();
  const std::string file = "C:\\merkwandel-wurzel.html";
  TempFolder::Write(file);
  if (GetFileAttributesW(Wide(file).c_str()) == INVALID_FILE_ATTRIBUTES) {
    GTEST_SKIP() << "no right to write into C:\\";
  }
  platform::win32::Win32CommonDialogs dialogs;
  std::string folder = "D:\\Anderswo\\";
  User user(kFileNameCombo, User::TypeAndOpen(file));
  const std::string name =
      system_helpers::ShowOpenDialog(dialogs, 0, "Datei öffnen", folder, "", kFilter, "htm");
  user.Wait();
  DeleteFileW(Wide(file).c_str());
  EXPECT_TRUE(user.Done());
  EXPECT_EQ(name, "merkwandel-wurzel.html");
  EXPECT_EQ(folder, "C:\\");
}

TEST(Win32FileDialogTest, APathLongerThanTheBufferFailsTheCall) {
  REQUIRE_DISPLAY();
  TempFolder temp;
  const std::string file = temp.File("bookmarks.html");
  platform::win32::Win32CommonDialogs dialogs;
  auto record = OpenRecord(temp.path());
  record.maxFile = static_cast<std::uint32_t>(file.size());  // one short of room for the NUL
  record.file = std::string(record.maxFile, '\0');
  User user(kFileNameCombo, User::TypeAndOpen(file));
  const auto answer = dialogs.OpenDialog(record);
  user.Wait();
  ASSERT_TRUE(user.Done());
  EXPECT_FALSE(answer.accepted);
  EXPECT_EQ(answer.error, platform::kDialogErrorBufferTooSmall);
}

TEST(Win32FileDialogTest, SaveDialogTakesANewName) {
  REQUIRE_DISPLAY();
  TempFolder temp;
  platform::win32::Win32CommonDialogs dialogs;
  std::string folder = temp.path();
  User user(kFileNameCombo, User::TypeAndOpen("neu"));
  EXPECT_EQ(system_helpers::ShowFileDialog(dialogs, 0, "Speichern", folder, "", kFilter, "htm", 2),
            "neu.htm");
  user.Wait();
  ASSERT_TRUE(user.Done());
  EXPECT_EQ(user.caption(), "Speichern");
  EXPECT_EQ(folder, temp.path() + "\\");
}

}  // namespace
}  // namespace merkwandel::testing
