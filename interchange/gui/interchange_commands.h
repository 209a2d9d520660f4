#pragma once

#include <QString>

class Quillbox;
class QuillboxView;
class QWidget;

// Where the file dialogs start: the user's documents folder, else home; never
// the safe folder, which may be a synced one, for a plaintext file.
QString InterchangeStartFolder();

// File > "&Import..." and "Ex&port...": a file dialog whose filters name the
// formats, then the import or export of the open safe; the status bar tells
// what was done.
void RunImportCommand(Quillbox& app, QuillboxView& view, QWidget* window);
void RunExportCommand(Quillbox& app, QuillboxView& view, QWidget* window);
