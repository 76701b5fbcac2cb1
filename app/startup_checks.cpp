// Start-up checks: the update description out of the archive, its [SETUP]
// keys and agreement texts, the installed game in the registry and its
// SETUP.INI, the window caption, and the refusal to run beside a second
// updater or the running game.
#include "app/startup_checks.h"

#include <string.h>

#include "archive/embedded.h"
#include "archive/extract.h"
#include "settings/profile.h"
#include "settings/setup_ini.h"
#include "settings/updater_settings.h"

InstallRecordValues InstallRecord;
char ModeText[PATH_SIZE];
const char* AgreementDocument = 0;
const char* AgreementHeading = 0;

// Forms the path of this process's own copy of the update description in
// the temporary folder. The name carries the process id, so a second
// updater started beside this one neither overwrites nor deletes it.
static void FormUpdateIniPath() {
  UpdateIniPath[0] = 0;
  SysGetTempPath(UpdateIniPath, PATH_SIZE);
  UpdateIniPath[PATH_SIZE - 1] = 0;
  char name[64];
  SysFormat(name, "UPDATE-%u.INI", (unsigned)SysGetProcessId());
  // A temporary folder too long for the name leaves the path empty; the
  // extraction then fails and the program ends.
  if (!JoinPath(UpdateIniPath, PATH_SIZE, name)) UpdateIniPath[0] = 0;
}

// Reads the member named by the key into a zero-filled block of its size
// plus two bytes, so the text always ends with two NULs. 1 with *text null
// when the key is empty; 0 after a message.
static int LoadAgreementText(const char* key, const char** text) {
  char memberName[PATH_SIZE];
  *text = 0;
  if (!ReadUpdateKey("SETUP", key, memberName, PATH_SIZE)) return 1;

  uint32_t size = 0;
  const uint8_t* bytes = FindMember(memberName, &size);
  if (bytes == 0) {
    char message[TEXT_SIZE];
    SysFormat(message, "'%s' not found at UPDATE.JQ3", memberName);
    ShowUpdateError(message);
    return 0;
  }
  char* block = size <= 0xFFFFFFFDu ? (char*)SysAlloc(size + 2, 1) : 0;
  if (block == 0) {
    ShowUpdateError("Can't Allocate Memory !!");
    return 0;
  }
  memcpy(block, bytes, size);
  *text = block;  // lives until the process ends
  return 1;
}

// A registry text value is taken only when it ends with a NUL inside the
// bytes returned; a value too long for its field fails the query itself.
static int QueryText(SysHandle key, const char* name, char* field) {
  uint32_t size = PATH_SIZE;
  memset(field, 0, PATH_SIZE);
  if (SystemFunctions.KeyQueryValue(key, name, field, &size) != 0 ||
      size > PATH_SIZE || memchr(field, 0, size) == 0) {
    field[0] = 0;
    return 0;
  }
  return 1;
}

static int ReadInstallRecord() {
  char keyPath[TEXT_SIZE];
  SysFormat(keyPath, "Software\\%s\\%s", UpdaterSettings.CompanyName,
            UpdaterSettings.GameDir);
  SysHandle key = 0;
  if (SystemFunctions.KeyOpen(SYS_HKEY_CURRENT_USER, keyPath, 0, SYS_KEY_READ,
                              &key) != 0)
    return 0;

  int installed = QueryText(key, "InstPath", InstallRecord.InstPath);
  if (installed) {
    // No data folder is no failure: its entries then start at the root.
    QueryText(key, "DataPath", InstallRecord.DataPath);
    uint32_t mode = 0;
    uint32_t size = sizeof mode;
    // Fewer than four bytes are no install mode.
    if (SystemFunctions.KeyQueryValue(key, "InstMode", &mode, &size) != 0 ||
        size != sizeof mode)
      installed = 0;
    else
      InstallRecord.InstMode = mode;
  }
  SystemFunctions.KeyClose(key);
  return installed;
}

void ConvertLineBreaks(const char* notice, char* out) {
  char* end = out + TEXT_SIZE - 1;
  const char* p = notice;
  while (*p != 0 && out < end) {
    const char* next = SysCharNext(p);
    if (next - p == 1 && p[0] == '\\' && p[1] == 'n') {
      *out++ = '\r';
      p += 2;
      continue;
    }
    while (p < next && out < end) *out++ = *p++;
    p = next;
  }
  *out = 0;
}

// Waits while a window of the game's class with this title is open. 1 when
// there is none (any more); 0 when the user gave up.
static int WaitForGameToClose(const char* title) {
  for (;;) {
    SysWindow game = SysFindWindow(UpdaterSettings.GameClass, title);
    if (game == 0) return 1;
    char message[TEXT_SIZE];
    SysFormat(message,
              "「%s」が実行中です。アップデートを続行する場合はゲームを終了してから "
              "[OK] を、アップデートを中止する場合は [キャンセル] を押して下さい",
              title);
    if (SysMessageBox(0, message, WindowCaption, SYS_MB_OKCANCEL) != SYS_IDOK) {
      SysShowWindow(game, SYS_SW_SHOW);
      SysSetForegroundWindow(game);
      return 0;
    }
  }
}

int RunStartupChecks() {
  FormUpdateIniPath();
  if (!ExtractMember("UPDATE.INI", UpdateIniPath, 0)) return 0;

  // The four keys every update description must have, reported in a box.
  if (!ReadUpdateKey("SETUP", "CompanyName", UpdaterSettings.CompanyName, PATH_SIZE) ||
      !ReadUpdateKey("SETUP", "GameTitle", UpdaterSettings.GameTitle, PATH_SIZE) ||
      !ReadUpdateKey("SETUP", "GameClass", UpdaterSettings.GameClass, PATH_SIZE) ||
      !ReadUpdateKey("SETUP", "GameDir", UpdaterSettings.GameDir, PATH_SIZE))
    return 0;

  // From here on a missing key is silent and leaves its value empty.
  QuietMissingKeys = 1;
  ReadUpdateKey("SETUP", "GameTitleA", UpdaterSettings.GameTitleA, PATH_SIZE);
  ReadUpdateKey("SETUP", "UpdaterVersion", UpdaterSettings.UpdaterVersion, PATH_SIZE);
  ReadUpdateKey("SETUP", "UpdaterTitle", UpdaterSettings.UpdaterTitle, PATH_SIZE);
  ReadUpdateKey("SETUP", "DataFolder", UpdaterSettings.DataFolder, PATH_SIZE);
  ReadUpdateKey("SETUP", "UpdateMessage", UpdaterSettings.UpdateMessage, TEXT_SIZE);
  ReadUpdateKey("SETUP", "ExistErrorMessage", UpdaterSettings.ExistErrorMessage,
                TEXT_SIZE);

  char scratch[PATH_SIZE];
  UpdaterSettings.ModeTextUpdateOrInstall =
      ReadUpdateKey("SETUP", "ModeTextUpdateOrInstall", scratch, PATH_SIZE) &&
      ConvertDecimal(scratch) != 0;
  strcpy(ModeText, UpdaterSettings.ModeTextUpdateOrInstall ? "インストール"
                                                           : "アップデート");

  if (!LoadAgreementText("AgreementText", &AgreementDocument)) return 0;
  if (!LoadAgreementText("AgreementTitle", &AgreementHeading)) return 0;

  if (!ReadInstallRecord()) {
    char message[TEXT_SIZE];
    SysFormat(message, "「%s」がインストールされていません",
              UpdaterSettings.GameTitle);
    ShowUpdateError(message);
    return 0;
  }

  // The notice comes before the caption is formed: it carries "UPDATE".
  if (UpdaterSettings.UpdateMessage[0] != 0) {
    char notice[TEXT_SIZE];
    ConvertLineBreaks(UpdaterSettings.UpdateMessage, notice);
    ShowUpdateError(notice);
  }

  strcpy(SetupIniPath, InstallRecord.InstPath);
  if (!JoinPath(SetupIniPath, PATH_SIZE, "SETUP.INI") ||
      SystemFunctions.FileAttributesGet(SetupIniPath) == SYS_INVALID_ATTRIBUTES) {
    ShowUpdateError("インストール先に \"SETUP.INI\" ファイルが見つかりません");
    return 0;
  }
  if (!ReadInstalledSetup()) return 0;

  if (UpdaterSettings.UpdaterTitle[0] != 0)
    SysFormat(WindowCaption, "%s", UpdaterSettings.UpdaterTitle);
  else
    SysFormat(WindowCaption, "%s アップデータ %s", UpdaterSettings.GameTitle,
              UpdaterSettings.UpdaterVersion);

  // Another updater with this caption (its wizard or one of its boxes) is
  // brought forward instead of starting a second one.
  SysWindow other = SysFindWindow(SYS_DIALOG_CLASS, WindowCaption);
  if (other != 0) {
    SysShowWindow(other, SYS_SW_SHOW);
    SysSetForegroundWindow(other);
    return 0;
  }

  if (!WaitForGameToClose(UpdaterSettings.GameTitle)) return 0;
  if (UpdaterSettings.GameTitleA[0] != 0 &&
      !WaitForGameToClose(UpdaterSettings.GameTitleA))
    return 0;
  return 1;
}
