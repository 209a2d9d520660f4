#pragma once

class MainWindow;

// File > "&Import..." and "E&xport...": a file dialog whose filters name the
// formats, then the import or export of the open safe.
void RunImportCommand(MainWindow& window);
void RunExportCommand(MainWindow& window);
