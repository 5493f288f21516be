#include "platform/win32/win32_dialogs.h"

#include <windows.h>
#include <cderr.h>
#include <commdlg.h>

#include <algorithm>
#include <cstddef>
#include <vector>

namespace merkwandel::platform::win32 {
namespace {

// The record in its layout that ends with lpTemplateName.
static_assert(kFileDialogRecordSize ==
              offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(OPENFILENAMEA::lpTemplateName));
static_assert(kOfnOverwritePrompt == OFN_OVERWRITEPROMPT);
static_assert(kOfnHideReadOnly == OFN_HIDEREADONLY);
static_assert(kOfnPathMustExist == OFN_PATHMUSTEXIST);
static_assert(kOfnFileMustExist == OFN_FILEMUSTEXIST);
static_assert(kDialogErrorStructSize == CDERR_STRUCTSIZE);
static_assert(kDialogErrorBufferTooSmall == FNERR_BUFFERTOOSMALL);

FileDialogAnswer Show(bool save, const FileDialogRecord& record) {
  FileDialogAnswer answer;
  try {
    answer.file = record.file;
    answer.file.resize(record.maxFile, '\0');
    // A size beyond the structure this program knows would let the dialog
    // read past it.
    if (record.structSize > sizeof(OPENFILENAMEA)) {
      answer.error = CDERR_STRUCTSIZE;
      return answer;
    }

    // The dialog writes into a buffer of exactly nMaxFile characters (one
    // more keeps an empty buffer addressable).
    std::vector<char> buffer(answer.file.begin(), answer.file.end());
    buffer.push_back('\0');
    // The list ends at its first empty part; the extra NULs make sure it
    // does end even if the record's filter lacks its final NUL.
    std::string filter = record.filter;
    filter.append(2, '\0');

    OPENFILENAMEA ofn;
    ZeroMemory(&ofn, sizeof ofn);
    ofn.lStructSize = record.structSize;
    ofn.hwndOwner = reinterpret_cast<HWND>(record.owner);
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = record.filterIndex;
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = record.maxFile;
    ofn.lpstrInitialDir = record.initialDir.c_str();
    ofn.lpstrTitle = record.title.c_str();
    ofn.Flags = record.flags;
    ofn.lpstrDefExt = record.defaultExt.c_str();

    const BOOL chosen = save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
    answer.accepted = chosen != FALSE;
    answer.error = chosen ? 0 : CommDlgExtendedError();
    answer.file.assign(buffer.data(), record.maxFile);
    answer.fileOffset = ofn.nFileOffset;
    return answer;
  } catch (...) {
    // Out of memory before or after the dialog: nothing was chosen.
    FileDialogAnswer failed;
    failed.error = CDERR_MEMALLOCFAILURE;
    return failed;
  }
}

}  // namespace

FileDialogAnswer Win32CommonDialogs::OpenDialog(const FileDialogRecord& record) {
  return Show(false, record);
}

FileDialogAnswer Win32CommonDialogs::SaveDialog(const FileDialogRecord& record) {
  return Show(true, record);
}

}  // namespace merkwandel::platform::win32
