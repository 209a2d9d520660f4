#pragma once

class MainWindow;

// Passwords > "Copy &Web Address", "&Open Web Address" and "Copy &One-Time
// Code" on the entry the copy commands take (MainWindow::CopyEntry). Copies
// go through the clipboard service and its clearing rules.
void CopyWebAddress(MainWindow& window);
// Only http and https addresses go to the desktop's opener; anything else
// could start a program, so it is refused with a message.
void OpenWebAddress(MainWindow& window);
void CopyOneTimeCode(MainWindow& window);

inline constexpr char kOnlyWebLinksOpenMessage[] =
    "Only web addresses that begin with http:// or https:// can be opened.";
inline constexpr char kWebAddressNotOpenedMessage[] =
    "The web address could not be opened: the desktop has no program for it.";
