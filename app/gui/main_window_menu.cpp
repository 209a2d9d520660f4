#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>

#include "app/command_ids.h"
#include "app/gui/main_window.h"

// The menu (resource 111) and the accelerators (resource 116) as tables.
namespace {

struct MenuItem {
  const char* text;  // null: a separator
  int id;
  const char* hint;  // accelerator shown right-aligned; the key itself is below
  bool enabled;
};

struct Menu {
  const char* title;
  std::initializer_list<MenuItem> items;
};

const Menu kMenus[] = {
    {"&File",
     {
         {"Log In...", kCmdLogIn, "Ctrl+L", true},
         {"Log Out", kCmdLogOut, nullptr, false},
         {"Set Password...", kCmdSetPassword, nullptr, false},
         {nullptr, 0, nullptr, true},
         {"Hide", kCmdHide, "Ctrl+H", true},
         {"Reside on Taskbar", kCmdResideOnTaskbar, nullptr, true},
         {"Run at Startup", kCmdRunAtStartup, nullptr, true},
         // Items beyond the designed ones go here, so that Exit stays last.
         {nullptr, 0, nullptr, true},
         {"&Lock", kCmdLock, "Ctrl+Shift+L", false},
         {"Upgrade Safe Encryption...", kCmdUpgradeSafe, nullptr, false},
         {"Safe &Folder...", kCmdSafeFolder, nullptr, true},
         {"Serve Entries Tagged \"Secret Service\" to Other Programs", kCmdSecretService, nullptr, true},
         {"&Settings...", kCmdSettings, nullptr, true},
         {nullptr, 0, nullptr, true},
         {"&Import...", kCmdImport, nullptr, false},
         {"Ex&port...", kCmdExport, nullptr, false},
         {nullptr, 0, nullptr, true},
         {"E&xit", kCmdExit, nullptr, true},
     }},
    {"&Passwords",
     {
         {"&Add Entry...", kCmdAddEntry, "Ctrl+E", false},
         {"&Edit Entry...", kCmdEditEntry, nullptr, false},
         {"&Delete Entry(s)...", kCmdDeleteEntries, "Del", false},
         {nullptr, 0, nullptr, true},
         {"Copy &User Name", kCmdCopyUserName, "Ctrl+B", false},
         {"Copy &Password", kCmdCopyPassword, "Ctrl+C", false},
         {nullptr, 0, nullptr, true},
         {"Generate Password...", kCmdGeneratePassword, nullptr, true},
         {nullptr, 0, nullptr, true},
         {"Copy &Web Address", kCmdCopyWebAddress, nullptr, false},
         {"&Open Web Address", kCmdOpenWebAddress, nullptr, false},
         {"Copy &One-Time Code", kCmdCopyOneTimeCode, "Ctrl+T", false},
         {nullptr, 0, nullptr, true},
         {"Perform &Auto-Type", kCmdPerformAutoType, "Ctrl+Shift+V", false},
         {nullptr, 0, nullptr, true},
         {"Password &Health...", kCmdPasswordHealth, nullptr, false},
         {"Check Against a Breach List...", kCmdCheckBreachList, nullptr, false},
     }},
    {"&Help",
     {
         {"Using Quillbox", kCmdHelp, nullptr, true},
         {"&About Quillbox...", kCmdAbout, nullptr, true},
         {nullptr, 0, nullptr, true},
         {"&Check for Updates...", kCmdCheckForUpdates, nullptr, true},
     }},
};

// Items whose tick shows a flag.
constexpr int kTickedItems[] = {kCmdResideOnTaskbar, kCmdRunAtStartup, kCmdSecretService};

struct Accelerator {
  QKeyCombination key;
  int id;
};

const Accelerator kAccelerators[] = {
    {Qt::CTRL | Qt::Key_A, kCmdSelectAllKey},
    {Qt::CTRL | Qt::Key_E, kCmdAddEntryKey},
    {Qt::CTRL | Qt::Key_H, kCmdHideKey},
    {Qt::CTRL | Qt::Key_L, kCmdLogInKey},
    {QKeyCombination(Qt::Key_Delete), kCmdDeleteKey},
    {Qt::CTRL | Qt::Key_B, kCmdCopyUserName},
    {Qt::CTRL | Qt::Key_C, kCmdCopyPassword},
    {Qt::CTRL | Qt::SHIFT | Qt::Key_L, kCmdLock},
    {Qt::CTRL | Qt::Key_F, kCmdFocusFilter},
    {Qt::CTRL | Qt::Key_T, kCmdCopyOneTimeCode},
    {Qt::CTRL | Qt::SHIFT | Qt::Key_V, kCmdPerformAutoType},
};

}  // namespace

void MainWindow::CreateMenus() {
  for (const Menu& menu : kMenus) {
    QMenu* qmenu = menuBar()->addMenu(QString::fromLatin1(menu.title));
    for (const MenuItem& item : menu.items) {
      if (item.text == nullptr) {
        qmenu->addSeparator();
        continue;
      }
      QString text = QString::fromLatin1(item.text);
      if (item.hint != nullptr) {
        text += QLatin1Char('\t') + QString::fromLatin1(item.hint);
      }
      QAction* action = qmenu->addAction(text);
      action->setEnabled(item.enabled);
      menuActions_[item.id] = action;
      connect(action, &QAction::triggered, this, [this, action, id = item.id] {
        // The tick is the command's to set (SetMenuItemChecked), not the click's.
        if (action->isCheckable()) {
          action->setChecked(!action->isChecked());
        }
        RunCommand(id);
      });
    }
  }
  for (const int id : kTickedItems) {
    menuActions_[id]->setCheckable(true);
  }
}

// Accelerators work even while their menu items are greyed; each command
// guards itself.
void MainWindow::CreateAccelerators() {
  for (const Accelerator& accelerator : kAccelerators) {
    auto* shortcut = new QShortcut(QKeySequence(accelerator.key), this);
    shortcut->setContext(Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, this, [this, id = accelerator.id] { RunCommand(id); });
  }
}
