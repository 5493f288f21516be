#include "platform/win32/win32_shell.h"

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <array>
#include <climits>
#include <utility>

#include "platform/win32/handles.h"
#include "platform/win32/wide.h"

namespace merkwandel::platform::win32 {
namespace {

// An owned IDispatch pointer, released when it goes.
using DispatchPtr = ComPointer<IDispatch>;

// An owned BSTR, freed when it goes.
class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(BSTR owned) : b_(owned) {}
  ~Bstr() { SysFreeString(b_); }
  Bstr(Bstr&& other) noexcept : b_(other.Release()) {}
  Bstr& operator=(Bstr&& other) noexcept {
    if (this != &other) {
      SysFreeString(b_);
      b_ = other.Release();
    }
    return *this;
  }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR get() const { return b_; }
  BSTR Release() { return std::exchange(b_, nullptr); }

 private:
  BSTR b_ = nullptr;
};

// A VARIANT that is cleared (releasing what it holds) when it goes.
class Variant {
 public:
  Variant() { VariantInit(&v_); }
  ~Variant() { VariantClear(&v_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  VARIANT* get() { return &v_; }
  const VARIANT& operator*() const { return v_; }

 private:
  VARIANT v_;
};

// The strings an automation error leaves in EXCEPINFO, freed when it goes.
class ExceptionInfo {
 public:
  ExceptionInfo() { ZeroMemory(&info_, sizeof info_); }
  ~ExceptionInfo() {
    SysFreeString(info_.bstrSource);
    SysFreeString(info_.bstrDescription);
    SysFreeString(info_.bstrHelpFile);
  }
  ExceptionInfo(const ExceptionInfo&) = delete;
  ExceptionInfo& operator=(const ExceptionInfo&) = delete;
  EXCEPINFO* get() { return &info_; }

 private:
  EXCEPINFO info_;
};

// UTF-8 text as a BSTR; null when it can't be made.
Bstr ToBstr(const std::string& utf8) {
  const std::wstring wide = Wide(utf8);
  if (wide.size() > static_cast<std::size_t>(UINT_MAX / sizeof(wchar_t))) return Bstr();
  return Bstr(SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size())));
}

// Calls the member `name` of `object` with `args` (in their written order)
// as a method or property read, as late-bound callers do. Fills `result`.
bool Invoke(IDispatch* object, const wchar_t* name, VARIANT* args, UINT argCount,
            Variant& result) {
  DISPID id = DISPID_UNKNOWN;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return false;
  // IDispatch takes the arguments last first.
  std::array<VARIANTARG, 4> reversed{};
  if (argCount > reversed.size()) return false;
  for (UINT i = 0; i < argCount; ++i) reversed[argCount - 1 - i] = args[i];
  DISPPARAMS params{argCount == 0 ? nullptr : reversed.data(), nullptr, argCount, 0};
  ExceptionInfo exception;
  UINT badArgument = 0;
  return SUCCEEDED(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT,
                                  DISPATCH_METHOD | DISPATCH_PROPERTYGET, &params, result.get(),
                                  exception.get(), &badArgument));
}

// The object a call gave back; null for Nothing and for anything else.
DispatchPtr TakeObject(Variant& result) {
  const VARIANT& v = *result;
  IDispatch* object = nullptr;
  if (v.vt == VT_DISPATCH && v.pdispVal != nullptr) {
    v.pdispVal->AddRef();
    object = v.pdispVal;
  } else if (v.vt == VT_UNKNOWN && v.punkVal != nullptr) {
    if (FAILED(v.punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&object)))) {
      object = nullptr;
    }
  }
  return DispatchPtr(object);
}

// The text a call gave back, converted to a string as late-bound callers do.
std::optional<std::string> TakeString(Variant& result) {
  Variant text;
  if (FAILED(VariantChangeType(text.get(), result.get(), 0, VT_BSTR))) return std::nullopt;
  const BSTR b = (*text).bstrVal;
  if (b == nullptr) return std::string();
  return Utf8(std::wstring_view(b, SysStringLen(b)));
}

// A string property of an object.
std::optional<std::string> GetString(IDispatch* object, const wchar_t* name) {
  Variant result;
  if (!Invoke(object, name, nullptr, 0, result)) return std::nullopt;
  return TakeString(result);
}

class Win32Item final : public ShellFolderItem {
 public:
  Win32Item(std::shared_ptr<ComApartment> com, DispatchPtr item)
      : com_(std::move(com)), item_(std::move(item)) {}

  std::optional<std::string> Path() override try {
    return GetString(item_.get(), L"Path");
  } catch (...) {
    return std::nullopt;
  }

 private:
  std::shared_ptr<ComApartment> com_;  // declared first: released last
  DispatchPtr item_;
};

class Win32Folder final : public ShellFolder {
 public:
  Win32Folder(std::shared_ptr<ComApartment> com, DispatchPtr folder)
      : com_(std::move(com)), folder_(std::move(folder)) {}

  std::optional<std::string> Title() override try {
    return GetString(folder_.get(), L"Title");
  } catch (...) {
    return std::nullopt;
  }

  std::unique_ptr<ShellFolder> ParentFolder() override try {
    Variant result;
    if (!Invoke(folder_.get(), L"ParentFolder", nullptr, 0, result)) return nullptr;
    DispatchPtr parent = TakeObject(result);
    if (!parent) return nullptr;
    return std::make_unique<Win32Folder>(com_, std::move(parent));
  } catch (...) {
    return nullptr;
  }

  std::unique_ptr<ShellFolderItem> ParseName(const std::string& name) override try {
    Bstr wideName = ToBstr(name);
    if (wideName.get() == nullptr) return nullptr;
    VARIANT arg;
    VariantInit(&arg);
    arg.vt = VT_BSTR;
    arg.bstrVal = wideName.get();  // still owned by wideName
    Variant result;
    if (!Invoke(folder_.get(), L"ParseName", &arg, 1, result)) return nullptr;
    DispatchPtr item = TakeObject(result);
    if (!item) return nullptr;
    return std::make_unique<Win32Item>(com_, std::move(item));
  } catch (...) {
    return nullptr;
  }

  std::unique_ptr<ShellFolderItem> Self() override try {
    Variant result;
    if (!Invoke(folder_.get(), L"Self", nullptr, 0, result)) return nullptr;
    DispatchPtr item = TakeObject(result);
    if (!item) return nullptr;
    return std::make_unique<Win32Item>(com_, std::move(item));
  } catch (...) {
    return nullptr;
  }

 private:
  std::shared_ptr<ComApartment> com_;  // declared first: released last
  DispatchPtr folder_;
};

class Win32Application final : public ShellApplication {
 public:
  Win32Application(std::shared_ptr<ComApartment> com, DispatchPtr shell)
      : com_(std::move(com)), shell_(std::move(shell)) {}

  std::unique_ptr<ShellFolder> BrowseForFolder(std::uintptr_t hwnd, const std::string& title,
                                               std::int32_t options,
                                               const ShellRootFolder& rootFolder) override try {
    Bstr wideTitle = ToBstr(title);
    if (wideTitle.get() == nullptr) return nullptr;
    Bstr wideRoot;
    std::array<VARIANT, 4> args;
    for (auto& arg : args) VariantInit(&arg);
    // The shell takes the window handle as a 32-bit number; handles fit.
    args[0].vt = VT_I4;
    args[0].lVal = static_cast<LONG>(static_cast<std::uint32_t>(hwnd));
    args[1].vt = VT_BSTR;
    args[1].bstrVal = wideTitle.get();  // still owned by wideTitle
    args[2].vt = VT_I4;
    args[2].lVal = options;
    if (const auto* number = std::get_if<std::int32_t>(&rootFolder)) {
      args[3].vt = VT_I4;
      args[3].lVal = *number;
    } else {
      wideRoot = ToBstr(std::get<std::string>(rootFolder));
      if (wideRoot.get() == nullptr) return nullptr;
      args[3].vt = VT_BSTR;
      args[3].bstrVal = wideRoot.get();  // still owned by wideRoot
    }
    Variant result;
    if (!Invoke(shell_.get(), L"BrowseForFolder", args.data(), 4, result)) return nullptr;
    DispatchPtr folder = TakeObject(result);
    if (!folder) return nullptr;  // cancelled
    return std::make_unique<Win32Folder>(com_, std::move(folder));
  } catch (...) {
    return nullptr;
  }

 private:
  std::shared_ptr<ComApartment> com_;  // declared first: released last
  DispatchPtr shell_;
};

}  // namespace

std::unique_ptr<ShellApplication> Win32ShellAutomation::CreateShellApplication() try {
  auto com = std::make_shared<ComApartment>();
  if (!com->Usable()) return nullptr;
  CLSID classId;
  if (FAILED(CLSIDFromProgID(L"Shell.Application", &classId))) return nullptr;
  IDispatch* raw = nullptr;
  if (FAILED(CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                              IID_IDispatch, reinterpret_cast<void**>(&raw)))) {
    return nullptr;
  }
  DispatchPtr shell(raw);
  if (!shell) return nullptr;
  return std::make_unique<Win32Application>(std::move(com), std::move(shell));
} catch (...) {
  return nullptr;
}

}  // namespace merkwandel::platform::win32
