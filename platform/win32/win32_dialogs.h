// The common file dialogs on Windows: GetOpenFileNameW and GetSaveFileNameW
// of comdlg32 with the wide dialog record.
#pragma once

#include "platform/platform.h"

namespace merkwandel::platform::win32 {

class Win32CommonDialogs final : public CommonDialogs {
 public:
  // The record's strings go to the dialog as UTF-16; an empty string is
  // passed as an empty string, not as null. The owner window, when there is
  // one, is disabled while the dialog is open.
  FileDialogAnswer OpenDialog(const FileDialogRecord& record) override;
  FileDialogAnswer SaveDialog(const FileDialogRecord& record) override;
};

}  // namespace merkwandel::platform::win32
