#include "auto_type/gui/auto_type_chooser.h"

#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

#include "app/entry_filter.h"
#include "safe/entry.h"
#include "ui/gui/qt_text.h"

AutoTypeChooser::AutoTypeChooser(const std::vector<Entry>& entries, std::vector<size_t> offered, QWidget* parent)
    : QDialog(parent), entries_(entries), offered_(std::move(offered)), filter_(new QLineEdit), list_(new QListWidget) {
  setWindowTitle(QString::fromLatin1(kTitle));
  if (offered_.empty()) {
    for (size_t i = 0; i < entries_.size(); ++i) offered_.push_back(i);
  }
  filter_->setAccessibleName(QStringLiteral("Filter"));
  filter_->setPlaceholderText(QStringLiteral("Filter"));
  list_->setAccessibleName(QStringLiteral("Entries"));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Type which entry into the window?")));
  layout->addWidget(filter_);
  layout->addWidget(list_);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(filter_, &QLineEdit::textChanged, this, &AutoTypeChooser::Fill);
  connect(list_, &QListWidget::itemActivated, this, &QDialog::accept);
  // Up and Down move through the list while the filter keeps the keyboard.
  filter_->installEventFilter(this);
  Fill(QString());
  filter_->setFocus();
}

const Entry* AutoTypeChooser::ChosenEntry() const {
  const QListWidgetItem* item = list_->currentItem();
  return item == nullptr ? nullptr : &entries_[static_cast<size_t>(item->data(Qt::UserRole).toInt())];
}

bool AutoTypeChooser::eventFilter(QObject* watched, QEvent* event) {
  if (watched == filter_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
      const int row = list_->currentRow() + (key == Qt::Key_Down ? 1 : -1);
      if (row >= 0 && row < list_->count()) list_->setCurrentRow(row);
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void AutoTypeChooser::Fill(const QString& filterText) {
  EntryFilter filter;
  const QByteArray utf8 = filterText.toUtf8();
  filter.SetText(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
  list_->clear();
  for (size_t index : offered_) {
    const Entry& entry = entries_[index];
    if (!filter.Matches(entry)) continue;
    QString text = TextFromBytes(entry.title.view());
    if (!entry.userName.empty()) text += QStringLiteral(" (") + TextFromBytes(entry.userName.view()) + QLatin1Char(')');
    auto* item = new QListWidgetItem(text, list_);
    item->setData(Qt::UserRole, static_cast<int>(index));
  }
  if (list_->count() > 0) list_->setCurrentRow(0);
}
