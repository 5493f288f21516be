#include "system/com_dlg_dll.h"

#include <algorithm>

#include "platform/common/unicode.h"

namespace merkwandel::system_helpers {

std::uint32_t FileDialogFlags(std::int16_t mode) {
  using namespace platform;
  switch (mode) {
    case 0: return kOfnFileMustExist | kOfnPathMustExist | kOfnHideReadOnly;
    case 1: return kOfnPathMustExist | kOfnHideReadOnly | kOfnOverwritePrompt;
    case 2: return kOfnPathMustExist | kOfnHideReadOnly;
    default: return 0;
  }
}

std::string ConvertFilter(const std::string& filter) {
  std::string list = filter + "||";
  std::replace(list.begin(), list.end(), '|', '\0');
  return list;
}

std::string ShowFileDialog(platform::CommonDialogs& dialogs, std::uintptr_t owner,
                           const std::string& title, std::string& folder,
                           const std::string& fileName, const std::string& filter,
                           const std::string& defaultExt, std::int16_t mode) {
  // The initial name needs room for its NUL; a longer one is not cut to fit.
  const std::size_t units = unicode::Utf16Length(fileName);
  if (units >= kFileNameBufferSize) return std::string();
  try {
    platform::FileDialogRecord record;
    record.structSize = platform::kFileDialogRecordSize;
    record.owner = owner;
    record.filter = ConvertFilter(filter);
    record.filterIndex = 1;
    record.file = fileName;
    record.file.append(kFileNameBufferSize - units, '\0');
    record.maxFile = static_cast<std::uint32_t>(kFileNameBufferSize);
    record.initialDir = folder;
    record.title = title;
    record.flags = FileDialogFlags(mode);
    record.defaultExt = defaultExt;

    const platform::FileDialogAnswer answer =
        mode == 0 ? dialogs.OpenDialog(record) : dialogs.SaveDialog(record);
    if (!answer.accepted) return std::string();

    const std::string path = answer.file.substr(0, answer.file.find('\0'));
    const std::size_t split = std::min<std::size_t>(answer.fileOffset, path.size());
    std::string chosenFolder = path.substr(0, split);
    std::string name = path.substr(split);
    folder = std::move(chosenFolder);
    return name;
  } catch (...) {
    // Out of memory: like a failed dialog, and `folder` is still untouched.
    return std::string();
  }
}

std::string ShowOpenDialog(platform::CommonDialogs& dialogs, std::uintptr_t owner,
                           const std::string& title, std::string& folder,
                           const std::string& fileName, const std::string& filter,
                           const std::string& defaultExt) {
  return ShowFileDialog(dialogs, owner, title, folder, fileName, filter, defaultExt, 0);
}

}  // namespace merkwandel::system_helpers
