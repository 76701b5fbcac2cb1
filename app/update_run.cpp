// The update run: the space check, the [UPDATE] lists, the archive members
// written into the installation, the copies from CD-ROM, and the completion
// page. Nothing written before a failure is undone.
#include "app/update_run.h"

#include <string.h>

#include "app/shared.h"
#include "app/startup_checks.h"
#include "app/wizard.h"
#include "archive/extract.h"
#include "settings/profile.h"
#include "settings/update_ini.h"
#include "settings/updater_settings.h"

// Path buffers of one run: a full path of up to 259 characters and the two
// NULs the shell's copy takes.
#define LIST_SIZE (PATH_SIZE + 1)

static void FailRun(SysWindow dialog, const char* message) {
  ShowUpdateError(message);
  SysEndDialog(dialog, -1);
}

int CheckUpdateTarget(const char* path) {
  char target[LIST_SIZE];
  strcpy(target, InstallRecord.InstPath);
  uint32_t attributes = SYS_INVALID_ATTRIBUTES;
  // A path too long to be read or joined cannot name the expected file.
  if (path != 0 && JoinPath(target, LIST_SIZE, path))
    attributes = SystemFunctions.FileAttributesGet(target);
  // A bare folder (the folder attribute and nothing else) is not the file
  // of the expected version; a folder with further attribute bits passes.
  if (attributes != SYS_INVALID_ATTRIBUTES &&
      attributes != SYS_FILE_ATTRIBUTE_DIRECTORY)
    return 1;
  ShowUpdateError(UpdaterSettings.ExistErrorMessage[0] != 0
                      ? UpdaterSettings.ExistErrorMessage
                      : "アップデートエラー：アップデート対象のバージョンが違います");
  return 0;
}

// 1 when the run may write; 0 after the shortfall page has been shown.
static int CheckSpace(SysWindow dialog) {
  char value[PATH_SIZE];
  if (!ReadUpdateKey("UPDATE", "RequiredDiskSpace", value, PATH_SIZE)) return 1;
  // The number is a count of bytes, taken unsigned: -1 asks for 4294967295.
  uint32_t required = (uint32_t)ConvertDecimal(value);
  if (required == 0) return 1;

  // When the free space cannot be determined the run goes on as if there
  // were enough: each write still checks its own member, and a full disk
  // fails that write with the old file left whole.
  char drive[4];
  uint32_t missing = SpaceShortfall(InstallRecord.InstPath, required, drive);
  if (missing == 0) return 1;

  SetStatusText(dialog,
                "ディスク容量が足りません。\r%s ドライブに %u バイトの空き容量が必要です",
                drive, (unsigned)missing);
  EnableDialogItem(dialog, ID_BACK, 1);
  EnableDialogItem(dialog, ID_NEXT, 0);
  EnableDialogItem(dialog, ID_CANCEL, 1);
  return 0;
}

// A data file that exists and can be read is written back unchanged instead
// of being replaced. 1 when that happened.
static int KeepDataFile(const char* destination) {
  SysHandle file =
      SystemFunctions.FileOpen(destination, SYS_GENERIC_READ, SYS_FILE_SHARE_READ,
                               SYS_OPEN_EXISTING, SYS_FILE_ATTRIBUTE_NORMAL);
  if (file == SYS_INVALID_HANDLE) return 0;
  uint8_t* block = 0;
  int ok = 0;
  uint32_t size = SystemFunctions.FileSizeQuery(file);
  if (size != 0xFFFFFFFFu) block = (uint8_t*)SysAlloc(size, 0);
  if (block != 0) {
    uint32_t done = 0;
    ok = SystemFunctions.FileRead(file, block, size, &done) != 0 && done == size;
  }
  SystemFunctions.FileClose(file);
  if (ok) WriteWholeFile(destination, block, size, 0);  // result not needed
  if (block != 0) SysFree(block);
  return ok;
}

// 1 when every entry was written or passed over by its rule.
static int WriteMembers(SysWindow dialog, int overwriteOnly) {
  for (int32_t i = 0; i < UpdateList.Count; i++) {
    const UpdateEntry* entry = &UpdateList.Entries[i];
    char destination[LIST_SIZE];
    strcpy(destination,
           entry->Kind == Data ? InstallRecord.DataPath : InstallRecord.InstPath);
    // An empty DataFolder adds only the separating backslash; the folder is
    // created when missing (only its last level; an existing one is fine).
    int joined = JoinPath(destination, LIST_SIZE, UpdaterSettings.DataFolder);
    if (joined) SysCreateDirectory(destination);
    joined = joined && JoinPath(destination, LIST_SIZE, entry->Path);

    if (joined && (overwriteOnly || entry->Kind == Overwrite)) {
      uint32_t attributes = SystemFunctions.FileAttributesGet(destination);
      if (attributes == SYS_INVALID_ATTRIBUTES ||
          (attributes & SYS_FILE_ATTRIBUTE_DIRECTORY))
        continue;
    }
    if (joined && entry->Kind == Data && KeepDataFile(destination)) continue;

    // A path too long to be formed cannot be written.
    if (!joined || !ExtractMember(entry->Path + entry->NameOffset, destination,
                                  entry->Kind == Update)) {
      FailRun(dialog, "ファイルの書き込みに失敗しました");
      return 0;
    }
  }
  return 1;
}

// Finds the CD-ROM drive that holds the check file of the disk. 1 with the
// drive's name; 0 when the user gave up.
static int FindDiskDrive(SysWindow dialog, int32_t diskNumber, char* drive) {
  for (;;) {
    for (char letter = 'A'; letter <= 'Z'; letter++) {
      drive[0] = letter;
      drive[1] = ':';
      drive[2] = 0;
      drive[3] = 0;
      if (SysGetDriveType(drive) != SYS_DRIVE_CDROM) continue;
      char check[LIST_SIZE];
      strcpy(check, drive);
      if (JoinPath(check, LIST_SIZE, UpdaterSettings.DiskCheckFiles[diskNumber]) &&
          SystemFunctions.FileAttributesGet(check) != SYS_INVALID_ATTRIBUTES)
        return 1;
    }
    char prompt[TEXT_SIZE];
    SysFormat(prompt, "ＣＤ－ＲＯＭドライブに「%s」ディスク %i を入れて下さい",
              UpdaterSettings.GameTitle, (int)diskNumber);
    if (SysMessageBox(dialog, prompt, WindowCaption, SYS_MB_OKCANCEL) != SYS_IDOK)
      return 0;
  }
}

// The copy of a line failed: the box with the error icon, then the end of
// the dialog.
static int FailCopy(SysWindow dialog, const CopyEntry* entry) {
  char message[TEXT_SIZE];
  SysFormat(message, "SETUP.INI : \"%s\" のコピーに失敗しました", entry->Path);
  SysMessageBox(dialog, message, WindowCaption, SYS_MB_ICONERROR);
  SysEndDialog(dialog, -1);
  return 0;
}

static int CopyFromDisks(SysWindow dialog) {
  for (int32_t i = 0; i < CopyList.Count; i++) {
    const CopyEntry* entry = &CopyList.Entries[i];
    char source[LIST_SIZE];
    char destination[LIST_SIZE];
    // Disk 0 names no disc: its files lie beside the updater itself (a
    // patch shipped on a disc or in a folder with its files).
    if (entry->DiskNumber >= 1 && entry->DiskNumber <= 9) {
      if (!FindDiskDrive(dialog, entry->DiskNumber, source)) {
        SysEndDialog(dialog, -1);
        return 0;
      }
    } else {
      source[0] = 0;
      SysGetProgramFolder(source, PATH_SIZE);
      source[PATH_SIZE - 1] = 0;
    }
    int joined = JoinPath(source, LIST_SIZE, entry->Path);
    strcpy(destination, InstallRecord.InstPath);
    destination[strlen(destination) + 1] = 0;

    // A source that cannot be queried counts as a folder (all bits set).
    uint32_t attributes = SystemFunctions.FileAttributesGet(source);
    uint16_t flags = SYS_FOF_NOCONFIRMATION | SYS_FOF_NOCONFIRMMKDIR;
    if (attributes & SYS_FILE_ATTRIBUTE_DIRECTORY)
      flags |= SYS_FOF_NOERRORUI;  // into the install folder, under its name
    else
      joined = joined && JoinPath(destination, LIST_SIZE, entry->Path);

    if (!joined) return FailCopy(dialog, entry);

    SetStatusText(dialog, "%s をコピーしています", entry->Path);
    ShellCopyRequest request;
    memset(&request, 0, sizeof request);
    request.Owner = dialog;
    request.Function = SYS_FO_COPY;
    request.Source = source;
    request.Destination = destination;
    request.Flags = flags;
    int result = SystemFunctions.ShellCopy(&request);
    // A copy the user stopped ends the run without a word of its own; this
    // is looked at before the result.
    if (request.Aborted) {
      SysEndDialog(dialog, -1);
      return 0;
    }
    if (result != 0) return FailCopy(dialog, entry);
    // A file loses the read-only attribute it brought from the disc; for a
    // folder this touches the install folder itself.
    SystemFunctions.FileAttributesSet(destination, SYS_FILE_ATTRIBUTE_NORMAL);
  }
  return 1;
}

void RunUpdate(SysWindow dialog) {
  if (!CheckSpace(dialog)) return;

  SetStatusText(dialog, "%sを実行しています", ModeText);
  EnableDialogItem(dialog, ID_BACK, 0);
  EnableDialogItem(dialog, ID_NEXT, 0);
  EnableDialogItem(dialog, ID_CANCEL, 0);
  SysSetCursor(SysCursorWait);

  char value[PATH_SIZE];
  int overwriteOnly = ReadUpdateKey("UPDATE", "OverwriteOnly", value, PATH_SIZE) &&
                      ConvertDecimal(value) != 0;

  // The lists are read before anything is written, so a failed existence
  // check leaves the installation untouched.
  if (!ReadUpdateLists(InstallRecord.InstMode, CheckUpdateTarget)) {
    SysEndDialog(dialog, -1);
    return;
  }
  if (UpdateList.Count == 0 && CopyList.Count == 0) {
    FailRun(dialog, "No 'UpdateFileXX' and 'CopyFileXX'");
    return;
  }
  if (!WriteMembers(dialog, overwriteOnly)) return;
  if (!CopyFromDisks(dialog)) return;

  SetStatusText(dialog, "%sは完了しました", ModeText);
  SysSetDlgItemText(dialog, ID_NEXT, "完了");
  EnableDialogItem(dialog, ID_NEXT, 1);
  SysSetFocus(SysGetDlgItem(dialog, ID_NEXT));
  SysSetCursor(SysCursorArrow);
}
