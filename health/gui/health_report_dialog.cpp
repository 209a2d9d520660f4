#include "health/gui/health_report_dialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <string>
#include <vector>

#include "app/clock.h"
#include "app/quillbox.h"
#include "app/quillbox_messages.h"
#include "app/window_health_report.h"
#include "ui/gui/qt_message_box.h"
#include "ui/gui/qt_text.h"

namespace {

constexpr char kCaption[] = "Password Health";
constexpr char kCheckText[] = "Check Against a Breach List...";
constexpr char kBreachListCaption[] = "Check Against a Breach List";
constexpr char kBreachListFilter[] = "Have I Been Pwned SHA-1 list (*.txt);;Any file (*)";
constexpr char kNotCheckedNote[] =
    "Not checked against a breach list: \"Check Against a Breach List...\" takes a Have I Been Pwned SHA-1 file.";
constexpr char kCloseText[] = "Close";
const char* const kHeaders[] = {"Title", "User Name", "Strength", "Reused", "Age (Days)", "Breached"};
enum Column { kTitle, kUserName, kStrength, kReused, kAge, kBreached, kRank, kColumnCount };
// A row names its entry by id: the list may change while the report is open.
constexpr int kEntryIdRole = Qt::UserRole;
constexpr int kSortKeyRole = Qt::UserRole + 1;

// A cell that sorts by its key when it has one, else by its text.
class ReportItem : public QTableWidgetItem {
 public:
  ReportItem(const QString& text, double key) : QTableWidgetItem(text) { setData(kSortKeyRole, key); }
  explicit ReportItem(const QString& text) : QTableWidgetItem(text) {}

  bool operator<(const QTableWidgetItem& other) const override {
    const QVariant mine = data(kSortKeyRole);
    const QVariant theirs = other.data(kSortKeyRole);
    if (mine.isValid() && theirs.isValid()) return mine.toDouble() < theirs.toDouble();
    return text().localeAwareCompare(other.text()) < 0;
  }
};

// Unknown numbers (-1) show empty and sort first.
QString NumberText(int64_t value) { return value >= 0 ? QString::number(value) : QString(); }

}  // namespace

std::string RememberedBreachList(Quillbox& app) {
  std::vector<char> path(kBreachListFileSetting.capacity + 1, '\0');
  app.ReadSetting(kBreachListFileSetting, path.data());
  return path.data();
}

bool ChooseBreachList(Quillbox& app, QWidget* owner) {
  const QString remembered = QString::fromStdString(RememberedBreachList(app));
  const QString path = QFileDialog::getOpenFileName(owner, QString::fromLatin1(kBreachListCaption), remembered,
                                                    QString::fromLatin1(kBreachListFilter));
  if (path.isEmpty()) return false;
  app.SetSettingString(kBreachListFileSetting.name, path.toLocal8Bit().constData());
  return true;
}

HealthReportDialog::HealthReportDialog(Quillbox& app, WindowHealthReport& reports, EntryDialogRunner runEntryDialog,
                                       QWidget* parent)
    : QDialog(parent), app_(app), reports_(reports), runEntryDialog_(runEntryDialog) {
  setWindowTitle(QString::fromLatin1(kCaption));
  resize(760, 420);
  auto* layout = new QVBoxLayout(this);
  summary_ = new QLabel;
  summary_->setObjectName(QStringLiteral("healthSummary"));
  layout->addWidget(summary_);
  table_ = new QTableWidget(0, kColumnCount);
  table_->setObjectName(QStringLiteral("healthTable"));
  table_->setAccessibleName(QStringLiteral("Password health"));
  for (int column = 0; column < kRank; ++column) {
    table_->setHorizontalHeaderItem(column, new QTableWidgetItem(QString::fromLatin1(kHeaders[column])));
  }
  table_->setColumnHidden(kRank, true);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  table_->horizontalHeader()->setSectionResizeMode(kTitle, QHeaderView::Stretch);
  layout->addWidget(table_);
  breachState_ = new QLabel;
  breachState_->setObjectName(QStringLiteral("breachListState"));
  breachState_->setWordWrap(true);
  layout->addWidget(breachState_);
  auto* buttons = new QHBoxLayout;
  auto* check = new QPushButton(QString::fromLatin1(kCheckText));
  check->setObjectName(QStringLiteral("checkBreachListButton"));
  check->setAutoDefault(false);
  auto* close = new QPushButton(QString::fromLatin1(kCloseText));
  close->setDefault(true);
  buttons->addWidget(check);
  buttons->addStretch();
  buttons->addWidget(close);
  layout->addLayout(buttons);
  connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { OpenEntryOfRow(row); });
  connect(check, &QPushButton::clicked, this, &HealthReportDialog::CheckAgainstBreachList);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  Refresh();
}

void HealthReportDialog::Refresh() {
  const std::string breachFile = RememberedBreachList(app_);
  std::string message;
  const std::vector<Entry>& entries = app_.GetEntries();
  const HealthReport report = reports_.Make(entries, UtcSeconds(), breachFile, &message);
  table_->setSortingEnabled(false);
  table_->setRowCount(static_cast<int>(report.rows.size()));
  int attention = 0;
  for (int row = 0; row < table_->rowCount(); ++row) {
    const EntryHealth& health = report.rows[static_cast<size_t>(row)];
    const Entry& entry = entries[health.entryIndex];
    auto* title = new ReportItem(TextFromBytes(entry.title.view()));
    title->setData(kEntryIdRole, QByteArray(reinterpret_cast<const char*>(entry.id.bytes.data()), kEntryIdSize));
    table_->setItem(row, kTitle, title);
    table_->setItem(row, kUserName, new ReportItem(TextFromBytes(entry.userName.view())));
    table_->setItem(row, kStrength,
                    new ReportItem(QString::fromStdString(StrengthText(health.strength)), health.strength.bits));
    table_->setItem(row, kReused, new ReportItem(QString::number(health.reused), health.reused));
    table_->setItem(row, kAge, new ReportItem(NumberText(health.ageDays), static_cast<double>(health.ageDays)));
    table_->setItem(row, kBreached, new ReportItem(NumberText(health.breached), static_cast<double>(health.breached)));
    table_->setItem(row, kRank, new ReportItem(QString(), row));
    if (NeedsAttention(health)) ++attention;
  }
  table_->setSortingEnabled(true);
  table_->sortByColumn(kRank, Qt::AscendingOrder);
  summary_->setText(QStringLiteral("%1 passwords checked; %2 need attention (breached, reused, below good or a "
                                   "year old).")
                        .arg(table_->rowCount())
                        .arg(attention));
  if (!message.empty()) {
    breachState_->setText(QString::fromLocal8Bit(message.c_str()));
    ShowQtMessageBox(this, message.c_str(), kCaption, kMbOk | kMbIconWarning);
  } else if (!breachFile.empty() && !report.rows.empty() && report.rows.front().breached >= 0) {
    breachState_->setText(QStringLiteral("Checked against %1.").arg(QString::fromLocal8Bit(breachFile.c_str())));
  } else {
    breachState_->setText(QString::fromLatin1(kNotCheckedNote));
  }
}

void HealthReportDialog::OpenEntryOfRow(int row) {
  const QTableWidgetItem* title = table_->item(row, kTitle);
  if (title == nullptr) return;
  const QByteArray bytes = title->data(kEntryIdRole).toByteArray();
  if (bytes.size() != static_cast<qsizetype>(kEntryIdSize)) return;
  EntryId id;
  std::copy(bytes.begin(), bytes.end(), id.bytes.begin());
  if (runEntryDialog_(app_, this, &id)) Refresh();
}

void HealthReportDialog::CheckAgainstBreachList() {
  if (ChooseBreachList(app_, this)) Refresh();
}
