#include <QApplication>
#include <QTest>

#include "tests/gui/update/option_dialog_test.h"
#include "tests/gui/update/update_responsiveness_test.h"
#include "tests/gui/update/wprogress_test.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  WProgressTest progress;
  OptionDialogTest options;
  UpdateResponsivenessTest responsiveness;
  int failures = QTest::qExec(&progress, argc, argv);
  failures += QTest::qExec(&options, argc, argv);
  failures += QTest::qExec(&responsiveness, argc, argv);
  return failures == 0 ? 0 : 1;
}
