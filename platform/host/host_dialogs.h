// The common file dialogs on the host: no dialog is shown; tests say ahead
// what the user does in the next dialog, and the backend answers as the
// Windows dialog would, recording every record it was given.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace merkwandel::platform::host {

class HostCommonDialogs final : public CommonDialogs {
 public:
  // What the user does in a dialog.
  struct UserAction {
    enum class Kind { kChoose, kCancel, kFail } kind = Kind::kCancel;
    std::string path;        // kChoose: the full path the dialog reports
    std::uint32_t error = 0;  // kFail: the extended error
  };
  static UserAction Choose(std::string fullPath) {
    return {UserAction::Kind::kChoose, std::move(fullPath), 0};
  }
  static UserAction Cancel() { return {UserAction::Kind::kCancel, {}, 0}; }
  static UserAction Fail(std::uint32_t error) { return {UserAction::Kind::kFail, {}, error}; }

  // The actions of the coming dialogs, first first. A dialog with no action
  // left is cancelled.
  std::deque<UserAction> actions;

  struct Call {
    bool save;  // GetSaveFileNameW rather than GetOpenFileNameW
    FileDialogRecord record;
  };
  std::vector<Call> calls;  // every dialog shown, in order

  FileDialogAnswer OpenDialog(const FileDialogRecord& record) override;
  FileDialogAnswer SaveDialog(const FileDialogRecord& record) override;

 private:
  FileDialogAnswer Show(bool save, const FileDialogRecord& record);
};

}  // namespace merkwandel::platform::host
