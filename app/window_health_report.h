#pragma once

#include <span>
#include <string>

#include "health/health_report.h"

// The report the window shows, checked against the breach list the
// "Breach_List_File" setting names. A missing list is told once a run, not
// at every report; any other fault of the list is told each time.
class WindowHealthReport {
 public:
  // message receives what to tell the user about the breach list, or empty.
  HealthReport Make(std::span<const Entry> entries, int64_t now, const std::string& breachFile, std::string* message);

 private:
  std::string missingTold_;  // the missing list already told
};
