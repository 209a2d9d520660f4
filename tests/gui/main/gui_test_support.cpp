#include "gui_test_support.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <QtTest>
#include <stdlib.h>

#include "app/gui/entry_list_view.h"
#include "app/gui/main_window.h"
#include "ui/gui/qt_message_box.h"
#include "platform/executable_path.h"
#include "tests/unit/safe/safe_test_dir.h"

GuiTestWorld::GuiTestWorld() {
  QVERIFY(dir_.isValid());
  const QByteArray root = dir_.path().toUtf8();
  QDir(dir_.path()).mkpath("config");
  QDir(dir_.path()).mkpath("machine");
  QDir(dir_.path()).mkpath("tmp");
  setenv("XDG_CONFIG_HOME", (root + "/config").constData(), 1);
  setenv("XDG_CONFIG_DIRS", (root + "/machine").constData(), 1);
  setenv("TMPDIR", (root + "/tmp").constData(), 1);
  setenv("XDG_STATE_HOME", (root + "/state").constData(), 1);
  OverrideExecutablePath((root + "/quillbox").constData());
  SetMessageBoxAnswerer([this](QWidget*, const std::string& text, const std::string& caption, unsigned style) {
    messages_.push_back({text, caption, style});
    if (!answers_.empty()) {
      const int answer = answers_.front();
      answers_.pop_front();
      return answer;
    }
    return (style & kMbButtonMask) == kMbYesNo ? kIdYes : kIdOk;
  });
  app_ = std::make_unique<Quillbox>();
  app_->SetInstance(nullptr);
  app_->SetNewSafeParams(kTinySafeParams);
  window_ = std::make_unique<MainWindow>(*app_);
}

GuiTestWorld::~GuiTestWorld() {
  window_.reset();
  if (app_->IsLoggedIn()) {
    app_->LogOut();
  }
  app_.reset();
  SetMessageBoxAnswerer({});
  OverrideExecutablePath(nullptr);
}

void GuiTestWorld::CreateUserWithEntries(const char* name, const char* password,
                                         const std::vector<std::vector<std::string>>& entries, SafeFormat format) {
  app_->CreateUser(window_->Owner(), name, password, format);
  QVERIFY(app_->IsLoggedIn());
  for (const auto& entry : entries) {
    QVERIFY(app_->AddEntry(entry[0].c_str(), entry[1].c_str(), entry[2].c_str()));
  }
}

void OnNextModalDialog(QObject& context, std::function<void(QDialog& dialog)> action) {
  auto* timer = new QTimer(&context);
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, action = std::move(action)] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr || !dialog->isVisible()) {
      return;
    }
    timer->stop();
    timer->deleteLater();
    action(*dialog);
  });
  timer->start();
}

void KeepAccepting(QFileDialog& dialog, const QString& name) {
  auto* edit = dialog.findChild<QLineEdit*>("fileNameEdit");
  if (edit != nullptr && edit->text() != name) edit->setText(name);
  static_cast<QDialog&>(dialog).accept();
  QPointer<QFileDialog> shown(&dialog);
  QTimer::singleShot(50, &dialog, [shown, name] {
    if (shown != nullptr && shown->isVisible()) KeepAccepting(*shown, name);
  });
}

std::vector<std::string> ColumnTexts(MainWindow& window, int column) {
  std::vector<std::string> texts;
  const QAbstractItemModel* model = window.ListView()->model();
  for (int row = 0; row < model->rowCount(); ++row) {
    texts.push_back(model->index(row, column).data().toString().toStdString());
  }
  return texts;
}
