#pragma once

#include <string>

#include "platform/message_box_view.h"

class Quillbox;

// The window's File > "&Import..." and "E&xport..." on the open safe, after
// the file dialog; every question and message goes through the message-box
// seam. An empty format name means: recognise it from the file.

// Shows what the file holds and what would be skipped, and on Yes adds the
// new entries and saves once. True when entries were added.
bool ImportIntoOpenSafe(Quillbox& app, MessageBoxView& view, OwnerWindow owner, const std::string& path,
                        const std::string& format_name);

// Warns that the file holds every password in plain text and, on Yes,
// writes it (0600); an existing file only when the user already chose to
// replace it.
bool ExportOpenSafe(Quillbox& app, MessageBoxView& view, OwnerWindow owner, const std::string& path,
                    const std::string& format_name, bool replace);

inline constexpr char kImportCaption[] = "Import";
inline constexpr char kExportCaption[] = "Export";
