#include "app/gui/window_commands.h"

#include "app/command_ids.h"
#include "app/quillbox.h"
#include "desktop/winstall.h"

void ToggleResideOnTaskbar(Quillbox& app, QuillboxView& view) {
  app.SetResideOnTaskbar(!app.GetResideOnTaskbar());
  view.SetMenuItemChecked(kCmdResideOnTaskbar, app.GetResideOnTaskbar());
}

void ToggleRunAtStartup(Quillbox& app, QuillboxView& view) {
  app.SetRunAtStartup(!app.GetRunAtStartup());
  view.SetMenuItemChecked(kCmdRunAtStartup, app.GetRunAtStartup());
  ApplyRunAtStartup(app.GetRunAtStartup());
}
