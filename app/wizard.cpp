// The wizard dialog procedure with its page counter and busy flag. Message
// boxes and the shell's copy progress run message loops inside a command,
// so the busy flag keeps Next, Back and Cancel from starting anything
// while a command is being handled.
#include "app/wizard.h"

#include "app/shared.h"
#include "app/startup_checks.h"
#include "app/update_run.h"
#include "settings/updater_settings.h"

int32_t PageCounter = 0;
int32_t CommandBusy = 0;

static void ShowControl(SysWindow dialog, int id, int show) {
  SysShowWindow(SysGetDlgItem(dialog, id), show ? SYS_SW_SHOW : SYS_SW_HIDE);
}

static void ShowAgreementControls(SysWindow dialog, int show) {
  ShowControl(dialog, ID_LICENCE, show);
  ShowControl(dialog, ID_AGREE, show);
  ShowControl(dialog, ID_DISAGREE, show);
}

// The heading is shown as text, never used as a format: two percent signs
// in a row stand for one, every other character stands for itself.
static void ShowHeading(SysWindow dialog, const char* heading) {
  char text[TEXT_SIZE];
  char* out = text;
  char* end = text + TEXT_SIZE - 1;
  for (const char* p = heading; *p != 0 && out < end; p++) {
    *out++ = *p;
    if (p[0] == '%' && p[1] == '%') p++;
  }
  *out = 0;
  SetStatusText(dialog, "%s", text);
}

void ShowStartPage(SysWindow dialog) {
  DialogWindow = dialog;
  CommandBusy = 0;
  PageCounter = 0;
  SysSetWindowText(dialog, WindowCaption);

  if (AgreementHeading != 0)
    ShowHeading(dialog, AgreementHeading);
  else
    SetStatusText(dialog, "「%s」の%sを開始します",
                  UpdaterSettings.ModeTextUpdateOrInstall
                      ? UpdaterSettings.UpdaterTitle
                      : UpdaterSettings.GameTitle,
                  ModeText);

  EnableDialogItem(dialog, ID_BACK, 0);
  EnableDialogItem(dialog, ID_CANCEL, 1);
  if (AgreementDocument != 0) {
    EnableDialogItem(dialog, ID_NEXT, 0);
    SysSetDlgItemText(dialog, ID_LICENCE, AgreementDocument);
    EnableDialogItem(dialog, ID_LICENCE, 1);
    EnableDialogItem(dialog, ID_AGREE, 1);
    EnableDialogItem(dialog, ID_DISAGREE, 1);
    SysCheckRadioButton(dialog, ID_AGREE, ID_DISAGREE, ID_DISAGREE);
    ShowAgreementControls(dialog, 1);
  } else {
    EnableDialogItem(dialog, ID_NEXT, 1);
    ShowAgreementControls(dialog, 0);
  }
}

void ShowConfirmPage(SysWindow dialog) {
  SetStatusText(dialog, "%sを実行します", ModeText);
  EnableDialogItem(dialog, ID_BACK, 0);
  EnableDialogItem(dialog, ID_NEXT, 1);
  EnableDialogItem(dialog, ID_CANCEL, 1);
  ShowAgreementControls(dialog, 0);
}

static void HandleStep(SysWindow dialog, int id) {
  CommandBusy = 1;
  SetStatusText(dialog, "");
  if (id == ID_BACK) PageCounter -= 2;
  switch (PageCounter) {
    case 0:
      ShowConfirmPage(dialog);
      break;
    case 1:
      RunUpdate(dialog);
      break;
    case 2:
      SysEndDialog(dialog, 0);
      break;
    default:
      break;
  }
  PageCounter += 1;
  CommandBusy -= 1;
}

intptr_t WizardDialogProc(SysWindow dialog, uint32_t message,
                          uintptr_t wordParam, intptr_t longParam) {
  (void)longParam;
  switch (message) {
    case SYS_WM_INITDIALOG:
      ShowStartPage(dialog);
      return 0;  // no default keyboard focus asked for

    case SYS_WM_COMMAND: {
      if (((wordParam >> 16) & 0xFFFF) != 0) return 0;
      int id = (int)(wordParam & 0xFFFF);
      switch (id) {
        case ID_NEXT:
        case ID_BACK:
          if (!CommandBusy) HandleStep(dialog, id);
          break;
        case ID_CANCEL:
          if (!CommandBusy) SysEndDialog(dialog, -1);
          break;
        case ID_AGREE:
          EnableDialogItem(dialog, ID_NEXT, 1);
          SysCheckRadioButton(dialog, ID_AGREE, ID_DISAGREE, ID_AGREE);
          break;
        case ID_DISAGREE:
          EnableDialogItem(dialog, ID_NEXT, 0);
          SysCheckRadioButton(dialog, ID_AGREE, ID_DISAGREE, ID_DISAGREE);
          break;
        default:
          break;
      }
      return 0;
    }

    case SYS_WM_SETCURSOR:
      if (CommandBusy) {
        SysSetCursor(SysCursorWait);
        return 1;
      }
      return 0;

    default:
      return 0;
  }
}

int RunWizard() {
  intptr_t result = SysDialogBox(
      ProgramInstance, AgreementDocument != 0 ? DIALOG_AGREEMENT : DIALOG_PLAIN,
      0, WizardDialogProc, 0);
  DialogWindow = 0;  // the boxes that follow have no owner
  if (result == 0) return 1;
  ShowUpdateError("アップデートが中断されました");
  return 0;
}
