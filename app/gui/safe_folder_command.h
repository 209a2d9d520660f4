#pragma once

class Quillbox;
class QWidget;

// File > "Safe &Folder...": a folder dialog that starts in the folder in use
// and stores the folder picked as "Safe_Folder", or clears it with its
// "Default" button. The last user's safe (and its conflict copies) can then
// move along, after a Yes. Only while no safe is open; the menu item is
// greyed otherwise.
void ChooseSafeFolderWithDialog(Quillbox& app, QWidget* owner);
