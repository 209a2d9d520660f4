#include "ui/gui/qt_message_box.h"

#include <QMessageBox>
#include <QPushButton>

#include "ui/gui/qt_text.h"
#include "ui/message_box_view.h"

namespace {

MessageBoxAnswerer& Answerer() {
  static MessageBoxAnswerer answerer;
  return answerer;
}

QMessageBox::Icon IconFor(unsigned style) {
  switch (style & kMbIconMask) {
    case kMbIconError:
      return QMessageBox::Critical;
    case kMbIconQuestion:
      return QMessageBox::Question;
    case kMbIconWarning:
      return QMessageBox::Warning;
    case kMbIconInformation:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

QMessageBox::StandardButtons ButtonsFor(unsigned style) {
  switch (style & kMbButtonMask) {
    case kMbOkCancel:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case kMbYesNo:
      return QMessageBox::Yes | QMessageBox::No;
    case kMbRetryDiscardCancel:
      return QMessageBox::Retry | QMessageBox::Discard | QMessageBox::Cancel;
    default:
      return QMessageBox::Ok;
  }
}

int AnswerFor(int button, unsigned style) {
  switch (button) {
    case QMessageBox::Ok:
      return kIdOk;
    case QMessageBox::Yes:
      return kIdYes;
    case QMessageBox::No:
      return kIdNo;
    case QMessageBox::Cancel:
      return kIdCancel;
    case QMessageBox::Retry:
      return kIdRetry;
    case QMessageBox::Discard:
      return kIdDiscard;
    default:
      return (style & kMbButtonMask) == kMbYesNo ? kIdNo : kIdCancel;
  }
}

// Windows line ends would show as stray characters in a Qt label.
QString DisplayText(const char* text) {
  return TextFromBytes(text ? text : "").replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

}  // namespace

int ShowQtMessageBox(QWidget* owner, const char* text, const char* caption, unsigned style) {
  if (Answerer()) {
    return Answerer()(owner, text ? text : "", caption ? caption : "", style);
  }
  QMessageBox box(IconFor(style), DisplayText(caption), DisplayText(text), ButtonsFor(style), owner);
  // As on Windows, the first button is the default one (Enter answers OK,
  // Yes or Retry) unless the style names the second.
  const unsigned buttons = style & kMbButtonMask;
  if (buttons == kMbRetryDiscardCancel) {
    // The same words on every desktop (some themes call Discard "Close without Saving").
    box.button(QMessageBox::Retry)->setText(QStringLiteral("&Retry"));
    box.button(QMessageBox::Discard)->setText(QStringLiteral("&Discard"));
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("&Cancel"));
    box.setDefaultButton(QMessageBox::Retry);
  } else if (style & kMbDefButton2) {
    box.setDefaultButton(buttons == kMbYesNo ? QMessageBox::No : QMessageBox::Cancel);
  } else {
    box.setDefaultButton(buttons == kMbYesNo ? QMessageBox::Yes : QMessageBox::Ok);
  }
  return AnswerFor(box.exec(), style);
}

void SetMessageBoxAnswerer(MessageBoxAnswerer answerer) { Answerer() = std::move(answerer); }
