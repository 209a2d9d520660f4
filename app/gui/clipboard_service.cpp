#include "app/gui/clipboard_service.h"

#include <QApplication>
#include <QClipboard>

namespace {

ClipboardService* instance = nullptr;
constexpr int kTickMs = 1000;
constexpr int kOutcomeShownMs = 5000;
constexpr char kSecretFieldProperty[] = "quillboxSecretField";

}  // namespace

ClipboardService::ClipboardService(int clearSeconds, QObject* parent) : QObject(parent), keeper_(clipboard_, clock_) {
  keeper_.SetClearSeconds(clearSeconds);
  ticker_.setInterval(kTickMs);
  connect(&ticker_, &QTimer::timeout, this, &ClipboardService::Tick);
  if (QClipboard* clipboard = QGuiApplication::clipboard()) {
    connect(clipboard, &QClipboard::selectionChanged, this, &ClipboardService::OnSelectionChanged);
  }
  instance = this;
}

void ClipboardService::MarkSecretField(QWidget* field) { field->setProperty(kSecretFieldProperty, true); }

void ClipboardService::OnSelectionChanged() {
  QClipboard* clipboard = QGuiApplication::clipboard();
  const QWidget* focus = QApplication::focusWidget();
  if (clipboard->ownsSelection() && focus != nullptr && focus->property(kSecretFieldProperty).toBool()) {
    clipboard->clear(QClipboard::Selection);
  }
}

ClipboardService::~ClipboardService() {
  keeper_.ClearNow();
  if (instance == this) instance = nullptr;
}

ClipboardService* ClipboardService::Instance() { return instance; }

bool ClipboardService::Copy(const char* text, CopiedField what, int validSeconds) {
  if (!keeper_.Copy(text, what, validSeconds)) return false;
  // The countdown starts afresh with each copy.
  ticker_.start();
  emit statusChanged(QString::fromStdString(keeper_.StatusText()), 0);
  return true;
}

void ClipboardService::ClearNow() { Report(keeper_.ClearNow()); }

void ClipboardService::Tick() { Report(keeper_.Tick()); }

void ClipboardService::Report(ClipboardKeeper::Outcome outcome) {
  switch (outcome) {
    case ClipboardKeeper::Outcome::kCountingDown:
      emit statusChanged(QString::fromStdString(keeper_.StatusText()), 0);
      return;
    case ClipboardKeeper::Outcome::kCleared:
      emit statusChanged(QString::fromLatin1(kClipboardClearedText), kOutcomeShownMs);
      break;
    case ClipboardKeeper::Outcome::kLeftAlone:
      emit statusChanged(QString::fromLatin1(kClipboardLeftAloneText), kOutcomeShownMs);
      break;
    case ClipboardKeeper::Outcome::kNone:
      break;
  }
  ticker_.stop();
}
