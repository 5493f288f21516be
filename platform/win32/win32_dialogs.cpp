#include "platform/win32/win32_dialogs.h"

#include <windows.h>
#include <cderr.h>
#include <commdlg.h>

#include <algorithm>
#include <cstddef>

#include "platform/win32/wide.h"

namespace merkwandel::platform::win32 {
namespace {

// The record in its layout that ends with lpTemplateName
// (OPENFILENAME_SIZE_VERSION_400W).
static_assert(kFileDialogRecordSize ==
              offsetof(OPENFILENAMEW, lpTemplateName) + sizeof(OPENFILENAMEW::lpTemplateName));
static_assert(kOfnOverwritePrompt == OFN_OVERWRITEPROMPT);
static_assert(kOfnHideReadOnly == OFN_HIDEREADONLY);
static_assert(kOfnPathMustExist == OFN_PATHMUSTEXIST);
static_assert(kOfnFileMustExist == OFN_FILEMUSTEXIST);
static_assert(kDialogErrorStructSize == CDERR_STRUCTSIZE);
static_assert(kDialogErrorBufferTooSmall == FNERR_BUFFERTOOSMALL);

FileDialogAnswer Show(bool save, const FileDialogRecord& record) {
  FileDialogAnswer answer;
  try {
    // A size beyond the structure this program knows would let the dialog
    // read past it.
    if (record.structSize > sizeof(OPENFILENAMEW)) {
      answer.file = record.file;
      answer.error = CDERR_STRUCTSIZE;
      return answer;
    }

    // The dialog writes into a buffer of exactly nMaxFile UTF-16 units (one
    // more keeps an empty buffer addressable).
    std::wstring buffer = Wide(record.file);
    buffer.resize(record.maxFile, L'\0');
    buffer.push_back(L'\0');
    // The list ends at its first empty part; the extra NULs make sure it
    // does end even if the record's filter lacks its final NUL.
    std::wstring filter = Wide(record.filter);
    filter.append(2, L'\0');
    const std::wstring initialDir = Wide(record.initialDir);
    const std::wstring title = Wide(record.title);
    const std::wstring defaultExt = Wide(record.defaultExt);

    OPENFILENAMEW ofn;
    ZeroMemory(&ofn, sizeof ofn);
    ofn.lStructSize = record.structSize;
    ofn.hwndOwner = reinterpret_cast<HWND>(record.owner);
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = record.filterIndex;
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = record.maxFile;
    ofn.lpstrInitialDir = initialDir.c_str();
    ofn.lpstrTitle = title.c_str();
    ofn.Flags = record.flags;
    ofn.lpstrDefExt = defaultExt.empty() ? nullptr : defaultExt.c_str();

    const BOOL chosen = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
    answer.accepted = chosen != FALSE;
    answer.error = chosen ? 0 : CommDlgExtendedError();
    buffer.resize(record.maxFile);
    answer.file = Utf8(buffer);
    if (answer.accepted) {
      // The dialog counts the offset in UTF-16 units; the program, in bytes
      // of the UTF-8 path.
      const std::wstring_view path(buffer.c_str());
      const std::size_t folder =
          Utf8(path.substr(0, std::min<std::size_t>(ofn.nFileOffset, path.size()))).size();
      answer.fileOffset = static_cast<std::uint16_t>(std::min<std::size_t>(folder, 0xFFFF));
    }
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
