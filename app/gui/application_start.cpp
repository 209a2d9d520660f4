#include "app/gui/application_start.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHeaderView>
#include <QIcon>
#include <QScreen>
#include <QTimer>
#include <memory>

#include "app/command_ids.h"
#include "app/gui/entry_list_model.h"
#include "app/gui/entry_list_view.h"
#include "app/gui/main_window.h"
#include "app/gui/qt_column_view.h"
#include "ui/gui/qt_message_box.h"
#include "app/gui/qt_placement_window.h"
#include "secret_service/gui/secret_service_host.h"
#include "app/gui/single_instance.h"
#include "app/gui/termination_watch.h"
#include "app/gui/tray_icon.h"
#include "app/quillbox.h"
#include "app/quillbox_messages.h"
#include "desktop/gui/splash.h"
#include "desktop/winstall.h"
#include "update/gui/qt_update_view.h"

namespace {

constexpr char kCannotInitialize[] = "Could not initialize application";
constexpr int kDefaultWidth = 640;
constexpr int kDefaultHeight = 420;

// The first position and size before any are stored: centred on the
// primary screen, as a window manager would place a new window.
void PlaceByDefault(QWidget& window) {
  window.resize(kDefaultWidth, kDefaultHeight);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect frame(QPoint(), window.size());
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
  }
}

std::unique_ptr<MainWindow> CreateMainWindow(Quillbox& app) {
  if (QGuiApplication::primaryScreen() == nullptr) {
    return nullptr;
  }
  // The splash screen shows here, while the main window is made.
  ShowSplash(kSplashBitmapId, kSplashSeconds);
  return std::make_unique<MainWindow>(app);
}

}  // namespace

void InitApplication(Quillbox& app) {
  Q_INIT_RESOURCE(quillbox);
  // Icon 107: the main window's class icon, and so every window's.
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/icon_107.png")));
  // Wayland compositors match the window to the installed desktop entry by it.
  QGuiApplication::setDesktopFileName(QStringLiteral("com.tarnwell.Quillbox"));
  app.SetInstance(QCoreApplication::instance());
  app.ReadStartSettings();
  app.SetRunAtStartup(StartupShortcutExists());
}

int RunApplication(Quillbox& app) {
  SingleInstance instance(SingleInstance::DefaultName());
  if (!instance.ClaimOrActivate()) {
    return 0;
  }
  QApplication::setQuitOnLastWindowClosed(false);
  // From here a signal to stop takes the exit path below.
  TerminationWatch termination;

  std::unique_ptr<MainWindow> window = CreateMainWindow(app);
  if (!window) {
    ShowQtMessageBox(nullptr, kCannotInitialize, kErrorCaption, kMbOk | kMbIconError);
    return 0;
  }

  QtPlacementWindow placement(*window);
  PlaceByDefault(*window);
  app.RestoreWindowPlacement(kWindowPlacementBaseName, placement);
  // The automatic update check, once the list exists: its questions and
  // download come before the main window and the log-in.
  RunUpdateCheckOver(window->ListView(), false, app, *window);
  QtColumnView columns(*window->ListView()->horizontalHeader());
  app.RestoreColumnWidths(kColumnWidthsBaseName, columns, EntryListModel::kDesignedColumnCount);

  window->SetMenuItemChecked(kCmdResideOnTaskbar, app.GetResideOnTaskbar());
  window->SetMenuItemChecked(kCmdRunAtStartup, app.GetRunAtStartup());
  new SecretServiceHost(app, *window);
  QTimer::singleShot(0, window.get(), [&window] { window->RunCommand(kCmdLogIn); });

  // Watching minimise from the first show: a start with both flags set is tray only.
  auto* tray = new TrayIcon(*window);
  if (app.GetRunAtStartup()) {
    window->showMinimized();
  } else {
    window->show();
  }
  // The tray icon is added here, once the window is shown.
  tray->SetTrayIcon(true);
  // Later starts are answered once the window is up, also those that came
  // during the splash or the update check (kept until now), so a window
  // started minimised comes forward. From the loop, after the first show.
  QTimer::singleShot(0, window.get(),
                     [&instance, &window] { instance.SetActivationHandler([&window] { window->RestoreAndRaise(); }); });

  // A signal that came during the start ended the loops there already.
  if (termination.Signal() == 0) QApplication::exec();
  // A session that ends under the window (or by a signal) still gets its
  // last save, and its SSH keys leave the agent.
  app.LogOut();

  app.SaveWindowPlacement(kWindowPlacementBaseName, placement);
  app.SaveColumnWidths(kColumnWidthsBaseName, columns, EntryListModel::kDesignedColumnCount);
  // The tray icon is removed here, with the main window.
  tray->SetTrayIcon(false);
  return termination.ExitCode();
}
