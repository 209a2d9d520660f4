#pragma once

#include <QObject>
#include <QMenu>
#include <QSystemTrayIcon>
#include <memory>

class MainWindow;

// The notification-area icon of the main window and the window behaviour
// around it: a double-click on the icon minimises a shown window and brings
// back a minimised or hidden one; a right click opens a menu of
// "Show/Hide", "Lock" and "Exit"; its tooltip names the program and says
// when the safe is locked; with "Reside on Taskbar" ticked,
// minimising hides the window so that only the icon is left. Owned by the
// main window, so the icon goes with it.
class TrayIcon : public QObject {
  Q_OBJECT

 public:
  // Watches the window's minimising from now on; the icon waits for SetTrayIcon.
  explicit TrayIcon(MainWindow& window);
  ~TrayIcon() override;

  // Adds the icon once, or removes it when added; anything else does nothing.
  void SetTrayIcon(bool add);
  bool IsShown() const { return shown_; }
  QMenu* Menu() const { return menu_.get(); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void OnActivated(QSystemTrayIcon::ActivationReason reason);
  void ToggleWindow();
  void CreateMenu();

  MainWindow& window_;
  QSystemTrayIcon icon_;
  std::unique_ptr<QMenu> menu_;  // a menu with a parent would be shown inside it
  bool shown_ = false;
};
