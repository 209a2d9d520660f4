#include "app/gui/generator_dialog.h"

#include <string.h>

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/gui/clipboard_service.h"
#include "ui/gui/qt_text.h"

namespace {

// A label's '&' marks a mnemonic; a shown one is written "&&".
QCheckBox* AddClass(QVBoxLayout* layout, const char* text, bool checked) {
  auto* box = new QCheckBox(QString::fromLatin1(text));
  box->setChecked(checked);
  layout->addWidget(box);
  return box;
}

}  // namespace

GeneratorDialog::GeneratorDialog(bool offerUse, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QString::fromLatin1(kTitle));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  length_ = new QSpinBox;
  length_->setRange(kGeneratedLengthMin, kGeneratedLengthMax);
  length_->setValue(kGeneratedLengthDefault);
  form->addRow(QStringLiteral("&Length:"), length_);
  layout->addLayout(form);

  auto* classes = new QVBoxLayout;
  lower_ = AddClass(classes, "Lower case (a-z)", true);
  upper_ = AddClass(classes, "Upper case (A-Z)", true);
  digits_ = AddClass(classes, "Digits (0-9)", true);
  symbols_ = AddClass(classes, "Symbols (!\"#$%&&'()*+,-./:;<=>?@[\\]^_`{|}~)", true);
  avoidLookAlikes_ = AddClass(classes, "Avoid look-alikes (0 O o I l 1 |)", false);
  layout->addLayout(classes);

  password_ = new QLineEdit;
  password_->setReadOnly(true);
  password_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  password_->setAccessibleName(QStringLiteral("Generated password"));
  ClipboardService::MarkSecretField(password_);
  password_->setMinimumWidth(password_->fontMetrics().horizontalAdvance(QLatin1Char('W')) * 34);
  layout->addWidget(password_);
  strength_ = new QLabel;
  layout->addWidget(strength_);

  auto* buttons = new QDialogButtonBox;
  generate_ = buttons->addButton(QStringLiteral("&Generate"), QDialogButtonBox::ActionRole);
  copy_ = buttons->addButton(QStringLiteral("&Copy"), QDialogButtonBox::ActionRole);
  use_ = offerUse ? buttons->addButton(QStringLiteral("&Use"), QDialogButtonBox::AcceptRole) : nullptr;
  buttons->addButton(QDialogButtonBox::Close);
  layout->addWidget(buttons);
  if (use_ != nullptr) use_->setDefault(true);

  connect(length_, &QSpinBox::valueChanged, this, &GeneratorDialog::Generate);
  for (QCheckBox* box : {lower_, upper_, digits_, symbols_, avoidLookAlikes_}) {
    connect(box, &QCheckBox::toggled, this, &GeneratorDialog::Generate);
  }
  connect(generate_, &QPushButton::clicked, this, &GeneratorDialog::Generate);
  connect(copy_, &QPushButton::clicked, this, &GeneratorDialog::Copy);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  Generate();
}

GeneratorDialog::~GeneratorDialog() {
  QString shown = password_->text();
  password_->clear();
  WipeText(shown);
}

QString GeneratorDialog::Password() const { return password_->text(); }

PasswordOptions GeneratorDialog::Options() const {
  PasswordOptions options;
  options.length = length_->value();
  const std::pair<QCheckBox*, unsigned> classes[] = {{lower_, kPasswordLowerCase},
                                                     {upper_, kPasswordUpperCase},
                                                     {digits_, kPasswordDigits},
                                                     {symbols_, kPasswordSymbols}};
  options.classes = 0;
  for (const auto& [box, flag] : classes) {
    if (box->isChecked()) options.classes |= flag;
  }
  options.avoidLookAlikes = avoidLookAlikes_->isChecked();
  return options;
}

void GeneratorDialog::Generate() {
  const PasswordOptions options = Options();
  char password[kGeneratedLengthMax + 1];
  const bool made = GeneratePassword(options, password, sizeof password);
  password_->setText(made ? QString::fromLatin1(password) : QString());
  explicit_bzero(password, sizeof password);
  strength_->setText(made ? QStringLiteral("Strength: %1 bits").arg(static_cast<int>(PasswordStrengthBits(options)))
                          : QStringLiteral("Choose at least one kind of character."));
  copy_->setEnabled(made);
  if (use_ != nullptr) use_->setEnabled(made);
}

void GeneratorDialog::Copy() {
  ClipboardService* service = ClipboardService::Instance();
  if (service == nullptr) return;
  QByteArray bytes = BytesFromText(password_->text());
  service->Copy(bytes.constData(), CopiedField::kPassword);
  WipeBytes(bytes);
}
