#pragma once

class Quillbox;
class QuillboxView;

// "Reside on Taskbar": flips the flag and its tick. It applies at the next
// minimise and is stored at exit.
void ToggleResideOnTaskbar(Quillbox& app, QuillboxView& view);

// "Run at Startup": flips the flag and its tick, then creates or deletes the
// autostart entry. The tick follows the click whatever the file operation did.
void ToggleRunAtStartup(Quillbox& app, QuillboxView& view);
