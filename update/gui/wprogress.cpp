#include "update/gui/wprogress.h"

#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWindow>

namespace {

constexpr uint32_t kRedrawInterval = 175;
constexpr char kTitle[] = "Downloading Software Update....";
constexpr char kComponentText[] = "Component Completed:";
constexpr char kStartText[] = "0.00%";
constexpr char kCancelText[] = "Cancel";
constexpr char kWidestText[] = "100.00%";
// Wide enough for the window manager to show the whole title.
constexpr int kMinimumWidth = 420;

// Above the owner's window and centred on it, without being its child: a
// child of a disabled window would be disabled with it.
void PlaceOver(QDialog& dialog, QWidget* owner) {
  if (owner == nullptr) return;
  QWidget* window = owner->window();
  dialog.winId();
  if (window->windowHandle() != nullptr) {
    dialog.windowHandle()->setTransientParent(window->windowHandle());
  }
  dialog.adjustSize();
  QRect frame(QPoint(), dialog.size());
  frame.moveCenter(window->frameGeometry().center());
  dialog.move(frame.topLeft());
}

}  // namespace

WProgress::WProgress(TickSource ticks) : ticks_(std::move(ticks)) {}

WProgress::~WProgress() { Close(); }

bool WProgress::Create(OwnerWindow owner, uint32_t range) {
  Close();
  owner_ = static_cast<QWidget*>(owner);
  cancelled_ = false;
  position_ = 0;
  range_ = range;
  lastRedraw_ = 0;
  if (owner_) owner_->setEnabled(false);

  auto* dialog =
      new QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                               Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  dialog->setWindowTitle(QString::fromLatin1(kTitle));
  auto* caption = new QLabel(QString::fromLatin1(kComponentText), dialog);
  text_ = new QLabel(QString::fromLatin1(kStartText), dialog);
  text_->setObjectName("percentText");
  text_->setMinimumWidth(text_->fontMetrics().horizontalAdvance(QString::fromLatin1(kWidestText)));
  bar_ = new QProgressBar(dialog);
  bar_->setObjectName("progressBar");
  bar_->setRange(0, 100);
  bar_->setValue(0);
  bar_->setTextVisible(false);
  auto* cancel = new QPushButton(QString::fromLatin1(kCancelText), dialog);
  cancel->setObjectName("cancelButton");
  // Enter must not cancel a download, even with the focus on Cancel: only a
  // click, Space on the button, Escape and the close box do.
  cancel->setAutoDefault(false);

  auto* textRow = new QHBoxLayout;
  textRow->addWidget(caption);
  textRow->addWidget(text_);
  textRow->addStretch();
  auto* buttonRow = new QHBoxLayout;
  buttonRow->addStretch();
  buttonRow->addWidget(cancel);
  auto* layout = new QVBoxLayout(dialog);
  layout->addLayout(textRow);
  layout->addWidget(bar_);
  layout->addLayout(buttonRow);

  // Cancel, Escape and the close box all reject the dialog.
  QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
  QObject::connect(dialog, &QDialog::rejected, dialog, [this] { OnCancel(); });

  dialog->setMinimumWidth(kMinimumWidth);
  dialog_ = dialog;
  PlaceOver(*dialog, owner_);
  dialog->show();
  return PumpMessages();
}

bool WProgress::SetProgress(uint32_t position, uint32_t range) {
  const uint32_t now = ticks_();
  // Unsigned difference: the tick counter's wrap-around is harmless.
  if (position != range && now - lastRedraw_ < kRedrawInterval) {
    position_ = position;
    range_ = range;
    return cancelled_;
  }
  lastRedraw_ = now;
  if (position != position_ || range != range_) {
    position_ = position;
    range_ = range;
    Redraw();
  }
  return PumpMessages();
}

void WProgress::Redraw() {
  if (range_ == 0) range_ = 1;
  const auto percent = static_cast<float>(static_cast<double>(position_) / range_ * 100.0);
  if (dialog_ && text_ != nullptr) text_->setText(QString::asprintf("%6.2f%%", percent));
  if (dialog_ && bar_ != nullptr) bar_->setValue(static_cast<int>(percent));
}

bool WProgress::PumpMessages() {
  QApplication::processEvents();
  return cancelled_;
}

void WProgress::Close() {
  cancelled_ = true;
  if (!dialog_) return;
  if (owner_) owner_->setEnabled(true);
  // Close may run inside the dialog's own signal: delete it once that returns.
  dialog_->hide();
  dialog_->deleteLater();
  dialog_ = nullptr;
  text_ = nullptr;
  bar_ = nullptr;
}

void WProgress::OnCancel() {
  cancelled_ = true;
  Close();
}
