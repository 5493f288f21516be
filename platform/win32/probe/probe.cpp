// merkwandel-probe: reads Merkwandel's window from outside, as the end-to-end
// tests see it, and acts on it as a user would. A console program run under
// the same Wine prefix as the program.
//
//   probe window [SECONDS]         wait for the main window, print its state
//   probe wait-locked [SECONDS]    wait until the five input controls are disabled
//   probe message TITLE [SECONDS]  wait for a message box, print what it shows
//                                  (as "messages" does), its text and its frame
//   probe messages TITLE QUIET [SECONDS]
//                                  what a run shows: every message box of that
//                                  title in order (one "message" line each),
//                                  each closed with OK, until no box has shown
//                                  and the controls have been unlocked for
//                                  QUIET seconds; then "idle"
//   probe captions TITLE [SECONDS] during a run: the main window's caption,
//                                  looked at every 0.1 s and printed when it
//                                  changes ("caption" lines), until a message
//                                  box TITLE shows; then that box (as
//                                  "messages" does) and the caption then
//   probe ok TITLE                 press OK in that message box
//   probe set NAME TEXT            set the text of the control NAME (a name of
//                                  the design)
//   probe click NAME               click the control NAME; returns at once
//   probe click-timed NAME TITLE [SECONDS]  click the control NAME, wait for the
//                                  message box TITLE, print the milliseconds in between
//   probe file-dialog TITLE [SECONDS]  wait for the open-file dialog TITLE, print
//                                  its folder, file type (and every one it lists)
//                                  and file name
//   probe file-choose TITLE [NAME] type NAME as the file name and press Open, or
//                                  without NAME press Cancel; succeed when the
//                                  dialog closes
//   probe folder-browser [SECONDS] wait for the shell's folder browser, print
//                                  its caption, its text and the selected folder
//   probe folder-choose [PATH [SHOWN]]  select PATH in its tree, opening it
//                                  item by item (the last one shown with a
//                                  text that holds SHOWN, by default the last
//                                  part of PATH), and press OK, or without
//                                  PATH press Cancel; succeed when it closes
//   probe front                    bring the main window to the front
//   probe close                    close the main window (as its close button does)
//   probe wait-gone [SECONDS]      wait until the main window is gone
//   probe close-timed [SECONDS]    close the main window and wait until its
//                                  process has ended: "gone", the milliseconds
//                                  from the close, the exit code
//   probe windows                  list the visible top-level windows
//   probe close-explorer [SECONDS] wait up to SECONDS for an Explorer window,
//                                  then close every one (a line each); 1 when
//                                  none came
//   probe hold [--share] FILE [SECONDS]  hold the existing FILE open for reading
//                                  and writing as another program does, letting
//                                  nobody else open it or, with --share, letting
//                                  others read and write it too; print "held"
//                                  (or "error") and wait until killed, or
//                                  SECONDS (600)
//
// Texts on the command line may be in any script: the probe reads its
// arguments as UTF-16 and hands texts to the windows with the wide calls.
// With MERKWANDEL_DESKTOP set, it looks at the windows of that Wine desktop
// (as made by "explorer /desktop=NAME,...").
//
// Output is UTF-8, one item a line, fields separated by tabs; a text that
// may end in blanks is followed by "|". The exit code is 0 on success, 1
// when what was waited for did not come, 2 on misuse.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "app/root_design.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide.h"

namespace {

using merkwandel::platform::win32::KernelHandle;
using merkwandel::platform::win32::Utf8;
using merkwandel::platform::win32::Wide;

constexpr int kFirstControlId = 100;
constexpr int kMessageText = 0xFFFF;            // the text of a message box
constexpr int kFileNameField = 0x47C;           // cmb13: the file name in the file dialogs
constexpr int kFileTypeList = 0x470;            // cmb1: the file types
constexpr int kBrowseTree = 0x3741;             // the folder browser's tree
constexpr int kBrowseText = 0x3742;             // the text above it
constexpr UINT kGetFolderPath = WM_USER + 102;  // CDM_GETFOLDERPATH, to a file dialog
constexpr std::size_t kUnits = 1024;            // room for a text in another process

std::string TextOf(HWND window) {
  // WM_GETTEXT works across processes.
  std::wstring text(static_cast<std::size_t>(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
  SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  return Utf8(text.c_str());
}

std::string ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return Utf8(name);
}

DWORD ProcessOf(HWND window) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  return process;
}

// By its class: its caption shows the progress during a run.
HWND MainWindow() { return FindWindowW(L"MerkwandelRoot", nullptr); }

// Milliseconds from an arbitrary start.
double Now() {
  LARGE_INTEGER frequency{}, now{};
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Asks `done` every `step` ms until it is true (true) or `seconds` have passed (false).
template <typename Done>
bool Until(Done done, double seconds, DWORD step = 50) {
  for (const double start = Now();; Sleep(step)) {
    if (done()) return true;
    if (Now() - start > seconds * 1000.0) return false;
  }
}

bool Gone(HWND window, double seconds) {
  return Until([&] { return !IsWindow(window); }, seconds);
}

// Windows' callback (stdcall in the 32-bit build, which a lambda is not).
template <typename Each>
BOOL CALLBACK EachWindow(HWND window, LPARAM context) {
  (*reinterpret_cast<Each*>(context))(window);
  return TRUE;
}

// Calls `each` for every child of `parent`, or every top-level window for null.
template <typename Each>
void ForWindows(HWND parent, Each each) {
  const WNDENUMPROC call = EachWindow<Each>;
  parent == nullptr ? EnumWindows(call, reinterpret_cast<LPARAM>(&each))
                    : EnumChildWindows(parent, call, reinterpret_cast<LPARAM>(&each));
}

std::string NameOf(HWND control) {
  const auto index = static_cast<std::size_t>(GetDlgCtrlID(control) - kFirstControlId);
  const auto& controls = merkwandel::app::RootDesign().controls;
  return index < controls.size() ? controls[index].name : "?";
}

HWND ControlNamed(const std::string& name) {
  HWND found = nullptr;
  if (const HWND window = MainWindow()) {
    ForWindows(window, [&](HWND child) {
      if (NameOf(child) == name) found = child;
    });
  }
  return found;
}

bool Locked() {
  for (const char* name : {"bStarten", "bHypertext", "tHypertext", "bFavoriten", "tFavoriten"}) {
    const HWND control = ControlNamed(name);
    if (control == nullptr || IsWindowEnabled(control)) return false;
  }
  return true;
}

void PrintFrame(HWND window) {
  RECT frame{};
  GetWindowRect(window, &frame);
  std::printf("frame\t%ld\t%ld\t%ld\t%ld\n", frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top);
}

void PrintWindow(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  const LONG style = GetWindowLongW(window, GWL_STYLE);
  std::printf("caption\t%s\nclient\t%ld\t%ld\n", TextOf(window).c_str(), client.right, client.bottom);
  PrintFrame(window);
  std::printf("style\tresizable=%d\tmaximizebox=%d\tminimizebox=%d\tsysmenu=%d\n", (style & WS_THICKFRAME) != 0,
              (style & WS_MAXIMIZEBOX) != 0, (style & WS_MINIMIZEBOX) != 0, (style & WS_SYSMENU) != 0);
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  const bool focused = GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &gui) && gui.hwndFocus != nullptr;
  std::printf("focus\t%s\n", !focused ? "none" : gui.hwndFocus == window ? "window" : NameOf(gui.hwndFocus).c_str());
  ForWindows(window, [](HWND child) {
    RECT rect{};
    GetWindowRect(child, &rect);
    POINT topLeft{rect.left, rect.top};
    ScreenToClient(GetParent(child), &topLeft);
    const bool isDefault = ClassOf(child) == "Button" && (GetWindowLongW(child, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON;
    std::printf("control\t%s\t%s\t%ld\t%ld\t%ld\t%ld\t%d\t%d\t%d\t%s|\n", NameOf(child).c_str(),
                ClassOf(child).c_str(), topLeft.x, topLeft.y, rect.right - rect.left, rect.bottom - rect.top,
                IsWindowVisible(child) ? 1 : 0, IsWindowEnabled(child) ? 1 : 0, isDefault ? 1 : 0,
                TextOf(child).c_str());
  });
}

// The icon a message box shows, told apart by what is on the screen (its
// handle means nothing in another process): the system icon that differs
// least from it, pixel by pixel, when drawn on the same background.
std::string ShownIcon(HWND iconControl) {
  if (iconControl == nullptr) return "none";
  constexpr int kSize = 32;
  RECT rect{};
  GetWindowRect(iconControl, &rect);
  const HDC screen = GetDC(nullptr), drawn = CreateCompatibleDC(screen);
  std::vector<COLORREF> shown;
  for (int i = 0; i < kSize * kSize; ++i) shown.push_back(GetPixel(screen, rect.left + i % kSize, rect.top + i / kSize));
  const HBITMAP bits = CreateCompatibleBitmap(screen, kSize, kSize);
  const HGDIOBJ before = SelectObject(drawn, bits);
  const HBRUSH background = CreateSolidBrush(shown[0]);
  std::string best = "unknown";
  long least = -1;
  for (const auto& [id, name] : {std::pair{IDI_INFORMATION, "information"}, std::pair{IDI_WARNING, "warning"},
                                 std::pair{IDI_ERROR, "error"}, std::pair{IDI_QUESTION, "question"}}) {
    const RECT all{0, 0, kSize, kSize};
    FillRect(drawn, &all, background);
    DrawIconEx(drawn, 0, 0, LoadIconW(nullptr, id), kSize, kSize, 0, nullptr, DI_NORMAL);
    long difference = 0;
    for (int i = 0; i < kSize * kSize; ++i) {
      const COLORREF a = shown[static_cast<std::size_t>(i)], b = GetPixel(drawn, i % kSize, i / kSize);
      difference += std::abs(GetRValue(a) - GetRValue(b)) + std::abs(GetGValue(a) - GetGValue(b)) +
                    std::abs(GetBValue(a) - GetBValue(b));
    }
    if (least < 0 || difference < least) least = difference, best = name;
  }
  DeleteObject(background);
  SelectObject(drawn, before);
  DeleteObject(bits);
  DeleteDC(drawn);
  ReleaseDC(nullptr, screen);
  return best;
}

// The visible dialog that holds the control `marker` and, when `title` is
// given, has that caption; of the program when its window is there.
HWND FindDialog(int marker, const char* title = nullptr) {
  const HWND main = MainWindow();
  const DWORD program = main == nullptr ? 0 : ProcessOf(main);
  HWND found = nullptr;
  ForWindows(nullptr, [&](HWND window) {
    if (found == nullptr && ClassOf(window) == "#32770" && IsWindowVisible(window) &&
        (program == 0 || ProcessOf(window) == program) && GetDlgItem(window, marker) != nullptr &&
        (title == nullptr || TextOf(window) == title)) {
      found = window;
    }
  });
  return found;
}

// Waits for that dialog; null when it does not come.
HWND WaitForDialog(int marker, const char* title, double seconds) {
  HWND found = nullptr;
  Until([&] { return (found = FindDialog(marker, title)) != nullptr; }, seconds);
  return found;
}

// Presses a button of a dialog as a click does; false when it is disabled.
bool Press(HWND dialog, int button) {
  const HWND control = GetDlgItem(dialog, button);
  if (control != nullptr && !IsWindowEnabled(control)) return false;
  return PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(control));
}

// A message box: its title, icon, number of buttons, whether the main
// window's controls were locked while it showed, and its text; with
// `details`, the text and the frame on lines of their own too.
void PrintMessage(HWND box, bool details) {
  Sleep(300);  // let it finish drawing
  HWND icon = nullptr;
  int buttons = 0;
  ForWindows(box, [&](HWND child) {
    if (ClassOf(child) == "Static" && (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) icon = child;
    if (ClassOf(child) == "Button" && IsWindowVisible(child)) ++buttons;
  });
  const std::string text = TextOf(GetDlgItem(box, kMessageText));
  std::printf("message\t%s\t%s\t%d\t%d\t%s|\n", TextOf(box).c_str(), ShownIcon(icon).c_str(), buttons, Locked(),
              text.c_str());
  if (details) std::printf("text\t%s|\n", text.c_str());
  if (details) PrintFrame(box);
  std::fflush(stdout);
}

int CollectMessages(const char* title, double quiet, double seconds) {
  double busy = Now();  // when a box or the locked window was last seen
  const bool idle = Until(
      [&] {
        if (const HWND box = FindDialog(kMessageText, title)) {
          PrintMessage(box, false);
          if (!Press(box, IDOK) || !Gone(box, 10)) std::printf("stuck\n");
          busy = Now();
        } else if (Locked()) {
          busy = Now();
        }
        return Now() - busy > quiet * 1000.0;
      },
      seconds);
  std::printf(idle ? "idle\n" : "timeout\n");
  return idle ? 0 : 1;
}

// Memory inside the process of a window, holding `bytes` of `data` at
// first, for the messages whose pointers are not carried across processes
// (the file dialog's folder, tree items, the browser's selection).
class RemoteMemory {
 public:
  RemoteMemory(HWND window, const void* data, std::size_t bytes)
      : process_(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, ProcessOf(window))),
        address_(VirtualAllocEx(process_.get(), nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {
    if (address_ != nullptr) WriteProcessMemory(process_.get(), address_, data, bytes, nullptr);
  }
  ~RemoteMemory() { VirtualFreeEx(process_.get(), address_, 0, MEM_RELEASE); }
  RemoteMemory(const RemoteMemory&) = delete;
  RemoteMemory& operator=(const RemoteMemory&) = delete;
  // The address as the other process sees it.
  LPARAM At() const { return reinterpret_cast<LPARAM>(address_); }
  // The text there, up to its NUL.
  std::string Text() {
    std::wstring text(kUnits + 1, L'\0');
    return ReadProcessMemory(process_.get(), address_, text.data(), kUnits * 2, nullptr) ? Utf8(text.c_str()) : "";
  }

 private:
  KernelHandle process_;
  void* address_;
};

void PrintFileDialog(HWND dialog) {
  // The dialog of GetOpenFileNameW answers in UTF-16.
  const std::wstring blank(kUnits, L'\0');
  RemoteMemory folder(dialog, blank.data(), kUnits * 2);
  const bool asked = SendMessageW(dialog, kGetFolderPath, kUnits, folder.At()) > 0;
  std::printf("title\t%s\nfolder\t%s\n", TextOf(dialog).c_str(), asked ? folder.Text().c_str() : "?");
  const HWND types = GetDlgItem(dialog, kFileTypeList);
  // Every entry of the list, in its order (CB_GETLBTEXT works across processes).
  std::string all;
  for (LRESULT i = 0; i < SendMessageW(types, CB_GETCOUNT, 0, 0); ++i) {
    std::wstring text(static_cast<std::size_t>(SendMessageW(types, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
    SendMessageW(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
    all += (i == 0 ? "" : "|") + Utf8(text.c_str());
  }
  std::printf("type\t%s\ntypes\t%s\nname\t%s\n", TextOf(types).c_str(), all.c_str(),
              TextOf(GetDlgItem(dialog, kFileNameField)).c_str());
}

HTREEITEM NextItem(HWND tree, HTREEITEM item, WPARAM relation) {
  return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

// The text of an item of the folder browser's tree, as it shows it.
std::string ItemText(HWND tree, HTREEITEM item) {
  TVITEMW data{};
  data.mask = TVIF_TEXT;
  data.hItem = item;
  data.cchTextMax = static_cast<int>(kUnits);
  const std::wstring blank(kUnits, L'\0');
  RemoteMemory text(tree, blank.data(), kUnits * 2);
  data.pszText = reinterpret_cast<LPWSTR>(text.At());
  RemoteMemory remote(tree, &data, sizeof data);
  return item != nullptr && SendMessageW(tree, TVM_GETITEMW, 0, remote.At()) ? text.Text() : "";
}

std::string SelectedFolder(HWND tree) { return ItemText(tree, NextItem(tree, nullptr, TVGN_CARET)); }

// The first child of `parent` (the top level for null) whose text passes
// `take`, once `parent` is opened as a click on its "+" opens it: the
// shell fills it before the call returns.
template <typename Take>
HTREEITEM ChildWhere(HWND tree, HTREEITEM parent, Take take) {
  if (parent != nullptr) SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(parent));
  HTREEITEM child = NextItem(tree, parent, parent != nullptr ? TVGN_CHILD : TVGN_ROOT);
  while (child != nullptr && !take(ItemText(tree, child))) child = NextItem(tree, child, TVGN_NEXT);
  return child;
}

// Selects `path` ("X:\" and folders) in the folder browser as a user does,
// by opening the tree item by item by the texts it shows: the drive (on
// the top level, or one or two below, as under Desktop and Computer),
// then each folder by its name; checks that the selected item's text holds
// `shown` (by default the path's last part) and presses OK. (Selecting by
// path, BFFM_SETSELECTION, compares the items with the folders' time
// stamps as they are then; once a folder on the way changed after the
// tree read it, that fails for good.)
int ChooseFolder(HWND dialog, const std::string& path, std::string shown) {
  if (shown.empty()) shown = path.substr(path.find_last_of('\\') + 1);
  const HWND tree = GetDlgItem(dialog, kBrowseTree);
  const std::string drive = "(" + path.substr(0, 2) + ")";
  const auto holdsDrive = [&](const std::string& text) { return text.find(drive) != std::string::npos; };
  HTREEITEM item = ChildWhere(tree, nullptr, holdsDrive);
  for (HTREEITEM top = NextItem(tree, nullptr, TVGN_ROOT); item == nullptr && top != nullptr;
       top = NextItem(tree, top, TVGN_NEXT)) {
    item = ChildWhere(tree, top, holdsDrive);
    for (HTREEITEM below = NextItem(tree, top, TVGN_CHILD); item == nullptr && below != nullptr;
         below = NextItem(tree, below, TVGN_NEXT)) {
      item = ChildWhere(tree, below, holdsDrive);
    }
  }
  for (std::size_t at = 3; item != nullptr && at < path.size();) {
    const std::string name = path.substr(at, path.find('\\', at) - at);
    item = ChildWhere(tree, item, [&](const std::string& text) { return text == name; });
    at += name.size() + 1;
  }
  const bool found = item != nullptr && SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
  const std::string selected = SelectedFolder(tree);
  std::printf("selected\t%s\n", selected.c_str());
  return found && selected.find(shown) != std::string::npos && Press(dialog, IDOK) && Gone(dialog, 10) ? 0 : 1;
}

std::vector<HWND> Explorers() {
  std::vector<HWND> found;
  ForWindows(nullptr, [&](HWND window) {
    const std::string kind = ClassOf(window);
    if (IsWindowVisible(window) && (kind == "ExplorerWClass" || kind == "CabinetWClass")) found.push_back(window);
  });
  return found;
}

double Seconds(int argc, char** argv, int at, double fallback) { return argc > at ? std::atof(argv[at]) : fallback; }

// Commands on the main window and its controls; -1 for any other.
int WindowCommand(const std::string& command, int argc, char** argv) {
  if (command == "window") {
    HWND window = nullptr;
    if (!Until([&] { return (window = MainWindow()) != nullptr; }, Seconds(argc, argv, 2, 20))) return 1;
    PrintWindow(window);
    return 0;
  }
  if (command == "wait-locked") return Until(Locked, Seconds(argc, argv, 2, 10)) ? 0 : 1;
  const HWND control = argc >= 3 ? ControlNamed(argv[2]) : nullptr;
  if (command == "click" && control != nullptr) return PostMessageW(control, BM_CLICK, 0, 0) ? 0 : 1;
  if (command == "set" && control != nullptr && argc >= 4) {
    return SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(argv[3]).c_str())) ? 0 : 1;
  }
  if (command == "click-timed" && control != nullptr && argc >= 4) {
    // Looked for every 10 ms: "elapsed<TAB>milliseconds" from the click to the box.
    const double start = Now();
    PostMessageW(control, BM_CLICK, 0, 0);
    if (!Until([&] { return FindDialog(kMessageText, argv[3]) != nullptr; }, Seconds(argc, argv, 4, 600), 10)) return 1;
    std::printf("elapsed\t%.1f\n", Now() - start);
    return 0;
  }
  const HWND window = MainWindow();
  if (command == "front" && window != nullptr) ShowWindow(window, SW_RESTORE);
  if (command == "front") return window != nullptr && SetForegroundWindow(window) ? 0 : 1;
  if (command == "close") return window != nullptr && PostMessageW(window, WM_CLOSE, 0, 0) ? 0 : 1;
  if (command == "wait-gone") return window == nullptr || Gone(window, Seconds(argc, argv, 2, 10)) ? 0 : 1;
  if (command == "close-timed" && window != nullptr) {
    const KernelHandle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, ProcessOf(window)));
    const double closed = Now();
    PostMessageW(window, WM_CLOSE, 0, 0);
    const bool ended = WaitForSingleObject(process.get(), static_cast<DWORD>(Seconds(argc, argv, 2, 10) * 1000)) == 0;
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    std::printf("%s\t%.0f\t0x%08lX\n", ended ? "gone" : "running", Now() - closed, code);
    return ended ? 0 : 1;
  }
  return command == "set" || command == "click" || command == "click-timed" || command == "close-timed" ? 1 : -1;
}

// Commands on message boxes, the program's dialogs and other windows; -1
// for any other.
int DialogCommand(const std::string& command, int argc, char** argv) {
  if (command == "message" && argc >= 3) {
    const HWND box = WaitForDialog(kMessageText, argv[2], Seconds(argc, argv, 3, 30));
    if (box != nullptr) PrintMessage(box, true);
    return box == nullptr ? 1 : 0;
  }
  if (command == "messages" && argc >= 4) {
    return CollectMessages(argv[2], std::atof(argv[3]), Seconds(argc, argv, 4, 60));
  }
  if (command == "captions" && argc >= 3) {
    std::string last;
    HWND box = nullptr;
    Until([&] {
      if (const std::string now = TextOf(MainWindow()); now != last) std::printf("caption\t%s\n", (last = now).c_str());
      return (box = FindDialog(kMessageText, argv[2])) != nullptr;
    }, Seconds(argc, argv, 3, 60), 100);
    if (box != nullptr) PrintMessage(box, false), std::printf("caption\t%s\n", TextOf(MainWindow()).c_str());
    return box == nullptr ? 1 : 0;
  }
  if (command == "ok" && argc >= 3) {
    const HWND box = FindDialog(kMessageText, argv[2]);
    return box != nullptr && Press(box, IDOK) ? 0 : 1;
  }
  if ((command == "file-dialog" || command == "file-choose") && argc >= 3) {
    const double seconds = command == "file-dialog" ? Seconds(argc, argv, 3, 30) : 10;
    const HWND dialog = WaitForDialog(kFileNameField, argv[2], seconds);
    if (dialog == nullptr) return 1;
    Sleep(300);  // let it fill its controls
    if (command == "file-dialog") {
      PrintFileDialog(dialog);
      return 0;
    }
    if (argc >= 4) SetDlgItemTextW(dialog, kFileNameField, Wide(argv[3]).c_str());
    Press(dialog, argc >= 4 ? IDOK : IDCANCEL);
    // It closes, or refuses the name with a box of its own.
    Until(
        [&] {
          bool refused = false;
          ForWindows(nullptr, [&](HWND box) { refused |= IsWindowVisible(box) && GetWindow(box, GW_OWNER) == dialog; });
          return refused || !IsWindow(dialog);
        },
        10);
    return IsWindow(dialog) ? 1 : 0;
  }
  if (command == "folder-browser" || command == "folder-choose") {
    const double seconds = command == "folder-browser" ? Seconds(argc, argv, 2, 30) : 10;
    const HWND dialog = WaitForDialog(kBrowseTree, nullptr, seconds);
    if (dialog == nullptr) return 1;
    // The tree is filled before the dialog shows, and a message to it waits
    // for the dialog's own loop.
    if (command == "folder-browser") {
      Sleep(300);  // let it finish drawing, for a screenshot
      const HWND tree = GetDlgItem(dialog, kBrowseTree);
      std::printf("title\t%s\ntext\t%s\nselected\t%s\n", TextOf(dialog).c_str(),
                  TextOf(GetDlgItem(dialog, kBrowseText)).c_str(), SelectedFolder(tree).c_str());
      return 0;
    }
    if (argc >= 3) return ChooseFolder(dialog, argv[2], argc >= 4 ? argv[3] : "");
    return Press(dialog, IDCANCEL) && Gone(dialog, 10) ? 0 : 1;
  }
  if (command == "windows") {
    ForWindows(nullptr, [](HWND window) {
      if (IsWindowVisible(window)) std::printf("toplevel\t%s\t%s\n", ClassOf(window).c_str(), TextOf(window).c_str());
    });
    return 0;
  }
  if (command == "close-explorer") {
    if (!Until([] { return !Explorers().empty(); }, Seconds(argc, argv, 2, 0))) return 1;
    for (const HWND window : Explorers()) {
      std::printf("closed\t%s\t%s\n", ClassOf(window).c_str(), TextOf(window).c_str());
      PostMessageW(window, WM_CLOSE, 0, 0);
    }
    return 0;
  }
  return -1;
}

int Run(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: merkwandel-probe COMMAND ...\n");
    return 2;
  }
  const std::string command = argv[1];
  const int share = argc >= 3 && std::string(argv[2]) == "--share" ? 1 : 0;
  if (command == "hold" && argc >= 3 + share) {
    const KernelHandle held(CreateFileW(Wide(argv[2 + share]).c_str(), GENERIC_READ | GENERIC_WRITE,
                                        share ? FILE_SHARE_READ | FILE_SHARE_WRITE : 0, nullptr, OPEN_EXISTING, 0,
                                        nullptr));
    std::printf("%s\n", held ? "held" : "error");
    std::fflush(stdout);
    if (held) Sleep(static_cast<DWORD>(Seconds(argc, argv, 3 + share, 600) * 1000));
    return held ? 0 : 1;
  }
  // The desktop comes with the program: a command that waits for the
  // program's window waits for its desktop too.
  if (const char* desktop = std::getenv("MERKWANDEL_DESKTOP"); desktop != nullptr && *desktop) {
    const double seconds = command == "window" || command == "message" || command == "messages" ? 60 : 0;
    HDESK handle = nullptr;
    Until([&] { return (handle = OpenDesktopW(Wide(desktop).c_str(), 0, FALSE, GENERIC_ALL)) != nullptr; }, seconds);
    // No desktop: no windows, so nothing to wait for or to act on.
    if (handle == nullptr) return command == "wait-gone" || command == "windows" ? 0 : 1;
    if (!SetThreadDesktop(handle)) return 2;
  }
  if (const int result = WindowCommand(command, argc, argv); result >= 0) return result;
  if (const int result = DialogCommand(command, argc, argv); result >= 0) return result;
  std::fprintf(stderr, "merkwandel-probe: unknown command %s\n", command.c_str());
  return 2;
}

}  // namespace

// The arguments as UTF-16 from the command line itself, in UTF-8 for the
// rest of the probe (main's own would be the ANSI code page's, with "?" for
// what it lacks).
int main() {
  int count = 0;
  LPWSTR* const wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return 2;
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(Utf8(wide[i]));
  LocalFree(wide);
  std::vector<char*> argv;
  for (auto& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  return Run(count, argv.data());
}
