// merkwandel-probe: reads Merkwandel's window from outside, as the end-to-end
// test sees it, and acts on it where a test needs to. A console program run
// under the same Wine prefix as the program.
//
//   probe window [SECONDS]         wait for the main window, print its state
//   probe wait-locked [SECONDS]    wait until the five input controls are disabled
//   probe message TITLE [SECONDS]  wait for a message box, print its text and icon
//   probe no-message TITLE SECONDS succeed when no such message box appears
//   probe ok TITLE                 press OK in that message box
//   probe close                    close the main window (as its close button does)
//   probe wait-gone [SECONDS]      wait until the main window is gone
//   probe windows                  list the visible top-level windows
//   probe running NAME.exe         succeed while a process of that name runs
//   probe set NAME TEXT            set the text of the control NAME (a name of the design),
//                                  the caret behind it as after typing
//   probe click NAME               click the control NAME; returns at once
//   probe click-timed NAME TITLE [SECONDS]  click the control NAME, wait for the
//                                  message box TITLE, print the milliseconds in between
//   probe dialogs                  list the program's visible dialog windows
//   probe file-dialog TITLE [SECONDS]  wait for the open-file dialog TITLE, print
//                                  its folder, file type (and every one it lists)
//                                  and file name
//   probe file-choose TITLE NAME   type NAME as the file name and press Open;
//                                  succeed when the dialog closes
//   probe file-cancel TITLE        press Cancel in that dialog
//   probe folder-browser [SECONDS] wait for the shell's folder browser, print
//                                  its caption, its text and the selected folder
//   probe folder-choose PATH [SHOWN]  select PATH in its tree (shown with a
//                                  text that holds SHOWN, by default the last
//                                  part of PATH) and press OK; succeed when it closes
//   probe folder-cancel            press Cancel in the folder browser
//   probe messages TITLE QUIET [SECONDS]
//                                  what a run shows: every message box of that
//                                  title in order (one "message" line each),
//                                  each closed with OK, until no box has shown
//                                  and the controls have been unlocked for
//                                  QUIET seconds; then "idle"
//   probe close-timed [SECONDS]    close the main window and wait until its
//                                  process has ended: "gone", the milliseconds
//                                  from the close, the exit code
//   probe front                    bring the main window to the front
//   probe close-explorer [SECONDS] wait up to SECONDS for an Explorer window,
//                                  then close every one (a line each); 1 when
//                                  none came
//
// Texts on the command line may be in any script: the probe reads its
// arguments as UTF-16 and hands texts to the windows with the wide calls.
//
// With MERKWANDEL_DESKTOP set, the probe looks at the windows of that Wine
// desktop (as made by "explorer /desktop=NAME,...").
//
// Output is UTF-8 (a console is given UTF-16), one item a line, fields
// separated by tabs. The exit code
// is 0 on success, 1 when what was waited for did not come, 2 on misuse.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/root_design.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide.h"

namespace {

using merkwandel::platform::win32::Utf8;
using merkwandel::platform::win32::Wide;

constexpr wchar_t kCaption[] = L"Merkwandel";
constexpr int kFirstControlId = 100;

// printf, in UTF-8 on a pipe or file. A console gets the text as UTF-16:
// the C runtime would hand it the bytes as characters of the ANSI code page.
void Print(std::FILE* stream, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  va_list again;
  va_copy(again, arguments);
  std::string text(static_cast<std::size_t>(std::max(std::vsnprintf(nullptr, 0, format, again), 0)), '\0');
  va_end(again);
  std::vsnprintf(text.data(), text.size() + 1, format, arguments);
  va_end(arguments);
  const HANDLE handle = GetStdHandle(stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  if (GetConsoleMode(handle, &mode)) {
    std::fflush(stream);
    const std::wstring wide = Wide(text);
    DWORD written = 0;
    WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
  } else {
    std::fwrite(text.data(), 1, text.size(), stream);
  }
}

std::string TextOf(HWND window) {
  // WM_GETTEXT works across processes.
  const LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const LRESULT read = SendMessageW(window, WM_GETTEXT, static_cast<WPARAM>(text.size()),
                                    reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(read > 0 ? read : 0));
  return Utf8(text);
}

std::string ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return Utf8(name);
}

HWND MainWindow() { return FindWindowW(L"MerkwandelRoot", kCaption); }

template <typename Find>
HWND WaitFor(Find find, double seconds) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (HWND found = find()) return found;
    if (GetTickCount() - start > seconds * 1000.0) return nullptr;
    Sleep(50);
  }
}

std::vector<HWND> Descendants(HWND parent) {
  std::vector<HWND> found;
  EnumChildWindows(
      parent,
      [](HWND child, LPARAM list) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

std::string NameOf(HWND control) {
  const int index = GetDlgCtrlID(control) - kFirstControlId;
  const auto& controls = merkwandel::app::RootDesign().controls;
  if (index < 0 || static_cast<std::size_t>(index) >= controls.size()) return "?";
  return controls[static_cast<std::size_t>(index)].name;
}

HWND ControlNamed(HWND window, const std::string& name) {
  for (HWND child : Descendants(window)) {
    if (NameOf(child) == name) return child;
  }
  return nullptr;
}

bool Locked(HWND window) {
  for (const char* name : {"bStarten", "bHypertext", "tHypertext", "bFavoriten", "tFavoriten"}) {
    const HWND control = ControlNamed(window, name);
    if (control == nullptr || IsWindowEnabled(control)) return false;
  }
  return true;
}

int PrintWindow(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  RECT frame{};
  GetWindowRect(window, &frame);
  const LONG style = GetWindowLongW(window, GWL_STYLE);
  Print(stdout, "caption\t%s\n", TextOf(window).c_str());
  Print(stdout, "client\t%ld\t%ld\n", client.right - client.left, client.bottom - client.top);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  Print(stdout, "clientorigin\t%ld\t%ld\n", origin.x, origin.y);
  Print(stdout, "frame\t%ld\t%ld\t%ld\t%ld\n", frame.left, frame.top, frame.right - frame.left,
              frame.bottom - frame.top);
  Print(stdout, "screen\t%d\t%d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  Print(stdout, "style\tresizable=%d\tmaximizebox=%d\tminimizebox=%d\tsysmenu=%d\n",
              (style & WS_THICKFRAME) != 0, (style & WS_MAXIMIZEBOX) != 0,
              (style & WS_MINIMIZEBOX) != 0, (style & WS_SYSMENU) != 0);
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  std::string focus = "none";
  if (GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &gui) && gui.hwndFocus != nullptr) {
    focus = gui.hwndFocus == window ? "window" : NameOf(gui.hwndFocus);
  }
  Print(stdout, "focus\t%s\n", focus.c_str());
  for (HWND child : Descendants(window)) {
    RECT rect{};
    GetWindowRect(child, &rect);
    POINT topLeft{rect.left, rect.top};
    ScreenToClient(GetParent(child), &topLeft);
    const LONG childStyle = GetWindowLongW(child, GWL_STYLE);
    Print(stdout, "control\t%s\t%s\t%ld\t%ld\t%ld\t%ld\t%d\t%d\t%d\t%s\n", NameOf(child).c_str(),
                ClassOf(child).c_str(), topLeft.x, topLeft.y, rect.right - rect.left,
                rect.bottom - rect.top, IsWindowVisible(child) ? 1 : 0,
                IsWindowEnabled(child) ? 1 : 0,
                (childStyle & 0x0F) == BS_DEFPUSHBUTTON && ClassOf(child) == "Button" ? 1 : 0,
                TextOf(child).c_str());
  }
  return 0;
}

// 32 x 32 pixels: a piece of the screen, or an icon drawn on one colour.
class Tile {
 public:
  Tile() {
    screen_ = GetDC(nullptr);
    dc_ = CreateCompatibleDC(screen_);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = kSize;
    info.bmiHeader.biHeight = -kSize;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
    before_ = SelectObject(dc_, bitmap_);
  }
  Tile(const Tile&) = delete;
  Tile& operator=(const Tile&) = delete;
  ~Tile() {
    SelectObject(dc_, before_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
    ReleaseDC(nullptr, screen_);
  }
  void Capture(int left, int top) {
    BitBlt(dc_, 0, 0, kSize, kSize, screen_, left, top, SRCCOPY);
    GdiFlush();
  }
  void Draw(HICON icon, DWORD background) {
    for (int i = 0; i < kSize * kSize; ++i) Pixels()[i] = background;
    DrawIconEx(dc_, 0, 0, icon, kSize, kSize, 0, nullptr, DI_NORMAL);
    GdiFlush();
  }
  DWORD* Pixels() { return static_cast<DWORD*>(bits_); }
  long Difference(Tile& other) {
    long sum = 0;
    for (int i = 0; i < kSize * kSize; ++i) {
      for (int shift = 0; shift < 24; shift += 8) {
        sum += std::labs(static_cast<long>((Pixels()[i] >> shift) & 0xFF) -
                         static_cast<long>((other.Pixels()[i] >> shift) & 0xFF));
      }
    }
    return sum;
  }
  static constexpr int kSize = 32;

 private:
  HDC screen_ = nullptr;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ before_ = nullptr;
  void* bits_ = nullptr;
};

// The icon a message box shows, told apart by what is on the screen (its
// handle means nothing in another process): the system icon that differs
// least from it when drawn on the same background.
std::string ShownIcon(HWND iconControl) {
  if (iconControl == nullptr) return "none";
  RECT rect{};
  GetWindowRect(iconControl, &rect);
  Tile shown;
  shown.Capture(rect.left, rect.top);
  const DWORD background = shown.Pixels()[0];
  const struct {
    LPCWSTR id;
    const char* name;
  } known[] = {{IDI_INFORMATION, "information"}, {IDI_WARNING, "warning"}, {IDI_ERROR, "error"},
               {IDI_QUESTION, "question"}};
  std::string best = "unknown";
  long bestDifference = -1;
  for (const auto& k : known) {
    Tile candidate;
    candidate.Draw(LoadIconW(nullptr, k.id), background);
    const long difference = shown.Difference(candidate);
    Print(stdout, "iconscore\t%s\t%ld\n", k.name, difference);
    if (bestDifference < 0 || difference < bestDifference) {
      bestDifference = difference;
      best = k.name;
    }
  }
  return best;
}

HWND FindMessage(const std::string& title) { return FindWindowW(L"#32770", Wide(title).c_str()); }

// What a message box shows: its text, its icon control and its visible buttons.
struct MessageParts {
  std::string text;
  HWND icon = nullptr;
  std::vector<std::string> buttons;
};

MessageParts ReadMessage(HWND box) {
  MessageParts parts;
  for (HWND child : Descendants(box)) {
    const std::string kind = ClassOf(child);
    const LONG style = GetWindowLongW(child, GWL_STYLE);
    if (kind == "Static" && (style & SS_TYPEMASK) == SS_ICON) {
      parts.icon = child;
    } else if (kind == "Static" && GetDlgCtrlID(child) == 0xFFFF) {
      parts.text = TextOf(child);
    } else if (kind == "Button" && IsWindowVisible(child)) {
      parts.buttons.push_back(TextOf(child));
    }
  }
  return parts;
}

int PrintMessage(HWND box) {
  const MessageParts parts = ReadMessage(box);
  for (const auto& button : parts.buttons) Print(stdout, "button\t%s\n", button.c_str());
  RECT frame{};
  GetWindowRect(box, &frame);
  Print(stdout, "title\t%s\n", TextOf(box).c_str());
  // The text as one line; its trailing blanks are kept (marked by "|").
  Print(stdout, "text\t%s|\n", parts.text.c_str());
  Print(stdout, "icon\t%s\n", ShownIcon(parts.icon).c_str());
  Print(stdout, "buttons\t%zu\n", parts.buttons.size());
  Print(stdout, "frame\t%ld\t%ld\t%ld\t%ld\n", frame.left, frame.top, frame.right - frame.left,
              frame.bottom - frame.top);
  return 0;
}

double Seconds(int argc, char** argv, int at, double fallback) {
  return argc > at ? std::atof(argv[at]) : fallback;
}

// ---- The program's dialogs: the open-file dialog and the folder browser ----

constexpr int kFileNameField = 0x47C;           // cmb13: the file name in the file dialogs
constexpr int kFileTypeList = 0x470;            // cmb1: the file types
constexpr int kBrowseTree = 0x3741;             // the folder browser's tree
constexpr int kBrowseText = 0x3742;             // the text above it
constexpr UINT kGetFolderPath = WM_USER + 102;  // CDM_GETFOLDERPATH, to a file dialog
constexpr UINT kSetSelection = WM_USER + 103;   // BFFM_SETSELECTIONW, to the folder browser

DWORD ProcessOf(HWND window) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  return process;
}

// Memory inside the process of a window, for the messages whose pointers
// are not carried across processes (the file dialog's folder, tree items,
// the browser's selection). Freed when it goes.
class RemoteMemory {
 public:
  RemoteMemory(HWND window, std::size_t size)
      : process_(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                             ProcessOf(window))) {
    if (process_) {
      address_ = VirtualAllocEx(process_.get(), nullptr, size, MEM_COMMIT | MEM_RESERVE,
                                PAGE_READWRITE);
    }
  }
  ~RemoteMemory() {
    if (address_ != nullptr) VirtualFreeEx(process_.get(), address_, 0, MEM_RELEASE);
  }
  RemoteMemory(const RemoteMemory&) = delete;
  RemoteMemory& operator=(const RemoteMemory&) = delete;

  bool Usable() const { return address_ != nullptr; }
  // The address of `offset` as the other process sees it.
  char* At(std::size_t offset) const { return static_cast<char*>(address_) + offset; }
  LPARAM Address() const { return reinterpret_cast<LPARAM>(address_); }
  bool Write(std::size_t offset, const void* data, std::size_t size) {
    return WriteProcessMemory(process_.get(), At(offset), data, size, nullptr) != 0;
  }
  bool Read(std::size_t offset, void* data, std::size_t size) {
    return ReadProcessMemory(process_.get(), At(offset), data, size, nullptr) != 0;
  }

 private:
  merkwandel::platform::win32::KernelHandle process_;
  void* address_ = nullptr;
};

// Reads a zero-terminated UTF-16 text of at most `units` units from `remote`.
std::string ReadText(RemoteMemory& remote, std::size_t offset, std::size_t units) {
  std::wstring text(units, L'\0');
  if (!remote.Read(offset, text.data(), units * sizeof(wchar_t))) return std::string();
  return Utf8(text.c_str());
}

// The visible dialog window that holds the control `marker` and, when
// `caption` is given, has that caption; of the program when its window is
// there.
HWND FindDialog(int marker, const char* caption) {
  struct Search {
    int marker;
    const char* caption;
    DWORD program;
    HWND found;
  } search{marker, caption, 0, nullptr};
  if (const HWND main = MainWindow()) search.program = ProcessOf(main);
  EnumWindows(
      [](HWND window, LPARAM context) -> BOOL {
        auto* s = reinterpret_cast<Search*>(context);
        if (ClassOf(window) != "#32770" || !IsWindowVisible(window)) return TRUE;
        if (s->program != 0 && ProcessOf(window) != s->program) return TRUE;
        if (GetDlgItem(window, s->marker) == nullptr) return TRUE;
        if (s->caption != nullptr && TextOf(window) != s->caption) return TRUE;
        s->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND FindFileDialog(const char* caption) { return FindDialog(kFileNameField, caption); }
HWND FindFolderBrowser() { return FindDialog(kBrowseTree, nullptr); }

// Waits until `dialog` has closed; false when it stays (it refused the input).
bool WaitClosed(HWND dialog, double seconds) {
  const HWND anything = reinterpret_cast<HWND>(1);
  return WaitFor([&] { return IsWindow(dialog) ? nullptr : anything; }, seconds) != nullptr;
}

// Presses a button of a dialog as a click does; false when it is disabled.
bool Press(HWND dialog, int button) {
  const HWND control = GetDlgItem(dialog, button);
  if (control != nullptr && !IsWindowEnabled(control)) return false;
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(control));
  return true;
}

// The folder the file dialog shows.
std::string FolderShown(HWND dialog) {
  constexpr std::size_t kUnits = 1024;
  RemoteMemory remote(dialog, kUnits * sizeof(wchar_t));
  if (!remote.Usable() || !remote.Write(0, std::wstring(kUnits, L'\0').data(), kUnits * sizeof(wchar_t))) {
    return "?";
  }
  // The dialog of GetOpenFileNameW answers in UTF-16.
  if (SendMessageW(dialog, kGetFolderPath, kUnits, remote.Address()) <= 0) return "?";
  return ReadText(remote, 0, kUnits);
}

// The text of the item selected in the folder browser's tree.
std::string SelectedFolder(HWND tree) {
  const LRESULT item = SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
  if (item == 0) return std::string();
  constexpr std::size_t kText = MAX_PATH;
  RemoteMemory remote(tree, sizeof(TVITEMW) + kText * sizeof(wchar_t));
  TVITEMW data{};
  data.mask = TVIF_TEXT;
  data.hItem = reinterpret_cast<HTREEITEM>(item);
  data.pszText = reinterpret_cast<LPWSTR>(remote.At(sizeof data));
  data.cchTextMax = static_cast<int>(kText);
  if (!remote.Usable() || !remote.Write(0, &data, sizeof data) ||
      !remote.Write(sizeof data, std::wstring(kText, L'\0').data(), kText * sizeof(wchar_t))) {
    return std::string();
  }
  if (!SendMessageW(tree, TVM_GETITEMW, 0, remote.Address())) return std::string();
  return ReadText(remote, sizeof data, kText);
}

int PrintFileDialog(HWND dialog) {
  Print(stdout, "title\t%s\n", TextOf(dialog).c_str());
  Print(stdout, "folder\t%s\n", FolderShown(dialog).c_str());
  const HWND types = GetDlgItem(dialog, kFileTypeList);
  Print(stdout, "type\t%s\n", TextOf(types).c_str());
  // Every entry of the list, in its order (CB_GETLBTEXT works across processes).
  std::string all;
  const LRESULT count = SendMessageW(types, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    std::wstring text(static_cast<std::size_t>(std::max<LRESULT>(SendMessageW(types, CB_GETLBTEXTLEN, i, 0), 0)) + 1,
                      L'\0');
    const LRESULT read = SendMessageW(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(read > 0 ? read : 0));
    all += (i == 0 ? "" : "|") + Utf8(text);
  }
  Print(stdout, "types\t%s\n", all.c_str());
  Print(stdout, "name\t%s\n", TextOf(GetDlgItem(dialog, kFileNameField)).c_str());
  return 0;
}

int PrintFolderBrowser(HWND dialog) {
  Print(stdout, "title\t%s\n", TextOf(dialog).c_str());
  Print(stdout, "text\t%s\n", TextOf(GetDlgItem(dialog, kBrowseText)).c_str());
  Print(stdout, "selected\t%s\n", SelectedFolder(GetDlgItem(dialog, kBrowseTree)).c_str());
  return 0;
}

// Selects `path` in the folder browser as a user would by clicking through
// the tree, waits until the tree shows an item whose text holds `shown`
// (by default the path's last part) and presses OK.
int ChooseFolder(HWND dialog, const std::string& path, std::string shown, double seconds) {
  if (shown.empty()) shown = path.substr(path.find_last_of('\\') + 1);
  if (shown.empty()) {
    Print(stderr, "merkwandel-probe: say how the tree shows %s\n", path.c_str());
    return 2;
  }
  const HWND tree = GetDlgItem(dialog, kBrowseTree);
  const std::wstring wide = Wide(path);
  RemoteMemory remote(dialog, (wide.size() + 1) * sizeof(wchar_t));
  if (!remote.Usable() || !remote.Write(0, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t))) return 2;
  std::string selected;
  const DWORD start = GetTickCount();
  while (selected.find(shown) == std::string::npos && GetTickCount() - start < seconds * 1000.0) {
    SendMessageW(dialog, kSetSelection, TRUE, remote.Address());
    Sleep(100);
    selected = SelectedFolder(tree);
  }
  Print(stdout, "selected\t%s\n", selected.c_str());
  if (selected.find(shown) == std::string::npos) {
    Print(stderr, "merkwandel-probe: the tree does not select %s\n", path.c_str());
    return 1;
  }
  if (!Press(dialog, IDOK)) {
    Print(stderr, "merkwandel-probe: OK is disabled for %s\n", path.c_str());
    return 1;
  }
  return WaitClosed(dialog, 10) ? 0 : 1;
}

// Clicks `control` and waits for the message box `title`, looking for it
// every 10 ms; prints the time in between ("elapsed<TAB>milliseconds").
int ClickTimed(HWND control, const std::string& title, double seconds) {
  LARGE_INTEGER frequency{};
  LARGE_INTEGER start{};
  LARGE_INTEGER end{};
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  PostMessageW(control, BM_CLICK, 0, 0);
  for (;;) {
    const bool found = FindMessage(title) != nullptr;
    QueryPerformanceCounter(&end);
    const double elapsed = static_cast<double>(end.QuadPart - start.QuadPart) * 1000.0 /
                           static_cast<double>(frequency.QuadPart);
    if (found) {
      Print(stdout, "elapsed\t%.1f\n", elapsed);
      return 0;
    }
    if (elapsed > seconds * 1000.0) return 1;
    Sleep(10);
  }
}

// The commands on the main window's controls by name and on its dialogs;
// -1 for any other command.
int ControlOrDialogCommand(const std::string& command, int argc, char** argv) {
  if ((command == "set" && argc >= 4) || (command == "click" && argc >= 3)) {
    const HWND main = MainWindow();
    const HWND control = main == nullptr ? nullptr : ControlNamed(main, argv[2]);
    if (control == nullptr) return 1;
    if (command == "set") {
      SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(argv[3]).c_str()));
      const LRESULT end = SendMessageW(control, WM_GETTEXTLENGTH, 0, 0);
      SendMessageW(control, EM_SETSEL, static_cast<WPARAM>(end), end);
      SendMessageW(control, EM_SCROLLCARET, 0, 0);
    } else {
      PostMessageW(control, BM_CLICK, 0, 0);
    }
    return 0;
  }
  if (command == "click-timed" && argc >= 4) {
    const HWND main = MainWindow();
    const HWND control = main == nullptr ? nullptr : ControlNamed(main, argv[2]);
    if (control == nullptr) return 1;
    return ClickTimed(control, argv[3], Seconds(argc, argv, 4, 600));
  }
  if (command == "dialogs") {
    const HWND main = MainWindow();
    const DWORD program = main == nullptr ? 0 : ProcessOf(main);
    EnumWindows(
        [](HWND window, LPARAM process) -> BOOL {
          if (ClassOf(window) != "#32770" || !IsWindowVisible(window)) return TRUE;
          if (process != 0 && ProcessOf(window) != static_cast<DWORD>(process)) return TRUE;
          const char* kind = GetDlgItem(window, kFileNameField) != nullptr ? "file"
                             : GetDlgItem(window, kBrowseTree) != nullptr  ? "folder"
                             : GetDlgItem(window, 0xFFFF) != nullptr       ? "message"
                                                                           : "other";
          Print(stdout, "dialog\t%s\t%s\n", kind, TextOf(window).c_str());
          return TRUE;
        },
        static_cast<LPARAM>(program));
    return 0;
  }
  if (command == "file-dialog" && argc >= 3) {
    const HWND dialog = WaitFor([&] { return FindFileDialog(argv[2]); }, Seconds(argc, argv, 3, 30));
    if (dialog == nullptr) return 1;
    Sleep(300);  // let it fill its controls
    return PrintFileDialog(dialog);
  }
  if ((command == "file-choose" && argc >= 4) || (command == "file-cancel" && argc >= 3)) {
    const HWND dialog = WaitFor([&] { return FindFileDialog(argv[2]); }, 5);
    if (dialog == nullptr) return 1;
    if (command == "file-choose") {
      SetDlgItemTextW(dialog, kFileNameField, Wide(argv[3]).c_str());
      Press(dialog, IDOK);
    } else {
      Press(dialog, IDCANCEL);
    }
    if (WaitClosed(dialog, 10)) return 0;
    Print(stderr, "merkwandel-probe: the file dialog stays open\n");
    return 1;
  }
  if (command == "folder-browser") {
    const HWND dialog = WaitFor(FindFolderBrowser, Seconds(argc, argv, 2, 30));
    if (dialog == nullptr) return 1;
    Sleep(300);  // let it fill its tree
    return PrintFolderBrowser(dialog);
  }
  if (command == "folder-choose" && argc >= 3) {
    const HWND dialog = WaitFor(FindFolderBrowser, 5);
    if (dialog == nullptr) return 1;
    return ChooseFolder(dialog, argv[2], argc >= 4 ? argv[3] : "", 10);
  }
  if (command == "folder-cancel") {
    const HWND dialog = WaitFor(FindFolderBrowser, 5);
    if (dialog == nullptr) return 1;
    Press(dialog, IDCANCEL);
    return WaitClosed(dialog, 10) ? 0 : 1;
  }
  return -1;
}

// ---- For the robustness test: a run's messages in order, Explorer, timed closing ----

// One line for a message box: title, icon, number of buttons, text (its
// trailing blanks kept, marked by "|").
void PrintMessageLine(HWND box) {
  const MessageParts parts = ReadMessage(box);
  Print(stdout, "message\t%s\t%s\t%zu\t%s|\n", TextOf(box).c_str(), ShownIcon(parts.icon).c_str(),
              parts.buttons.size(), parts.text.c_str());
  std::fflush(stdout);
}

int CollectMessages(const std::string& title, double quiet, double seconds) {
  const DWORD start = GetTickCount();
  DWORD busy = start;  // when a box or the locked window was last seen
  for (;;) {
    const DWORD now = GetTickCount();
    if (now - start > seconds * 1000.0) {
      Print(stdout, "timeout\n");
      return 1;
    }
    if (const HWND box = FindMessage(title)) {
      Sleep(300);  // let it finish drawing
      PrintMessageLine(box);
      if (!Press(box, IDOK) || !WaitClosed(box, 10)) {
        Print(stdout, "stuck\n");
        return 1;
      }
      busy = GetTickCount();
      continue;
    }
    const HWND window = MainWindow();
    if (window != nullptr && Locked(window)) {
      busy = now;
    } else if (now - busy > quiet * 1000.0) {
      Print(stdout, "idle\n");
      return 0;
    }
    Sleep(50);
  }
}

int CloseTimed(double seconds) {
  const HWND window = MainWindow();
  if (window == nullptr) return 1;
  DWORD id = 0;
  GetWindowThreadProcessId(window, &id);
  const merkwandel::platform::win32::KernelHandle process(
      OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, id));
  if (!process) return 2;
  LARGE_INTEGER frequency{}, closed{}, gone{};
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&closed);
  PostMessageW(window, WM_CLOSE, 0, 0);
  const DWORD waited = WaitForSingleObject(process.get(), static_cast<DWORD>(seconds * 1000.0));
  QueryPerformanceCounter(&gone);
  const double milliseconds =
      static_cast<double>(gone.QuadPart - closed.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
  if (waited != WAIT_OBJECT_0) {
    Print(stdout, "running\t%.0f\n", milliseconds);
    return 1;
  }
  DWORD code = 0;
  GetExitCodeProcess(process.get(), &code);
  Print(stdout, "gone\t%.0f\t0x%08lX\n", milliseconds, code);
  return 0;
}

int BringToFront() {
  const HWND window = MainWindow();
  if (window == nullptr) return 1;
  ShowWindow(window, SW_RESTORE);
  return SetForegroundWindow(window) ? 0 : 1;
}

bool IsExplorer(HWND window) {
  const std::string kind = ClassOf(window);
  return IsWindowVisible(window) && (kind == "ExplorerWClass" || kind == "CabinetWClass");
}

HWND FindExplorer() {
  HWND found = nullptr;
  EnumWindows(
      [](HWND window, LPARAM result) -> BOOL {
        if (!IsExplorer(window)) return TRUE;
        *reinterpret_cast<HWND*>(result) = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

int CloseExplorers(double seconds) {
  if (WaitFor(FindExplorer, seconds) == nullptr) return 1;
  EnumWindows(
      [](HWND window, LPARAM) -> BOOL {
        if (IsExplorer(window)) {
          Print(stdout, "closed\t%s\t%s\n", ClassOf(window).c_str(), TextOf(window).c_str());
          PostMessageW(window, WM_CLOSE, 0, 0);
        }
        return TRUE;
      },
      0);
  return 0;
}

// The commands above; -1 when `command` is none of them.
int RobustnessCommand(const std::string& command, int argc, char** argv) {
  if (command == "messages" && argc >= 4) {
    return CollectMessages(argv[2], std::atof(argv[3]), Seconds(argc, argv, 4, 60));
  }
  if (command == "close-timed") return CloseTimed(Seconds(argc, argv, 2, 10));
  if (command == "front") return BringToFront();
  if (command == "close-explorer") return CloseExplorers(Seconds(argc, argv, 2, 0));
  return -1;
}

}  // namespace

int Run(int argc, char** argv) {
  if (argc < 2) {
    Print(stderr, "usage: merkwandel-probe COMMAND ...\n");
    return 2;
  }
  const std::string command = argv[1];
  // The desktop comes with the program: those who wait for the program wait
  // for it too; for the others no desktop means no windows.
  const bool waits = command == "window" || command == "wait-locked" || command == "message" ||
                     command == "messages";
  if (const char* desktop = std::getenv("MERKWANDEL_DESKTOP"); desktop != nullptr && *desktop) {
    HDESK handle = nullptr;
    const DWORD start = GetTickCount();
    while ((handle = OpenDesktopW(Wide(desktop).c_str(), 0, FALSE, GENERIC_ALL)) == nullptr && waits &&
           GetTickCount() - start < 60000) {
      Sleep(100);
    }
    if (handle == nullptr && waits) {
      Print(stderr, "merkwandel-probe: no desktop %s\n", desktop);
      return 1;
    }
    if (handle != nullptr && !SetThreadDesktop(handle)) return 2;
    if (handle == nullptr && command != "running") {
      return command == "wait-gone" || command == "no-message" || command == "windows" ? 0 : 1;
    }
  }
  if (command == "window") {
    const HWND window = WaitFor(MainWindow, Seconds(argc, argv, 2, 20));
    return window == nullptr ? 1 : PrintWindow(window);
  }
  if (command == "wait-locked") {
    const DWORD start = GetTickCount();
    const HWND window = WaitFor([] { return MainWindow(); }, 5);
    if (window == nullptr) return 1;
    const HWND locked = WaitFor([&] { return Locked(window) ? window : nullptr; },
                                Seconds(argc, argv, 2, 10));
    if (locked == nullptr) return 1;
    Print(stdout, "locked\t%lu ms\n", GetTickCount() - start);
    return 0;
  }
  if (command == "message" && argc >= 3) {
    const std::string title = argv[2];
    const HWND box = WaitFor([&] { return FindMessage(title); }, Seconds(argc, argv, 3, 30));
    if (box == nullptr) return 1;
    Sleep(300);  // let it finish drawing
    return PrintMessage(box);
  }
  if (command == "no-message" && argc >= 4) {
    const std::string title = argv[2];
    return WaitFor([&] { return FindMessage(title); }, Seconds(argc, argv, 3, 3)) == nullptr ? 0 : 1;
  }
  if (command == "ok" && argc >= 3) {
    const HWND box = FindMessage(argv[2]);
    if (box == nullptr) return 1;
    const HWND button = GetDlgItem(box, IDOK);
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    return 0;
  }
  if (command == "close") {
    const HWND window = MainWindow();
    if (window == nullptr) return 1;
    PostMessageW(window, WM_CLOSE, 0, 0);
    return 0;
  }
  if (command == "wait-gone") {
    const HWND anything = reinterpret_cast<HWND>(1);
    const HWND gone = WaitFor([&] { return MainWindow() == nullptr ? anything : nullptr; },
                              Seconds(argc, argv, 2, 10));
    return gone == nullptr ? 1 : 0;
  }
  if (command == "running" && argc >= 3) {
    merkwandel::platform::win32::KernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return 2;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    bool found = false;
    const std::wstring name = Wide(argv[2]);
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more && !found;
         more = Process32NextW(snapshot.get(), &entry)) {
      found = lstrcmpiW(entry.szExeFile, name.c_str()) == 0;
    }
    return found ? 0 : 1;
  }
  if (command == "windows") {
    EnumWindows(
        [](HWND window, LPARAM) -> BOOL {
          if (IsWindowVisible(window)) {
            Print(stdout, "toplevel\t%s\t%s\n", ClassOf(window).c_str(), TextOf(window).c_str());
          }
          return TRUE;
        },
        0);
    return 0;
  }
  if (const int result = ControlOrDialogCommand(command, argc, argv); result >= 0) return result;
  if (const int result = RobustnessCommand(command, argc, argv); result >= 0) return result;
  Print(stderr, "merkwandel-probe: unknown command %s\n", command.c_str());
  return 2;
}

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
