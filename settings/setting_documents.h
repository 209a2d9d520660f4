#pragma once

#include <string>

#include "settings/setting_catalogue.h"

// The settings people may change, told from the catalogue: the help page
// and the manual page hold these texts, and tests hold them to it.

// The range and default of a setting, as "15 (0 to 2000000)".
std::string SettingDefaultAndRange(const SettingSpec& spec);
// An HTML table of the groups the settings dialog shows.
std::string SettingsHelpTable();
// The manual page's SETTINGS section.
std::string SettingsManualSection();
