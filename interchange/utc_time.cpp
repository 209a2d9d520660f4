#include "interchange/utc_time.h"

#include <stdio.h>
#include <time.h>

#include "safe/entry.h"

int64_t ParseUtcTime(std::string_view text) {
  std::string copy(text.substr(0, 19));
  int year, month, day, hour, minute, second;
  if (copy.size() != 19 ||
      sscanf(copy.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d", &year, &month, &day, &hour, &minute, &second) != 6) {
    return 0;
  }
  struct tm parts = {};
  parts.tm_year = year - 1900;
  parts.tm_mon = month - 1;
  parts.tm_mday = day;
  parts.tm_hour = hour;
  parts.tm_min = minute;
  parts.tm_sec = second;
  // A year before 1 (a sign, or 0000) is taken as year 1, as KeePass's range.
  return ClampEntryTime(static_cast<int64_t>(timegm(&parts)));
}

std::string FormatUtcTime(int64_t seconds) {
  time_t time = static_cast<time_t>(seconds);
  struct tm parts;
  char text[32];
  if (gmtime_r(&time, &parts) == nullptr || strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts) == 0) return "";
  return text;
}
