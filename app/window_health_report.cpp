#include "app/window_health_report.h"

#include <sys/stat.h>

#include "health/breach_list.h"

HealthReport WindowHealthReport::Make(std::span<const Entry> entries, int64_t now, const std::string& breachFile,
                                      std::string* message) {
  message->clear();
  BreachList breaches;
  if (!breachFile.empty()) {
    std::string error = breaches.Open(breachFile);
    struct stat info;
    bool missing = !error.empty() && stat(breachFile.c_str(), &info) != 0;
    if (missing && missingTold_ == breachFile) error.clear();
    if (missing) missingTold_ = breachFile;
    *message = error;
  }
  HealthReport report = MakeHealthReport(entries, now, &breaches);
  if (message->empty()) *message = report.breachError;
  return report;
}
