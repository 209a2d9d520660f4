#include "app/gui/entry_details_panel.h"

#include <QCheckBox>
#include <QDateTime>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <algorithm>

#include "app/gui/clipboard_service.h"
#include "app/gui/custom_fields_table.h"
#include "ui/gui/qt_secret_text.h"
#include "ui/gui/qt_text.h"
#include "health/report_exclusion.h"
#include "safe/entry_field_rules.h"
#include "safe/one_time_code.h"

namespace {

// Mnemonics stay clear of the letters the entry dialog's own controls could
// take (Description, User Name, Password, Generate, OK, Cancel).
constexpr char kUrlLabel[] = "&Web Address:";
constexpr char kNotesLabel[] = "&Notes:";
constexpr char kOneTimeCodeLabel[] = "One-&Time Code:";
constexpr char kTagsLabel[] = "Tag&s:";
constexpr char kFieldsLabel[] = "Custom &Fields:";
constexpr char kAddFieldText[] = "&Add";
constexpr char kRemoveFieldText[] = "Re&move";
constexpr char kShowText[] = "S&how";
constexpr char kHistoryLabel[] = "Password H&istory:";
constexpr char kRestoreText[] = "&Restore";
constexpr char kExcludeText[] = "e&xclude from reports";
constexpr char kTagSeparator[] = ", ";
constexpr char kServedNote[] =
    "Entries tagged \"Secret Service\" are served to other programs while File > Serve Entries Tagged "
    "\"Secret Service\" to Other Programs is on.";
constexpr int kMaskLength = 8;
constexpr int kHistoryIndexRole = Qt::UserRole;

QLabel* AddRow(QGridLayout* grid, const char* label, QWidget* control) {
  const int row = grid->rowCount();
  auto* title = new QLabel(QString::fromLatin1(label));
  title->setBuddy(control);
  grid->addWidget(title, row, 0, Qt::AlignTop);
  grid->addWidget(control, row, 1);
  return title;
}

QPushButton* NewButton(const char* text, const char* accessibleName) {
  auto* button = new QPushButton(QString::fromLatin1(text));
  button->setAutoDefault(false);
  button->setAccessibleName(QString::fromLatin1(accessibleName));
  return button;
}

}  // namespace

EntryDetailsPanel::EntryDetailsPanel(QWidget* parent) : QWidget(parent) {
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  legacyNote_ = new QLabel(QString::fromLatin1(kNeedsStrongFormatMessage));
  legacyNote_->setWordWrap(true);
  legacyNote_->setAccessibleName(QString::fromLatin1(kNeedsStrongFormatMessage));
  legacyNote_->hide();
  grid->addWidget(legacyNote_, 0, 0, 1, 2);

  url_ = new QLineEdit;
  url_->setObjectName(QStringLiteral("urlEdit"));
  url_->setAccessibleName(QStringLiteral("Web address"));
  url_->setMaxLength(static_cast<int>(kMaxEntryTextBytes));
  AddRow(grid, kUrlLabel, url_);

  notes_ = new QPlainTextEdit;
  notes_->setObjectName(QStringLiteral("notesEdit"));
  notes_->setAccessibleName(QStringLiteral("Notes"));
  notes_->setTabChangesFocus(true);
  ClipboardService::MarkSecretField(notes_);
  AddRow(grid, kNotesLabel, notes_);

  oneTimeCode_ = new QLineEdit;
  oneTimeCode_->setObjectName(QStringLiteral("oneTimeCodeEdit"));
  oneTimeCode_->setAccessibleName(QStringLiteral("One-time code secret"));
  oneTimeCode_->setPlaceholderText(QStringLiteral("otpauth://totp/... or a base32 secret"));
  oneTimeCode_->setMaxLength(static_cast<int>(kMaxEntryTextBytes));
  oneTimeCode_->setEchoMode(QLineEdit::Password);
  ClipboardService::MarkSecretField(oneTimeCode_);
  AddRow(grid, kOneTimeCodeLabel, oneTimeCode_);

  tags_ = new QLineEdit;
  tags_->setObjectName(QStringLiteral("tagsEdit"));
  tags_->setAccessibleName(QStringLiteral("Tags, separated by commas"));
  tags_->setMaxLength(static_cast<int>(kMaxEntryTags * (kMaxEntryTextBytes + sizeof kTagSeparator)));
  AddRow(grid, kTagsLabel, tags_);
  auto* servedNote = new QLabel(QString::fromLatin1(kServedNote));
  servedNote->setWordWrap(true);
  servedNote->setObjectName(QStringLiteral("servedNote"));
  grid->addWidget(servedNote, grid->rowCount(), 1);

  fields_ = new CustomFieldsTable;
  fields_->setObjectName(QStringLiteral("customFieldsTable"));
  fields_->setAccessibleName(QStringLiteral("Custom fields"));
  fields_->installEventFilter(this);
  AddRow(grid, kFieldsLabel, fields_);
  auto* fieldButtons = new QHBoxLayout;
  addField_ = NewButton(kAddFieldText, "Add custom field");
  addField_->setObjectName(QStringLiteral("addFieldButton"));
  removeField_ = NewButton(kRemoveFieldText, "Remove custom field");
  removeField_->setObjectName(QStringLiteral("removeFieldButton"));
  show_ = new QCheckBox(QString::fromLatin1(kShowText));
  show_->setObjectName(QStringLiteral("showCheck"));
  show_->setAccessibleName(QStringLiteral("Show protected values, one-time code and history"));
  fieldButtons->addWidget(addField_);
  fieldButtons->addWidget(removeField_);
  fieldButtons->addStretch();
  fieldButtons->addWidget(show_);
  grid->addLayout(fieldButtons, grid->rowCount(), 1);

  history_ = new QTreeWidget;
  history_->setObjectName(QStringLiteral("historyList"));
  history_->setAccessibleName(QStringLiteral("Password history"));
  history_->setHeaderLabels({QStringLiteral("Password"), QStringLiteral("Replaced")});
  history_->setRootIsDecorated(false);
  history_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
  history_->installEventFilter(this);
  AddRow(grid, kHistoryLabel, history_);
  restore_ = NewButton(kRestoreText, "Restore this password");
  restore_->setObjectName(QStringLiteral("restoreButton"));
  auto* historyButtons = new QHBoxLayout;
  historyButtons->addWidget(restore_);
  historyButtons->addStretch();
  grid->addLayout(historyButtons, grid->rowCount(), 1);
  exclude_ = new QCheckBox(QString::fromLatin1(kExcludeText));
  exclude_->setObjectName(QStringLiteral("excludeFromReportsCheck"));
  exclude_->setAccessibleName(QStringLiteral("Exclude from the password health report"));
  grid->addWidget(exclude_, grid->rowCount(), 1);

  QWidget* previous = nullptr;
  for (QWidget* control : Controls()) {
    if (previous != nullptr) setTabOrder(previous, control);
    previous = control;
  }

  connect(addField_, &QPushButton::clicked, this, [this] {
    fields_->AddRow();
    fields_->setFocus();
    fields_->editItem(fields_->currentItem());
    UpdateButtons();
  });
  connect(removeField_, &QPushButton::clicked, this, [this] {
    fields_->RemoveCurrentRow();
    UpdateButtons();
  });
  connect(fields_, &QTableWidget::currentCellChanged, this, &EntryDetailsPanel::UpdateButtons);
  connect(show_, &QCheckBox::toggled, this, &EntryDetailsPanel::ShowRevealed);
  connect(restore_, &QPushButton::clicked, this, &EntryDetailsPanel::RestoreSelected);
  UpdateButtons();
}

EntryDetailsPanel::~EntryDetailsPanel() {
  WipeText(notesAsShown_);
  notes_->clear();
  oneTimeCode_->clear();
  history_->clear();
}

std::vector<QWidget*> EntryDetailsPanel::Controls() const {
  return {url_, notes_, oneTimeCode_, tags_, fields_, addField_, removeField_, show_, history_, restore_, exclude_};
}

void EntryDetailsPanel::Load(const Entry& entry) {
  loaded_ = Entry();
  loaded_.url = entry.url;
  loaded_.notes = entry.notes;
  loaded_.totp = entry.totp;
  loaded_.tags = entry.tags;
  loaded_.history = entry.history;
  url_->setText(TextFromBytes(entry.url.view()));
  QString text = TextFromBytes(entry.notes.view());
  notes_->setPlainText(text);
  WipeText(text);
  WipeText(notesAsShown_);
  notesAsShown_ = notes_->toPlainText();
  text = TextFromBytes(entry.totp.view());
  oneTimeCode_->setText(text);
  WipeText(text);
  tags_->setText(TagsText(entry.tags));
  std::vector<CustomField> shown = entry.fields;
  const auto exclusion = std::find_if(shown.begin(), shown.end(), [](const CustomField& field) {
    return field.name == std::string_view(kExcludeFromReportsField);
  });
  loadedExclusionAt_ = -1;
  if (IsExcludedFromReports(entry)) {
    loadedExclusionAt_ = static_cast<int>(exclusion - shown.begin());
    shown.erase(exclusion);
  }
  exclude_->setChecked(loadedExclusionAt_ >= 0);
  fields_->Load(shown);
  ShowHistory();
  UpdateButtons();
}

const char* EntryDetailsPanel::Store(Entry& entry) const {
  if (legacy_) return nullptr;
  Entry read;
  read.url = KeptOrEditedBytes(url_->text(), loaded_.url);
  // The editor gives the loaded notes back in its own form (CR LF as LF, a
  // no-break space as a space), so they are compared as it gave them back.
  QString notes = notes_->toPlainText();
  read.notes = notes == notesAsShown_ ? loaded_.notes : KeptOrEditedBytes(notes, loaded_.notes);
  WipeText(notes);
  if (const char* why = ReadOneTimeCode(read.totp)) return why;
  ReadTags(read.tags);
  if (const char* why = fields_->Read(read.fields)) return why;
  // The flag keeps its place among the fields while it stays set.
  if (exclude_->isChecked() && loadedExclusionAt_ >= 0 && read.FindField(kExcludeFromReportsField) == nullptr) {
    const size_t at = std::min(static_cast<size_t>(loadedExclusionAt_), read.fields.size());
    read.fields.insert(read.fields.begin() + static_cast<std::ptrdiff_t>(at),
                       {SecretText(kExcludeFromReportsField), SecretText(kExcludeFromReportsValue), false});
  }
  SetExcludedFromReports(read, exclude_->isChecked());
  if (const char* why = CheckEntryLimits(read)) return why;
  entry.url = std::move(read.url);
  entry.notes = std::move(read.notes);
  entry.totp = std::move(read.totp);
  entry.tags = std::move(read.tags);
  entry.fields = std::move(read.fields);
  return nullptr;
}

// The one place pasted input becomes a canonical otpauth:// URI.
const char* EntryDetailsPanel::ReadOneTimeCode(SecretText& uri) const {
  const SecretText input = KeptOrEditedBytes(oneTimeCode_->text(), loaded_.totp);
  // A code left as loaded is kept as it was, canonical or not.
  if (input == loaded_.totp) {
    uri = loaded_.totp;
    return nullptr;
  }
  return NormalizeOneTimeCodeInput(input.view(), uri);
}

// Tags as typed, split at commas; one that reads as a loaded tag keeps its
// bytes, and the text left as loaded keeps every tag as it was.
void EntryDetailsPanel::ReadTags(std::vector<SecretText>& tags) const {
  const QString text = tags_->text();
  if (text == TagsText(loaded_.tags)) {
    tags = loaded_.tags;
    return;
  }
  Entry sorted;
  for (const QString& part : text.split(QLatin1Char(','))) {
    const QString tag = part.trimmed();
    if (tag.isEmpty()) continue;
    const auto same = std::find_if(loaded_.tags.begin(), loaded_.tags.end(),
                                   [&](const SecretText& have) { return TextFromBytes(have.view()) == tag; });
    sorted.AddTag(same != loaded_.tags.end() ? same->view() : SecretFromText(tag).view());
  }
  tags = std::move(sorted.tags);
}

void EntryDetailsPanel::SetLegacy(bool legacy) {
  legacy_ = legacy;
  legacyNote_->setVisible(legacy);
  for (QWidget* control : Controls()) control->setEnabled(!legacy);
  UpdateButtons();
}

// Newest first, each password masked until "Show".
void EntryDetailsPanel::ShowHistory() {
  history_->clear();
  const bool revealed = show_->isChecked();
  for (size_t index = loaded_.history.size(); index-- > 0;) {
    const PasswordHistoryItem& earlier = loaded_.history[index];
    auto* item = new QTreeWidgetItem(history_);
    item->setText(0, revealed ? TextFromBytes(earlier.password.view()) : QString(kMaskLength, QChar(0x2022)));
    item->setText(1, QDateTime::fromSecsSinceEpoch(earlier.replacedAt).toString(QStringLiteral("yyyy-MM-dd HH:mm")));
    item->setData(0, kHistoryIndexRole, static_cast<int>(index));
  }
  if (history_->topLevelItemCount() > 0) history_->setCurrentItem(history_->topLevelItem(0));
}

void EntryDetailsPanel::ShowRevealed(bool revealed) {
  fields_->SetRevealed(revealed);
  oneTimeCode_->setEchoMode(revealed ? QLineEdit::Normal : QLineEdit::Password);
  const int current = history_->indexOfTopLevelItem(history_->currentItem());
  ShowHistory();
  if (current >= 0) history_->setCurrentItem(history_->topLevelItem(current));
}

void EntryDetailsPanel::RestoreSelected() {
  const QTreeWidgetItem* item = history_->currentItem();
  if (item == nullptr) return;
  const auto index = static_cast<size_t>(item->data(0, kHistoryIndexRole).toInt());
  QString password = TextFromBytes(loaded_.history[index].password.view());
  emit restorePassword(password);
  WipeText(password);
}

void EntryDetailsPanel::UpdateButtons() {
  removeField_->setEnabled(!legacy_ && fields_->CanRemoveCurrentRow());
  restore_->setEnabled(!legacy_ && history_->topLevelItemCount() > 0);
}

// Copies reach the clipboard only through the clipboard service: the views'
// own Ctrl+C would copy a shown value without it.
bool EntryDetailsPanel::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) return true;
  return QWidget::eventFilter(watched, event);
}
