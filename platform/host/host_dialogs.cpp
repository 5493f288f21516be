#include "platform/host/host_dialogs.h"

#include <algorithm>

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

  // The dialog works in a buffer of exactly nMaxFile characters.
  FileDialogAnswer answer;
  answer.file = record.file;
  answer.file.resize(record.maxFile, '\0');

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

  const std::string& path = action.path;
  if (path.size() + 1 > record.maxFile) {
    // Too long for the buffer: the call fails, and the first two bytes of
    // the buffer give the size it would have needed.
    answer.error = kDialogErrorBufferTooSmall;
    const std::size_t needed = std::min<std::size_t>(path.size() + 1, 0xFFFF);
    if (answer.file.size() >= 2) {
      answer.file[0] = static_cast<char>(needed & 0xFF);
      answer.file[1] = static_cast<char>(needed >> 8);
    }
    return answer;
  }
  std::copy(path.begin(), path.end(), answer.file.begin());
  answer.file[path.size()] = '\0';
  // The file name starts behind the last "\" (or "/"); a name in a drive
  // root starts right after "C:\".
  const auto separator = path.find_last_of("\\/");
  answer.fileOffset =
      static_cast<std::uint16_t>(separator == std::string::npos ? 0 : separator + 1);
  answer.accepted = true;
  return answer;
}

}  // namespace merkwandel::platform::host
