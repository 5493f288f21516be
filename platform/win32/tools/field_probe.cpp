// field_probe: a console helper for end-to-end checks under Wine. Waits up to
// 30 seconds for the visible window captioned "Merkwandel", then prints, in
// ANSI, one line per visible single-line text field from top to bottom
// ("field <n>=<text>"; field 1 is tHypertext, field 2 tFavoriten) and the
// number of message boxes that the window's process shows ("dialogs=<n>").
// Exit status 0 when the window was found, 1 otherwise.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Field {
  LONG top;
  std::string text;
};

BOOL CALLBACK CollectField(HWND child, LPARAM param) {
  char className[32] = {};
  GetClassNameA(child, className, sizeof className);
  if (lstrcmpiA(className, "Edit") != 0 || !IsWindowVisible(child)) return TRUE;
  if ((GetWindowLongA(child, GWL_STYLE) & ES_MULTILINE) != 0) return TRUE;
  RECT rect{};
  GetWindowRect(child, &rect);
  // WM_GETTEXT reaches the control's content across processes.
  const auto length = SendMessageA(child, WM_GETTEXTLENGTH, 0, 0);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const auto copied = SendMessageA(child, WM_GETTEXT, static_cast<WPARAM>(text.size()),
                                   reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(copied));
  reinterpret_cast<std::vector<Field>*>(param)->push_back({rect.top, text});
  return TRUE;
}

struct DialogCount {
  DWORD process;
  int count;
};

BOOL CALLBACK CountDialog(HWND window, LPARAM param) {
  auto* dialogs = reinterpret_cast<DialogCount*>(param);
  char className[32] = {};
  GetClassNameA(window, className, sizeof className);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == dialogs->process && lstrcmpA(className, "#32770") == 0 &&
      IsWindowVisible(window)) {
    ++dialogs->count;
  }
  return TRUE;
}

}  // namespace

int main() {
  HWND window = nullptr;
  for (int tries = 0; tries < 300; ++tries) {
    window = FindWindowA(nullptr, "Merkwandel");
    if (window != nullptr && IsWindowVisible(window)) break;
    window = nullptr;
    Sleep(100);
  }
  if (window == nullptr) {
    std::printf("no window\n");
    return 1;
  }
  Sleep(500);  // let the window finish painting and any message box appear
  std::vector<Field> fields;
  EnumChildWindows(window, CollectField, reinterpret_cast<LPARAM>(&fields));
  std::stable_sort(fields.begin(), fields.end(),
                   [](const Field& a, const Field& b) { return a.top < b.top; });
  for (std::size_t i = 0; i < fields.size(); ++i) {
    std::printf("field %u=%s\n", static_cast<unsigned>(i + 1), fields[i].text.c_str());
  }
  DialogCount dialogs{0, 0};
  GetWindowThreadProcessId(window, &dialogs.process);
  EnumWindows(CountDialog, reinterpret_cast<LPARAM>(&dialogs));
  std::printf("dialogs=%d\n", dialogs.count);
  return 0;
}
