#pragma once

class QWidget;

// The "Automatic Updates" dialog: three choices, 0 "check just once, right
// now", 1 "notify me automatically", 2 "do not check". It opens with choice's
// button set; only OK writes the new choice back and returns true.
bool RunOptionDialog(QWidget* owner, int& choice);
