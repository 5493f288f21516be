// window_probe: reads and drives Merkwandel's main window from outside, for
// end-to-end tests under Wine.
//
//   window_probe fields         the texts of the visible edit fields, top
//                               to bottom, one a line (ANSI)
//   window_probe set N TEXT     replaces the text of visible edit field N
//   window_probe click N        clicks the N-th "..." button, top to
//                               bottom, and returns at once
//   window_probe dialogs        for every visible dialog window: its
//                               caption, then the texts of its visible
//                               controls indented by two blanks
//
// Fields and buttons count from 0. Exit code 2 when the window or the
// control isn't there.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Control {
  HWND window;
  LONG top;
  LONG left;
};

struct Search {
  const char* className;
  const char* text;  // null: any text
  std::vector<Control> found;
};

BOOL CALLBACK Collect(HWND child, LPARAM context) {
  auto* search = reinterpret_cast<Search*>(context);
  char className[64] = {};
  GetClassNameA(child, className, sizeof className);
  if (_stricmp(className, search->className) != 0 || !IsWindowVisible(child)) return TRUE;
  if (search->text != nullptr) {
    char text[64] = {};
    GetWindowTextA(child, text, sizeof text);
    if (std::strcmp(text, search->text) != 0) return TRUE;
  }
  RECT rect;
  GetWindowRect(child, &rect);
  search->found.push_back({child, rect.top, rect.left});
  return TRUE;
}

std::vector<Control> Find(HWND main, const char* className, const char* text) {
  Search search{className, text, {}};
  EnumChildWindows(main, &Collect, reinterpret_cast<LPARAM>(&search));
  std::sort(search.found.begin(), search.found.end(), [](const Control& a, const Control& b) {
    return a.top != b.top ? a.top < b.top : a.left < b.left;
  });
  return search.found;
}

std::string Text(HWND window) {
  const LRESULT length = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  SendMessageA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(std::strlen(text.c_str()));
  return text;
}

BOOL CALLBACK PrintChild(HWND child, LPARAM) {
  if (IsWindowVisible(child)) {
    const std::string text = Text(child);
    if (!text.empty()) std::printf("  %s\n", text.c_str());
  }
  return TRUE;
}

BOOL CALLBACK PrintDialog(HWND window, LPARAM) {
  char className[64] = {};
  GetClassNameA(window, className, sizeof className);
  if (std::strcmp(className, "#32770") == 0 && IsWindowVisible(window)) {
    std::printf("%s\n", Text(window).c_str());
    EnumChildWindows(window, &PrintChild, 0);
  }
  return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: window_probe fields | set N TEXT | click N\n");
    return 1;
  }
  const std::string command = argv[1];
  if (command == "dialogs") {
    EnumWindows(&PrintDialog, 0);
    return 0;
  }
  const HWND main = FindWindowA(nullptr, "Merkwandel");
  if (main == nullptr) return 2;
  if (command == "fields") {
    for (const Control& field : Find(main, "Edit", nullptr)) {
      std::printf("%s\n", Text(field.window).c_str());
    }
    return 0;
  }
  if (argc < 3) return 1;
  const std::size_t index = std::strtoul(argv[2], nullptr, 10);
  if (command == "set" && argc == 4) {
    const auto fields = Find(main, "Edit", nullptr);
    if (index >= fields.size()) return 2;
    SendMessageA(fields[index].window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[3]));
    return 0;
  }
  if (command == "click") {
    const auto buttons = Find(main, "Button", "...");
    if (index >= buttons.size()) return 2;
    PostMessageA(buttons[index].window, BM_CLICK, 0, 0);
    return 0;
  }
  return 1;
}
