#pragma once

class Quillbox;

// Start-up of the desktop application, in the designed order.

// Reads the start settings ("Last_Username", "Last_Sort",
// "Store_On_Taskbar_Only") and whether Quillbox runs at startup. Needs the
// QApplication to exist.
void InitApplication(Quillbox& app);

// Runs Quillbox as the single instance: main window, restored placement and
// column widths, the log-in prompt, the event loop; then saves placement
// and column widths. A later instance only brings the first one forward.
// Returns the process exit code.
int RunApplication(Quillbox& app);
