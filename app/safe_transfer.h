#pragma once

#include <string>

#include "app/quillbox_view.h"

class Quillbox;

// The window's File > "&Import..." and "E&xport..." on the open safe, after
// the file dialog; every question and message goes through the view. An
// empty format name means: recognise it from the file.

// Shows what the file holds and what would be skipped, and on Yes adds the
// new entries and saves once. A protected file's key is asked first, again
// after a wrong one, until it opens the file or the user cancels. True when
// entries were added.
bool ImportIntoOpenSafe(Quillbox& app, QuillboxView& view, OwnerWindow owner, const std::string& path,
                        const std::string& format_name);

// Warns that the file holds every password in plain text and, on Yes,
// writes it (0600); a protected format asks for the new key instead. An
// existing file is replaced only when the user already chose to replace it.
bool ExportOpenSafe(Quillbox& app, QuillboxView& view, OwnerWindow owner, const std::string& path,
                    const std::string& format_name, bool replace);

inline constexpr char kImportCaption[] = "Import";
inline constexpr char kExportCaption[] = "Export";
