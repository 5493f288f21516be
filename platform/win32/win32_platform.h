// The Win32 backend as a whole. This header does not include <windows.h>,
// so the program's entry can make the platform without seeing Windows.
#pragma once

#include <memory>

#include "platform/platform.h"

namespace merkwandel::platform::win32 {

std::unique_ptr<Platform> CreateWin32Platform();

}  // namespace merkwandel::platform::win32
