#include "update/gui/option_dialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

constexpr char kTitle[] = "Automatic Updates";
constexpr const char* kExplanation[] = {
    "This Tarnwell product can notify you when software",
    "updates are available , keeping you up to date with the latest",
    "functionality.  Please choose an option:",
};
// In choice order: 0, 1, 2.
constexpr const char* kChoiceTexts[] = {
    "Check for software updates just once, right now",
    "Notify me automatically only when a new update is available",
    "Do not check for updates (not recommended)",
};
constexpr const char* kChoiceNames[] = {"checkOnce", "notifyAutomatically", "neverCheck"};
constexpr int kChoiceCount = 3;

}  // namespace

bool RunOptionDialog(QWidget* owner, int& choice) {
  QDialog dialog(owner ? owner->window() : nullptr,
                 Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  dialog.setWindowTitle(QString::fromLatin1(kTitle));
  auto* layout = new QVBoxLayout(&dialog);
  for (const char* line : kExplanation) {
    layout->addWidget(new QLabel(QString::fromLatin1(line), &dialog));
  }
  layout->addSpacing(8);
  QRadioButton* buttons[kChoiceCount];
  for (int i = 0; i < kChoiceCount; ++i) {
    buttons[i] = new QRadioButton(QString::fromLatin1(kChoiceTexts[i]), &dialog);
    buttons[i]->setObjectName(kChoiceNames[i]);
    layout->addWidget(buttons[i]);
  }
  // Anything but 1 or 2 opens on "just once".
  buttons[(choice == 1 || choice == 2) ? choice : 0]->setChecked(true);

  auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  box->button(QDialogButtonBox::Ok)->setDefault(true);
  layout->addWidget(box);
  QObject::connect(box, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(box, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

  if (dialog.exec() != QDialog::Accepted) return false;
  choice = buttons[2]->isChecked() ? 2 : buttons[1]->isChecked() ? 1 : 0;
  return true;
}
