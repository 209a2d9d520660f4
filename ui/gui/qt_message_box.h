#pragma once

#include <functional>
#include <string>

class QWidget;

// The Qt side of the message-box seam (ui/message_box_view.h): a QMessageBox
// with the text, caption, icon and buttons of a Windows-style request.
int ShowQtMessageBox(QWidget* owner, const char* text, const char* caption, unsigned style);

// Tests answer message boxes here instead of a person: the answerer gets the
// request as it was made and returns a kId* answer. An empty function
// restores the real QMessageBox.
using MessageBoxAnswerer =
    std::function<int(QWidget* owner, const std::string& text, const std::string& caption, unsigned style)>;
void SetMessageBoxAnswerer(MessageBoxAnswerer answerer);
