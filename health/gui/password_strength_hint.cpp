#include "health/gui/password_strength_hint.h"

#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QTimer>

#include "health/password_strength.h"
#include "ui/gui/qt_secret_text.h"

namespace {

constexpr char kStrengthPrefix[] = "Strength: ";
constexpr char kBelowGoodWarning[] =
    ". Anyone who gets the safe's file can try passwords at leisure: a longer one, such as four or five random "
    "words, is much harder to guess.";
constexpr char kWarningStyle[] = "color: #b3261e;";

// The warning wraps over several lines: the dialog grows to show it whole
// rather than letting its layout squeeze the label.
void FitWindowToHint(QLabel* hint) {
  QWidget* window = hint->window();
  if (window->layout() == nullptr) return;
  window->layout()->activate();
  const int needed = window->heightForWidth(window->width());
  if (needed > window->height()) window->resize(window->width(), needed);
}

void UpdateHint(const QLineEdit* password, const QLineEdit* name, QLabel* hint) {
  if (password->text().isEmpty()) {
    hint->clear();
    return;
  }
  const SecretText typed = SecretFromText(password->text());
  const SecretText userName = SecretFromText(name->text());
  const SecretText* inputs[] = {&userName};
  const PasswordStrength strength = EstimateStrength(typed, inputs);
  const bool belowGood = strength.strength < StrengthClass::kGood;
  hint->setText(QString::fromLatin1(kStrengthPrefix) + QString::fromStdString(StrengthText(strength)) +
                (belowGood ? QString::fromLatin1(kBelowGoodWarning) : QString()));
  hint->setStyleSheet(belowGood ? QString::fromLatin1(kWarningStyle) : QString());
  // Once the label has taken its new text's size.
  QTimer::singleShot(0, hint, [hint] { FitWindowToHint(hint); });
}

}  // namespace

void ShowPasswordStrength(QLineEdit* password, QLineEdit* name, QLabel* hint) {
  hint->setAccessibleName(QStringLiteral("Password strength"));
  auto update = [password, name, hint] { UpdateHint(password, name, hint); };
  QObject::connect(password, &QLineEdit::textChanged, hint, update);
  QObject::connect(name, &QLineEdit::textChanged, hint, update);
  update();
}
