#include "app/gui/filter_field.h"

#include <QKeyEvent>

FilterField::FilterField(QWidget* parent) : QLineEdit(parent) {
  setPlaceholderText(QString::fromLatin1(kName));
  setAccessibleName(QString::fromLatin1(kName));
  setClearButtonEnabled(true);
  // Never more than a field holds.
  setMaxLength(259);
}

bool FilterField::event(QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool control = key->modifiers().testFlag(Qt::ControlModifier);
    switch (key->key()) {
      case Qt::Key_B:
      case Qt::Key_E:
      case Qt::Key_F:
      case Qt::Key_H:
      case Qt::Key_L:
        if (control) {
          event->ignore();
          return true;
        }
        break;
      default:
        break;
    }
  }
  return QLineEdit::event(event);
}

void FilterField::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:
      if (!text().isEmpty()) {
        clear();
        event->accept();
        return;
      }
      break;
    case Qt::Key_Down:
    case Qt::Key_Return:
    case Qt::Key_Enter:
      emit leaveForList();
      event->accept();
      return;
    default:
      break;
  }
  QLineEdit::keyPressEvent(event);
}
