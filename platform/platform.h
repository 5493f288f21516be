// The operating-system operations Merkwandel uses, behind one interface.
//
// Every text that crosses this interface is UTF-8, whatever the script.
// Paths are Windows paths as a user types them: an optional drive letter,
// "\" as separator. Backends convert at their own boundary: the Win32
// backend to UTF-16 for the wide calls, the host backend not at all (names
// on disk are UTF-8). Lengths that Windows limits (MAX_PATH, the dialog's
// file-name buffer) are counted in UTF-16 code units, as Windows counts them.
//
// Two backends implement it: platform/win32 (the real program) and
// platform/host (POSIX: tests and the console driver). Nothing outside
// platform/ depends on which one is in use.
//
// No function of this interface throws. Failures are answered with false,
// an empty optional or a null pointer, as each function says.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace merkwandel::platform {

// File attribute bits, with the values Windows reports.
inline constexpr std::uint32_t kAttributeReadOnly = 0x1;
inline constexpr std::uint32_t kAttributeHidden = 0x2;
inline constexpr std::uint32_t kAttributeSystem = 0x4;
inline constexpr std::uint32_t kAttributeDirectory = 0x10;
inline constexpr std::uint32_t kAttributeArchive = 0x20;
inline constexpr std::uint32_t kAttributeNormal = 0x80;

// A file open for sequential reading. Closed when the object is destroyed.
class InputFile {
 public:
  virtual ~InputFile() = default;
  // Reads up to `capacity` bytes into `buffer`. Returns the number of bytes
  // read (at least 1), 0 at the end of the file, or -1 when reading failed.
  // After -1 or 0 further calls may be made and give 0 or -1 again.
  virtual std::ptrdiff_t Read(char* buffer, std::size_t capacity) = 0;
  // The file's size in bytes now, or nothing when it can't be told.
  virtual std::optional<std::uint64_t> Size() = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // A directory search for `path` (FindFirstFile): true when it finds at least
  // one entry, file or folder. "*" and "?" in the last component are
  // wildcards. A path that ends in "\", a bare drive root such as "C:\" and
  // the empty path find nothing.
  virtual bool SearchFindsEntry(const std::string& path) = 0;

  // The attribute word of a file or folder (GetFileAttributes), or nothing
  // when the query fails. A folder may be given with or without a trailing
  // "\"; a drive root such as "C:\" is a folder. Wildcards fail.
  virtual std::optional<std::uint32_t> Attributes(const std::string& path) = 0;

  // When a file or folder was last written, in 100-nanosecond units since
  // 1601 (as Windows counts), or nothing where Attributes gives nothing.
  virtual std::optional<std::int64_t> LastWriteTime(const std::string& path) = 0;

  // Creates every missing folder along `path` up to its last "\"
  // (MakeSureDirectoryPathExists). Empty components, as in a doubled "\",
  // are skipped. True when the whole chain exists afterwards.
  virtual bool MakeSureDirectoryPathExists(const std::string& path) = 0;

  // The names (not paths) of the subfolders, or of the files, in `folder`,
  // in the order the file system gives them; "." and ".." are never listed.
  // Files are listed whatever their attributes (hidden, system, read-only).
  // Nothing when the folder does not exist or cannot be listed. `folder` may
  // end in "\" or not.
  virtual std::optional<std::vector<std::string>> ListSubfolders(
      const std::string& folder) = 0;
  virtual std::optional<std::vector<std::string>> ListFiles(
      const std::string& folder) = 0;

  // Opens an existing file for sequential reading, or gives null when it
  // can't be opened (missing, a folder, locked, no access, a wildcard name).
  // Others may go on reading, writing and deleting the file meanwhile (a
  // browser replacing its file); a file deleted is read on as it was.
  virtual std::unique_ptr<InputFile> OpenForReading(const std::string& path) = 0;

  // Creates the file `path`, or replaces the file of that name, so that it
  // holds exactly `content`. A file that exists under another letter case is
  // the same file and keeps its name. On failure (invalid name, missing
  // folder, path too long, no access, a read-only or locked file, a failed
  // write) false is returned, no partly written file is left behind, and a
  // file that was there keeps its former content.
  virtual bool WriteWholeFile(const std::string& path, std::string_view content) = 0;

  // The process's current directory, without a trailing "\" unless it is a
  // drive root.
  virtual std::string CurrentDirectory() = 0;

  // ---- A private snapshot of files another program may hold open ----

  // Makes a new, empty folder of this program's own among the user's
  // temporary files and gives its path, or nothing when it can't be made.
  // The folder counts as in use until RemoveFolderAndFiles removes it or
  // this object goes (so also when the process ends, however); the folders
  // of this program's own that no one uses, left behind by processes that
  // ended so, are removed first (with their files, as RemoveFolderAndFiles
  // removes them). Nothing else in the temporary files is touched.
  // The path is one that this interface and the C library's own file
  // functions (such as SQLite's) both accept, so a file copied into it can
  // be opened by a library that does its own file access.
  virtual std::optional<std::string> MakeTemporaryFolder() = 0;

  // Copies the file `from` into the new file `to`, byte for byte, while
  // other programs may hold `from` open for reading and writing; `from` is
  // not changed in any way (no lock, no time stamp). False when `from` can't
  // be read (missing, a folder, held without sharing, no access) or `to`
  // can't be made or already exists; no partial `to` is then left behind.
  virtual bool CopySharedFile(const std::string& from, const std::string& to) = 0;

  // Removes the folder `folder` with every file directly in it (its
  // subfolders are not looked into: one that has any makes this fail).
  // True when the folder is gone afterwards.
  virtual bool RemoveFolderAndFiles(const std::string& folder) = 0;
};

enum class MessageIcon { kWarning, kError, kInformation };

// The application-wide mouse pointer, numbered as the window's pointer values.
enum class MousePointer { kDefault = 0, kHourglass = 11 };

class UserInterface {
 public:
  virtual ~UserInterface() = default;

  // A modal message box with one OK button; returns when the user closed it.
  virtual void ShowMessage(const std::string& text, const std::string& title,
                           MessageIcon icon) = 0;

  virtual void SetMousePointer(MousePointer pointer) = 0;

  // Shows how far the work of an event handler is: the main window's caption
  // becomes `caption`, and its taskbar button shows `percent` (0 to 100) as
  // normal progress, or no progress for nothing, where the shell has that
  // display (Windows 7 and later); where it is missing or refuses, only the
  // caption changes. Nothing without a main window.
  virtual void ShowProgress(const std::string& caption, std::optional<int> percent) = 0;

  // Lets the window process every pending event once, without waiting.
  // Returns false when the main window is closing: the caller then stops what
  // it is doing at once, shows nothing further and returns.
  virtual bool PumpEvents() = 0;

  // Waits until an event is pending or `seconds` have passed, whichever comes
  // first; handles nothing itself. Returns at once for zero or less.
  virtual void WaitForEvent(double seconds) = 0;

  // The local time of day in seconds since midnight, with fractions; it
  // starts again at 0 at midnight.
  virtual double SecondsSinceMidnight() = 0;

  // Fills `bytes` with `count` bytes from the system's random source
  // (Windows: RtlGenRandom; POSIX: getrandom), which nobody can foresee.
  // False when that source fails.
  virtual bool RandomBytes(void* bytes, std::size_t count) = 0;

  // The Windows folder (GetWindowsDirectory), without a trailing "\"; empty
  // when it can't be read.
  virtual std::string WindowsFolder() = 0;

  // Starts the program file `program`, a full path that is used as it
  // stands (no search along the current directory or PATH), with
  // `commandLine` as its command line, in a normal window that takes the
  // focus. True when it was started.
  virtual bool StartProcess(const std::string& program, const std::string& commandLine) = 0;
};

// Registry statuses, data types and predefined root keys, numbered as
// Windows numbers them.
inline constexpr std::int32_t kErrorSuccess = 0;
inline constexpr std::int32_t kErrorFileNotFound = 2;
inline constexpr std::int32_t kErrorInvalidHandle = 6;
inline constexpr std::int32_t kErrorInvalidParameter = 87;
inline constexpr std::int32_t kErrorMoreData = 234;

inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;
inline constexpr std::uint32_t kRegQword = 11;

// The predefined keys as their 32-bit handle values.
inline constexpr std::uint32_t kHkeyClassesRoot = 0x80000000;
inline constexpr std::uint32_t kHkeyCurrentUser = 0x80000001;
inline constexpr std::uint32_t kHkeyLocalMachine = 0x80000002;

// A registry key opened through Registry::OpenKey; only the Registry that
// opened it knows what the number stands for.
using RegistryKey = std::uintptr_t;

// Reading the registry (advapi32), with the wide calls. Every call answers a
// Windows status: kErrorSuccess (0) or the number of the failure. Key paths
// and value names are UTF-8; data is given as the wide calls give it, so
// the text types (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) are UTF-16
// little-endian code units, and sizes are in bytes.
class Registry {
 public:
  virtual ~Registry() = default;

  // RegOpenKeyExW: opens `subKey` ("\"-separated, letter case ignored; empty
  // for `root` itself) below the predefined key `root`, asking for `access`.
  // On success `key` is the open key, which the caller must hand to CloseKey;
  // on failure (kErrorFileNotFound for a missing key) `key` is unchanged and
  // nothing is open.
  virtual std::int32_t OpenKey(std::uint32_t root, const std::string& subKey,
                               std::uint32_t options, std::uint32_t access,
                               RegistryKey& key) = 0;

  // RegQueryValueExW on the value `name` of `key` ("" for the key's default
  // value; letter case ignored). `type`, when not null, receives the data
  // type. Without `data`, `*size` receives the size of the data in bytes. With
  // `data`, `*size` is the capacity of that buffer: data that fits is copied
  // into it and `*size` becomes its size; data that does not fit gives
  // kErrorMoreData, `*size` becomes the size needed and the buffer's content
  // is undefined. `data` without `size` is kErrorInvalidParameter. A missing
  // value gives kErrorFileNotFound.
  virtual std::int32_t QueryValue(RegistryKey key, const std::string& name, std::uint32_t* type,
                                  unsigned char* data, std::uint32_t* size) = 0;

  // RegCloseKey.
  virtual std::int32_t CloseKey(RegistryKey key) = 0;
};

// ---- The main window ----
//
// A window is made from its design: every control with its kind, place, size
// and settings. Places and sizes are in twips (1/1440 inch); each backend
// converts them to pixels at the screen's dots per inch (15 twips are one
// pixel at 96).

enum class ControlKind {
  kLabel,             // a line of text; "&" marks its access key
  kCommandButton,     // a push button; a click reaches FormEvents::Click
  kTextBox,           // one editable line, no length limit, scrolls sideways
  kMultiLineTextBox,  // several lines, for the program alone
  kPictureBox,        // a container: its children are placed in its client area
  kImage,             // shows the application icon at its own size
  kDirectoryList,     // lists the subfolders of a folder
  kFileList,          // lists the files of a folder
};

struct FontDesign {
  std::string face;   // the ANSI character set is asked for
  double points = 0;  // size in points (1/72 inch)
  int weight = 400;   // 400 regular, 700 bold
};

struct Colour {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
};

enum class Background {
  kDefault,      // the control's own
  kTransparent,  // the container shows through
  kWindow,       // the system colour for window backgrounds
};

struct ControlDesign {
  std::string name;
  ControlKind kind = ControlKind::kLabel;
  int container = -1;  // index of the containing control; -1 for the window
  int left = 0;        // twips, from the container's client area
  int top = 0;
  int width = 0;
  int height = 0;
  int tabIndex = -1;  // place in the Tab order; -1 for none
  std::string text;
  std::optional<FontDesign> font;    // nothing: the window's font
  std::optional<Colour> foreground;  // nothing: the system's colour
  Background background = Background::kDefault;
  bool border = false;  // a single thin line
  bool autoSize = false;  // a label: one line, sized to fit its text (the size is a guide)
  bool visible = true;
  bool enabled = true;
  bool defaultButton = false;  // Enter clicks it unless another button has the focus
};

struct FormDesign {
  std::string caption;
  int clientWidth = 0;  // twips
  int clientHeight = 0;
  FontDesign font;
  std::vector<ControlDesign> controls;
};

// What the window tells the program. No other event reaches it: a key, a
// change of a field's text or the closing of the window has no handler.
// Both run on the user-interface thread; events pumped while one runs may
// start another (a click on an enabled button).
class FormEvents {
 public:
  virtual ~FormEvents() = default;
  // Once, after the window was made and before it is first shown.
  virtual void Load() = 0;
  // An enabled command button was clicked, or pressed with the keyboard.
  virtual void Click(std::size_t control) = 0;
};

// The program's one window. Controls are named by their index in the
// design's list.
class Forms {
 public:
  virtual ~Forms() = default;

  // Makes the window from `design`, not yet shown. Controls that are not
  // visible are not made at all: the program keeps what they stand for
  // itself, and the operations below ignore them. False when the window
  // can't be made, or was made before.
  virtual bool Create(const FormDesign& design, FormEvents& events) = 0;

  // Delivers Load, shows the window centred on the screen with the focus on
  // the first control in Tab order that can take it, and handles its events
  // until the window is gone. Closing the window while an event handler runs
  // does not take it away under the handler: UserInterface::PumpEvents
  // answers false from then on, and the window goes when the handler has
  // returned. Returns at once when there is no window.
  virtual void Run() = 0;

  // The text of a control, and replacing it whole. A disabled control keeps
  // its text. For a control that is not there, or once the window is gone,
  // Text is empty and SetText does nothing.
  virtual std::string Text(std::size_t control) = 0;
  virtual void SetText(std::size_t control, const std::string& text) = 0;
  // A disabled control takes neither the focus nor input. False and nothing,
  // likewise, for a control that is not there.
  virtual bool Enabled(std::size_t control) = 0;
  virtual void SetEnabled(std::size_t control, bool enabled) = 0;

  // The window's handle as the platform knows it, as owner of dialogs; 0
  // before it is made and once it is gone.
  virtual std::uintptr_t WindowHandle() = 0;
};

// The common file dialogs (comdlg32), as the dialog record they take; the
// Win32 backend shows them with the wide calls.
//
// Size of that record in its layout that ends with lpTemplateName, without
// the fields later Windows versions appended (OPENFILENAME_SIZE_VERSION_400W):
// 76 bytes on 32-bit Windows, 136 on 64-bit Windows.
inline constexpr std::uint32_t kFileDialogRecordSize = sizeof(void*) == 4 ? 76 : 136;

// Flag bits of the dialog record, with the values Windows gives them.
inline constexpr std::uint32_t kOfnOverwritePrompt = 0x2;
inline constexpr std::uint32_t kOfnHideReadOnly = 0x4;
inline constexpr std::uint32_t kOfnPathMustExist = 0x800;
inline constexpr std::uint32_t kOfnFileMustExist = 0x1000;

// The fields of the dialog record that Merkwandel sets; every other field is
// zero or null.
struct FileDialogRecord {
  std::uint32_t structSize = 0;  // lStructSize
  std::uintptr_t owner = 0;      // hwndOwner: the owner window's handle, 0 for none
  // lpstrFilter: label and pattern list by turns, each ended by a NUL, the
  // whole list ended by one more NUL; all those NULs are part of the string.
  std::string filter;
  std::uint32_t filterIndex = 0;  // nFilterIndex, 1 for the first pair
  // lpstrFile: the whole file-name buffer, the initial name followed by NULs.
  std::string file;
  // nMaxFile: the buffer's length in UTF-16 code units, its NUL included.
  std::uint32_t maxFile = 0;
  std::string initialDir;     // lpstrInitialDir
  std::string title;          // lpstrTitle
  std::uint32_t flags = 0;    // Flags
  std::string defaultExt;     // lpstrDefExt, without the dot; empty: null, no extension added
};

// What a dialog call gives back.
struct FileDialogAnswer {
  bool accepted = false;  // the call returned nonzero: the user chose a file
  // The file-name buffer after the call: the chosen full path, ended by a
  // NUL, at the start of the buffer. Unchanged after cancel.
  std::string file;
  // nFileOffset: where the file name starts in the path, in bytes of `file`
  // (the backend converts the dialog's own count of UTF-16 units).
  std::uint16_t fileOffset = 0;
  // CommDlgExtendedError after a call that returned zero: 0 when the user
  // cancelled, else the reason the dialog failed.
  std::uint32_t error = 0;
};

// Extended errors of the dialogs, with the values Windows gives them.
inline constexpr std::uint32_t kDialogErrorStructSize = 0x0001;   // CDERR_STRUCTSIZE
inline constexpr std::uint32_t kDialogErrorBufferTooSmall = 0x3003;  // FNERR_BUFFERTOOSMALL

class CommonDialogs {
 public:
  virtual ~CommonDialogs() = default;
  // Shows the modal open dialog (GetOpenFileNameW) or save dialog
  // (GetSaveFileNameW) for `record` and returns when the user has closed it.
  // A chosen path that does not fit into `maxFile` UTF-16 units with its NUL
  // fails the call (kDialogErrorBufferTooSmall).
  virtual FileDialogAnswer OpenDialog(const FileDialogRecord& record) = 0;
  virtual FileDialogAnswer SaveDialog(const FileDialogRecord& record) = 0;
};

// The shell's automation object model ("Shell.Application"), reached late
// bound by member names. Each object is released when its pointer goes; an
// object may outlive the objects it came from. Every call may fail; a failed
// call answers nothing or null, as does a call that legitimately gives
// nothing (a cancelled browse dialog, a folder without parent, a name not
// found, a shell that lacks the member).

// A folder item (FolderItem).
class ShellFolderItem {
 public:
  virtual ~ShellFolderItem() = default;
  virtual std::optional<std::string> Path() = 0;  // the full file-system path
};

// A folder (Folder).
class ShellFolder {
 public:
  virtual ~ShellFolder() = default;
  virtual std::optional<std::string> Title() = 0;  // the displayed name
  virtual std::unique_ptr<ShellFolder> ParentFolder() = 0;
  virtual std::unique_ptr<ShellFolderItem> ParseName(const std::string& name) = 0;
  // The folder's own item (Folder2.Self), whose Path is the folder's path.
  virtual std::unique_ptr<ShellFolderItem> Self() = 0;
};

// The root of a browse dialog's tree: a special-folder number (17 is the
// computer with its drives) or a path.
using ShellRootFolder = std::variant<std::int32_t, std::string>;

// The shell application object (Shell.Application).
class ShellApplication {
 public:
  virtual ~ShellApplication() = default;
  // Shows the shell's modal folder-browse dialog; gives the chosen folder,
  // or null when the user cancelled or the call failed.
  virtual std::unique_ptr<ShellFolder> BrowseForFolder(std::uintptr_t hwnd,
                                                       const std::string& title,
                                                       std::int32_t options,
                                                       const ShellRootFolder& rootFolder) = 0;
};

class ShellAutomation {
 public:
  virtual ~ShellAutomation() = default;
  // Creates a new "Shell.Application" object, or gives null when it can't be
  // created.
  virtual std::unique_ptr<ShellApplication> CreateShellApplication() = 0;
};

// The whole interface, one area at a time.
class Platform {
 public:
  virtual ~Platform() = default;
  virtual FileSystem& Files() = 0;
  virtual UserInterface& Ui() = 0;
  virtual Registry& Reg() = 0;
  virtual Forms& Window() = 0;
  virtual CommonDialogs& Dialogs() = 0;
  virtual ShellAutomation& Shell() = 0;
};

}  // namespace merkwandel::platform
