#include "platform/host/host_dialogs.h"

#include "platform/common/unicode.h"

namespace merkwandel::platform::host {

FileDialogAnswer HostCommonDialogs::OpenDialog(const FileDialogRecord& record) {
  return Show(false, record);
}

FileDialogAnswer HostCommonDialogs::SaveDialog(const FileDialogRecord& record) {
  return Show(true, record);
}

FileDialogAnswer HostCommonDialogs::Show(bool save, const FileDialogRecord& record) {
  calls.push_back({save, record});
  UserAction action;
  if (!actions.empty()) {
    action = std::move(actions.front());
    actions.pop_front();
  }

  // After cancel the buffer is as it was; this backend leaves it so after a
  // failure, too (where Windows may have written into it).
  FileDialogAnswer answer;
  answer.file = record.file;

  // The dialog checks the record's size before it shows anything (this
  // backend knows only the one layout the program uses).
  if (record.structSize != kFileDialogRecordSize) {
    answer.error = kDialogErrorStructSize;
    return answer;
  }
  switch (action.kind) {
    case UserAction::Kind::kCancel:
      return answer;
    case UserAction::Kind::kFail:
      answer.error = action.error;
      return answer;
    case UserAction::Kind::kChoose:
      break;
  }

  // The buffer holds maxFile UTF-16 units; a path that does not fit with
  // its NUL fails the call.
  const std::string& path = action.path;
  const std::size_t units = unicode::Utf16Length(path);
  if (units + 1 > record.maxFile) {
    answer.error = kDialogErrorBufferTooSmall;
    return answer;
  }
  answer.file = path;
  answer.file.append(record.maxFile - units, '\0');
  // The file name starts behind the last "\" (or "/"), in bytes of the
  // UTF-8 path; a name in a drive root starts right after "C:\".
  const auto separator = path.find_last_of("\\/");
  answer.fileOffset =
      static_cast<std::uint16_t>(separator == std::string::npos ? 0 : separator + 1);
  answer.accepted = true;
  return answer;
}

}  // namespace merkwandel::platform::host
