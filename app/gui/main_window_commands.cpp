
#include "app/command_ids.h"
#include "app/gui/about_box.h"
#include "auto_type/gui/auto_type_commands.h"
#include "app/gui/entry_link_commands.h"
#include "interchange/gui/interchange_commands.h"
#include "app/gui/main_window.h"
#include "app/gui/safe_folder_command.h"
#include "secret_service/gui/secret_service_host.h"
#include "app/gui/window_commands.h"
#include "app/quillbox.h"
#include "update/gui/qt_update_view.h"

// The command table of the main window: every menu item and accelerator id
// with what it does, one line each. Ids without a line do nothing.
std::span<const MainWindow::Command> MainWindow::CommandTable() {
  static const Command kCommands[] = {
      {kCmdAbout, [](MainWindow& w) { ShowAboutBox(&w); }},
      {kCmdExit, [](MainWindow& w) { w.RequestExit(); }},
      {kCmdSetPassword, [](MainWindow& w) { w.ShowSetPasswordDialog(); }},
      {kCmdLogIn, [](MainWindow& w) { w.ShowLogInDialog(); }},
      {kCmdLogOut, [](MainWindow& w) { w.LogOut(); }},
      {kCmdAddEntry, [](MainWindow& w) { w.RunEntryDialogOver(&w, true); }},
      {kCmdDeleteEntries, [](MainWindow& w) { w.App().DeleteSelectedEntries(w.Owner()); }},
      {kCmdEditEntry, [](MainWindow& w) { w.RunEntryDialogOver(&w, false); }},
      {kCmdDeleteKey, [](MainWindow& w) { w.RunCommand(kCmdDeleteEntries); }},
      {kCmdLogInKey, [](MainWindow& w) { w.RunCommand(kCmdLogIn); }},
      {kCmdResideOnTaskbar, [](MainWindow& w) { ToggleResideOnTaskbar(w.App(), w); }},
      {kCmdHideKey, [](MainWindow& w) { w.RunCommand(kCmdHide); }},
      {kCmdHide, [](MainWindow& w) { w.MinimizeIfShown(); }},
      {kCmdAddEntryKey, [](MainWindow& w) { w.RunCommand(kCmdAddEntry); }},
      {kCmdSelectAllKey, [](MainWindow& w) { w.SelectAllEntries(); }},
      {kCmdRunAtStartup, [](MainWindow& w) { ToggleRunAtStartup(w.App(), w); }},
      {kCmdHelp, [](MainWindow& w) { w.OpenHelp(); }},
      {kCmdSafeFolder, [](MainWindow& w) { ChooseSafeFolderWithDialog(w.App(), &w); }},
      {kCmdCheckForUpdates, [](MainWindow& w) { RunUpdateCheckOver(&w, true, w.App(), w); }},
      {kCmdCopyUserName, [](MainWindow& w) { w.CopyFieldOfOneEntry(CopiedField::kUserName); }},
      {kCmdCopyPassword, [](MainWindow& w) { w.CopyFieldOfOneEntry(CopiedField::kPassword); }},
      {kCmdCopyWebAddress, [](MainWindow& w) { CopyWebAddress(w); }},
      {kCmdOpenWebAddress, [](MainWindow& w) { OpenWebAddress(w); }},
      {kCmdCopyOneTimeCode, [](MainWindow& w) { CopyOneTimeCode(w); }},
      {kCmdPerformAutoType, [](MainWindow& w) { PerformAutoType(w); }},
      {kCmdGeneratePassword, [](MainWindow& w) { w.ShowGenerator(); }},
      {kCmdLock, [](MainWindow& w) { w.LockSafe(); }},
      {kCmdFocusFilter, [](MainWindow& w) { w.FocusFilter(); }},
      {kCmdImport, [](MainWindow& w) { RunImportCommand(w.App(), w, &w); }},
      {kCmdExport, [](MainWindow& w) { RunExportCommand(w.App(), w, &w); }},
      {kCmdUpgradeSafe, [](MainWindow& w) { w.RunUpgrade(); }},
      {kCmdPasswordHealth, [](MainWindow& w) { w.ShowHealthReport(); }},
      {kCmdCheckBreachList, [](MainWindow& w) { w.CheckAgainstBreachList(); }},
      {kCmdSettings, [](MainWindow& w) { w.ShowSettings(); }},
      {kCmdSecretService,
       [](MainWindow& w) {
         if (auto* host = w.findChild<SecretServiceHost*>()) host->Toggle();
       }},
  };
  return kCommands;
}
