#include <QAbstractButton>
#include <QPushButton>
#include <QMessageBox>
#include <QWidget>
#include <QtTest>

#include "ui/gui/qt_message_box.h"
#include "ui/message_box_view.h"
#include "gui_test_support.h"

class MessageBoxTest : public QObject {
  Q_OBJECT

 private slots:
  void RequestsBecomeTheirQMessageBox_data();
  void RequestsBecomeTheirQMessageBox();
};

void MessageBoxTest::RequestsBecomeTheirQMessageBox_data() {
  QTest::addColumn<unsigned>("style");
  QTest::addColumn<int>("icon");
  QTest::addColumn<int>("buttons");
  QTest::addColumn<int>("defaultButton");
  QTest::addColumn<int>("press");  // 0: close the box without a button
  QTest::addColumn<int>("answer");
  const int yesNo = QMessageBox::Yes | QMessageBox::No;
  const int okCancel = QMessageBox::Ok | QMessageBox::Cancel;
  QTest::newRow("warning OK") << (kMbOk | kMbIconWarning) << int(QMessageBox::Warning) << int(QMessageBox::Ok)
                              << int(QMessageBox::Ok) << int(QMessageBox::Ok) << kIdOk;
  QTest::newRow("error OK") << (kMbOk | kMbIconError) << int(QMessageBox::Critical) << int(QMessageBox::Ok)
                            << int(QMessageBox::Ok) << int(QMessageBox::Ok) << kIdOk;
  QTest::newRow("question Yes") << (kMbYesNo | kMbIconQuestion) << int(QMessageBox::Question) << yesNo
                                << int(QMessageBox::Yes) << int(QMessageBox::Yes) << kIdYes;
  QTest::newRow("warning No") << (kMbYesNo | kMbIconWarning) << int(QMessageBox::Warning) << yesNo
                              << int(QMessageBox::Yes) << int(QMessageBox::No) << kIdNo;
  QTest::newRow("Yes/No closed") << (kMbYesNo | kMbIconWarning) << int(QMessageBox::Warning) << yesNo
                                 << int(QMessageBox::Yes) << 0 << kIdNo;
  QTest::newRow("information Cancel") << (kMbOkCancel | kMbIconInformation) << int(QMessageBox::Information) << okCancel
                                      << int(QMessageBox::Ok) << int(QMessageBox::Cancel) << kIdCancel;
  QTest::newRow("No as default") << (kMbYesNo | kMbIconWarning | kMbDefButton2) << int(QMessageBox::Warning) << yesNo
                                 << int(QMessageBox::No) << int(QMessageBox::No) << kIdNo;
  QTest::newRow("Cancel as default") << (kMbOkCancel | kMbDefButton2) << int(QMessageBox::NoIcon) << okCancel
                                     << int(QMessageBox::Cancel) << int(QMessageBox::Ok) << kIdOk;
}

void MessageBoxTest::RequestsBecomeTheirQMessageBox() {
  QFETCH(unsigned, style);
  QFETCH(int, icon);
  QFETCH(int, buttons);
  QFETCH(int, defaultButton);
  QFETCH(int, press);
  QFETCH(int, answer);
  SetMessageBoxAnswerer({});
  QWidget owner;
  QString seen;
  OnNextModalDialog(owner, [&](QDialog& dialog) {
    auto& box = static_cast<QMessageBox&>(dialog);
    seen = box.windowTitle() + "|" + box.text();
    QCOMPARE(int(box.icon()), icon);
    QCOMPARE(int(box.standardButtons()), buttons);
    QCOMPARE(int(box.standardButton(box.defaultButton())), defaultButton);
    if (press == 0) {
      box.close();
    } else {
      box.button(QMessageBox::StandardButton(press))->click();
    }
  });
  QCOMPARE(ShowQtMessageBox(&owner, "first line\r\nsecond line", "ERROR", style), answer);
  QCOMPARE(seen, QString("ERROR|first line\nsecond line"));
}

QTEST_MAIN(MessageBoxTest)
#include "message_box_test.moc"
