#include "app/gui/settings_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/gui/safe_folder_command.h"
#include "app/quillbox.h"
#include "settings/setting_catalogue.h"

namespace {

constexpr char kTitle[] = "Settings";
constexpr char kSafeFolderNote[] = "Log out to choose another folder.";

constexpr SettingGroup kGroups[] = {SettingGroup::kClipboardAndLock, SettingGroup::kAutoType,
                                    SettingGroup::kSecretService, SettingGroup::kSafeFolder, SettingGroup::kBreachList};

QString ReadText(Quillbox& app, const SettingSpec& spec) {
  std::vector<char> text(spec.capacity + 1, '\0');
  app.ReadSetting(spec, text.data());
  return QString::fromLocal8Bit(text.data());
}

}  // namespace

SettingsDialog::SettingsDialog(Quillbox& app, QWidget* parent) : QDialog(parent), app_(app) {
  setWindowTitle(QString::fromLatin1(kTitle));
  auto* layout = new QVBoxLayout(this);
  fields_.reserve(SettingCatalogue().size());
  for (const SettingGroup group : kGroups) {
    auto* box = new QGroupBox(QString::fromLatin1(SettingGroupTitle(group)), this);
    auto* form = new QFormLayout(box);
    for (const SettingSpec& spec : SettingCatalogue()) {
      if (spec.group != group) continue;
      Field field{&spec, nullptr, {}, 0};
      QWidget* row = MakeEditor(spec, &field);
      field.editor->setObjectName(QString::fromLatin1(spec.name));
      field.editor->setToolTip(QString::fromLatin1(spec.name));
      auto* label = new QLabel(QString::fromLatin1(spec.label), box);
      label->setWordWrap(true);
      label->setTextFormat(Qt::PlainText);
      form->addRow(label, row);
      fields_.push_back(field);
    }
    layout->addWidget(box);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

QWidget* SettingsDialog::MakeEditor(const SettingSpec& spec, Field* field) {
  switch (spec.kind) {
    case SettingKind::kFlag: {
      auto* check = new QCheckBox(this);
      field->shownNumber = app_.ReadFlagSetting(spec) ? 1 : 0;
      check->setChecked(field->shownNumber != 0);
      field->editor = check;
      return check;
    }
    case SettingKind::kNumber: {
      auto* spin = new QSpinBox(this);
      spin->setRange(spec.minimum, spec.maximum);
      int value = spec.defaultNumber;
      app_.ReadSetting(spec, &value);
      spin->setValue(value);
      field->shownNumber = spin->value();
      field->editor = spin;
      return spin;
    }
    case SettingKind::kText:
      break;
  }
  auto* edit = new QLineEdit(this);
  edit->setMaxLength(static_cast<int>(spec.capacity) - 1);
  field->shownText = ReadText(app_, spec);
  edit->setText(field->shownText);
  field->editor = edit;
  if (spec.group == SettingGroup::kSafeFolder) return MakeSafeFolderRow(edit);
  if (spec.group == SettingGroup::kBreachList) return MakeFileRow(edit);
  return edit;
}

// The folder moves through its own command, which offers to move the safe.
QWidget* SettingsDialog::MakeSafeFolderRow(QLineEdit* edit) {
  auto* row = new QWidget(this);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  edit->setReadOnly(true);
  auto* choose = new QPushButton(QStringLiteral("Choose..."), row);
  choose->setEnabled(!app_.IsLoggedIn());
  if (app_.IsLoggedIn()) choose->setToolTip(QString::fromLatin1(kSafeFolderNote));
  connect(choose, &QPushButton::clicked, this, [this, edit] {
    ChooseSafeFolderWithDialog(app_, this);
    edit->setText(ReadText(app_, kSafeFolderSpec));
    for (Field& field : fields_) {
      if (field.editor == edit) field.shownText = edit->text();
    }
  });
  layout->addWidget(edit);
  layout->addWidget(choose);
  return row;
}

QWidget* SettingsDialog::MakeFileRow(QLineEdit* edit) {
  auto* row = new QWidget(this);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* browse = new QPushButton(QStringLiteral("Browse..."), row);
  connect(browse, &QPushButton::clicked, this, [this, edit] {
    const QString path = QFileDialog::getOpenFileName(this, QString(), edit->text());
    if (!path.isEmpty()) edit->setText(path);
  });
  layout->addWidget(edit);
  layout->addWidget(browse);
  return row;
}

bool SettingsDialog::WriteChanges() {
  bool changed = false;
  for (const Field& field : fields_) {
    const SettingSpec& spec = *field.spec;
    if (auto* check = qobject_cast<QCheckBox*>(field.editor)) {
      const int now = check->isChecked() ? 1 : 0;
      if (now == field.shownNumber) continue;
      app_.SetSettingInt(spec.name, now);
    } else if (auto* spin = qobject_cast<QSpinBox*>(field.editor)) {
      if (spin->value() == field.shownNumber) continue;
      app_.SetSettingInt(spec.name, spin->value());
    } else if (auto* edit = qobject_cast<QLineEdit*>(field.editor)) {
      if (edit->isReadOnly() || edit->text() == field.shownText) continue;
      app_.SetSettingString(spec.name, edit->text().toLocal8Bit().constData());
    }
    changed = true;
  }
  return changed;
}
