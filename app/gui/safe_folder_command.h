#pragma once

class Quillbox;
class QWidget;

// File > "Safe &Folder...": a folder dialog that starts in the folder in use
// and, when a folder is picked, stores it as "Safe_Folder". Only while no
// safe is open; the menu item is greyed otherwise.
void ChooseSafeFolderWithDialog(Quillbox& app, QWidget* owner);
