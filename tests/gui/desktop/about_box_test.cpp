#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "app/command_ids.h"
#include "app/gui/about_box.h"
#include "app/gui/main_window.h"
#include "app/quillbox.h"

namespace {

constexpr char kUrl[] = "https://www.tarnwell.com/quillbox";

}  // namespace

class AboutBoxTest : public QObject {
  Q_OBJECT

 public slots:
  // Stands in for the desktop's web browser.
  void OpenUrl(const QUrl& url) { opened_.append(url); }

 private slots:
  void initTestCase();
  void cleanupTestCase();
  void init();
  void ShowsTheIdentityTextsAndBanner();
  void LinkLabelsAreBlueAndTheWebSiteBoldUnderlined();
  void ClicksOnTheLinksOpenTheWebSiteAndTheMail();
  void OtherClicksDoNothing();
  void AboutCommandShowsTheApplicationsBuildCode();

 private:
  QLabel* Label(AboutBox& box, const char* id) { return box.findChild<QLabel*>(QLatin1String(id)); }
  void Click(AboutBox& box, QPoint point, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseClick(&box, button, {}, point);
  }
  // The mail program's report, once it has run; empty if it never did.
  QString MailReport(int waitMs);

  QTemporaryDir mailBin_;
  QList<QUrl> opened_;
};

void AboutBoxTest::initTestCase() {
  Q_INIT_RESOURCE(quillbox);
  QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "OpenUrl");
  // A mail program that reports what it was handed.
  QFile mail(mailBin_.filePath(QStringLiteral("xdg-email")));
  QVERIFY(mail.open(QIODevice::WriteOnly));
  mail.write(QStringLiteral("#!/bin/sh\nprintf '%s|' \"$@\" > '%1/report.new' && /bin/mv '%1/report.new' '%1/report'\n")
                 .arg(mailBin_.path())
                 .toLocal8Bit());
  mail.close();
  mail.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
  qputenv("PATH", mailBin_.path().toLocal8Bit());
}

void AboutBoxTest::cleanupTestCase() { QDesktopServices::unsetUrlHandler(QStringLiteral("https")); }

void AboutBoxTest::init() {
  opened_.clear();
  QFile::remove(mailBin_.filePath(QStringLiteral("report")));
}

QString AboutBoxTest::MailReport(int waitMs) {
  QFile report(mailBin_.filePath(QStringLiteral("report")));
  if (!QTest::qWaitFor([&] { return report.exists(); }, waitMs)) return QString();
  return report.open(QIODevice::ReadOnly) ? QString::fromUtf8(report.readAll()) : QString();
}

void AboutBoxTest::ShowsTheIdentityTextsAndBanner() {
  AboutBox box(nullptr, "5481", kUrl);
  box.show();
  QCOMPARE(box.windowTitle(), QStringLiteral("Tarnwell Quillbox - https://www.tarnwell.com/quillbox"));
  QCOMPARE(Label(box, "1013")->text(), QStringLiteral("5481"));
  QCOMPARE(Label(box, "1085")->text(), QString::fromLatin1(kUrl));
  QCOMPARE(Label(box, "1062")->text(), QStringLiteral("sales@tarnwell.com"));
  QCOMPARE(Label(box, "1095")->pixmap().size(), QSize(360, 67));
  QStringList texts;
  for (QLabel* label : box.findChildren<QLabel*>()) texts << label->text();
  QVERIFY(texts.contains(QStringLiteral("Quillbox 2.0 Release Build Code: ")));
  QVERIFY(texts.contains(QStringLiteral("Thank you for choosing Tarnwell for your security needs.")));
  QVERIFY(texts.contains(QStringLiteral("Tarnwell, Inc.")));
}

void AboutBoxTest::LinkLabelsAreBlueAndTheWebSiteBoldUnderlined() {
  AboutBox box(nullptr, "5481", kUrl);
  for (const char* id : {"1085", "1062"}) {
    QCOMPARE(Label(box, id)->palette().color(QPalette::WindowText), QColor(0, 0, 255));
  }
  QCOMPARE(Label(box, "1013")->palette().color(QPalette::WindowText), box.palette().color(QPalette::WindowText));
  const QFont webSite = Label(box, "1085")->font();
  QVERIFY(webSite.bold());
  QVERIFY(webSite.underline());
  QVERIFY(!Label(box, "1062")->font().underline());
}

void AboutBoxTest::ClicksOnTheLinksOpenTheWebSiteAndTheMail() {
  AboutBox box(nullptr, "5481", kUrl);
  box.show();
  QVERIFY(QTest::qWaitForWindowExposed(&box));

  Click(box, Label(box, "1085")->geometry().center());
  QCOMPARE(opened_, QList<QUrl>{QUrl(QString::fromLatin1(kUrl))});
  QCOMPARE(MailReport(0), QString());

  Click(box, Label(box, "1062")->geometry().topLeft() + QPoint(2, 2));
  QCOMPARE(MailReport(10000),
           QStringLiteral("--subject|I have a sales inquiry...|Tarnwell Sales Manager <sales@tarnwell.com>|"));
  QCOMPARE(opened_.size(), 1);
  QVERIFY(box.isVisible());
}

void AboutBoxTest::OtherClicksDoNothing() {
  AboutBox box(nullptr, "5481", kUrl);
  box.show();
  QVERIFY(QTest::qWaitForWindowExposed(&box));
  const QRect webSite = Label(box, "1085")->geometry();
  const QRect mail = Label(box, "1062")->geometry();
  Click(box, webSite.center(), Qt::RightButton);
  Click(box, mail.center(), Qt::MiddleButton);
  Click(box, Label(box, "1013")->geometry().center());
  Click(box, Label(box, "1095")->geometry().center());
  Click(box, webSite.topRight() + QPoint(3, 0));  // just beside the link
  QVERIFY(opened_.isEmpty());
  QCOMPARE(MailReport(500), QString());  // a started mail program would have reported by now
}

void AboutBoxTest::AboutCommandShowsTheApplicationsBuildCode() {
  Quillbox app;
  MainWindow window(app);
  QString title;
  QString buildCode;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<AboutBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    title = box->windowTitle();
    buildCode = box->findChild<QLabel*>(QStringLiteral("1013"))->text();
    box->accept();
  });
  window.RunCommand(kCmdAbout);
  QCOMPARE(title, QStringLiteral("Tarnwell Quillbox - https://www.tarnwell.com/quillbox"));
  QCOMPARE(buildCode, QStringLiteral("5481"));
}

QTEST_MAIN(AboutBoxTest)
#include "about_box_test.moc"
