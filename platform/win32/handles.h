// Owners of Windows handles: each closes, frees or destroys its handle
// exactly once, when it goes out of scope or is reset.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <utility>

namespace merkwandel::platform::win32 {

// A handle with a value that means "none" and a function that releases it.
template <typename Handle, typename Traits>
class Owned {
 public:
  Owned() = default;
  explicit Owned(Handle handle) : handle_(handle) {}
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  Owned(Owned&& other) noexcept : handle_(std::exchange(other.handle_, Traits::None())) {}
  Owned& operator=(Owned&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.handle_, Traits::None()));
    return *this;
  }
  ~Owned() { Reset(); }

  Handle get() const { return handle_; }
  // Gives up the handle without releasing it (it was released elsewhere).
  Handle release() { return std::exchange(handle_, Traits::None()); }
  bool valid() const { return handle_ != Traits::None(); }
  explicit operator bool() const { return valid(); }
  // Releases the handle held and takes `handle`. True when releasing it
  // reported no error.
  bool Reset(Handle handle = Traits::None()) {
    bool ok = true;
    if (handle_ != Traits::None()) ok = Traits::Release(handle_);
    handle_ = handle;
    return ok;
  }

 private:
  Handle handle_ = Traits::None();
};

// A kernel object handle of CreateFile and CreateProcess; both the null
// handle and INVALID_HANDLE_VALUE mean none.
struct KernelTraits {
  static HANDLE None() { return INVALID_HANDLE_VALUE; }
  static bool Release(HANDLE handle) { return handle == nullptr || CloseHandle(handle) != 0; }
};
class KernelHandle : public Owned<HANDLE, KernelTraits> {
 public:
  using Owned::Owned;
  explicit KernelHandle(HANDLE handle) : Owned(handle == nullptr ? INVALID_HANDLE_VALUE : handle) {}
};

// A directory search of FindFirstFile, ended by FindClose.
struct FindTraits {
  static HANDLE None() { return INVALID_HANDLE_VALUE; }
  static bool Release(HANDLE handle) { return FindClose(handle) != 0; }
};
using FindHandle = Owned<HANDLE, FindTraits>;

// A font, brush or other GDI object, deleted with DeleteObject.
template <typename Object>
struct GdiTraits {
  static Object None() { return nullptr; }
  static bool Release(Object object) { return DeleteObject(object) != 0; }
};
using FontHandle = Owned<HFONT, GdiTraits<HFONT>>;
using BrushHandle = Owned<HBRUSH, GdiTraits<HBRUSH>>;

// An icon of LoadImage without LR_SHARED, destroyed with DestroyIcon.
struct IconTraits {
  static HICON None() { return nullptr; }
  static bool Release(HICON icon) { return DestroyIcon(icon) != 0; }
};
using IconHandle = Owned<HICON, IconTraits>;

// A window, destroyed with DestroyWindow (with its child windows).
struct WindowTraits {
  static HWND None() { return nullptr; }
  static bool Release(HWND window) { return !IsWindow(window) || DestroyWindow(window) != 0; }
};
using WindowHandle = Owned<HWND, WindowTraits>;

// A COM interface pointer, released when it goes.
template <typename Interface>
struct ComTraits {
  static Interface* None() { return nullptr; }
  static bool Release(Interface* object) {
    object->Release();
    return true;
  }
};
template <typename Interface>
using ComPointer = Owned<Interface*, ComTraits<Interface>>;

// COM on this thread, from CoInitialize to the matching CoUninitialize.
class ComApartment {
 public:
  ComApartment() : result_(CoInitialize(nullptr)) {}
  ~ComApartment() {
    // S_FALSE: it was initialised already, and this call still counts.
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  // Usable also when the thread had chosen another threading model before.
  bool Usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }

 private:
  HRESULT result_;
};

// A device context of GetDC, given back with ReleaseDC.
class ScreenDc {
 public:
  ScreenDc() : dc_(GetDC(nullptr)) {}
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  ~ScreenDc() {
    if (dc_ != nullptr) ReleaseDC(nullptr, dc_);
  }
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

// A registered window class, unregistered when it goes.
class WindowClass {
 public:
  WindowClass() = default;
  WindowClass(const WindowClass&) = delete;
  WindowClass& operator=(const WindowClass&) = delete;
  ~WindowClass() {
    if (atom_ != 0) UnregisterClassW(reinterpret_cast<LPCWSTR>(MAKEINTATOM(atom_)), instance_);
  }
  // A class of the wide calls: its windows take and give UTF-16 texts.
  bool Register(const WNDCLASSEXW& windowClass) {
    instance_ = windowClass.hInstance;
    atom_ = RegisterClassExW(&windowClass);
    return atom_ != 0;
  }
  LPCWSTR name() const { return reinterpret_cast<LPCWSTR>(MAKEINTATOM(atom_)); }

 private:
  ATOM atom_ = 0;
  HINSTANCE instance_ = nullptr;
};

}  // namespace merkwandel::platform::win32
