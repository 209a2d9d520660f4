#pragma once

class QLabel;
class QLineEdit;

// Shows the strength of the password typed in password as it changes, in
// hint, with a warning below "good"; the dialog still takes any password.
// The user name typed in name counts against the password.
void ShowPasswordStrength(QLineEdit* password, QLineEdit* name, QLabel* hint);
