#pragma once

// The checks a new password passes in every place one is set (the create-
// user and "Set New Password" dialogs, quillbox-cli): not empty, the same as
// its confirmation, and short enough for the safe, which counts bytes.
// Null when it passes, else the message to show.
const char* CheckNewPassword(const char* password, const char* confirmation);
