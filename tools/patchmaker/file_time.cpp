// Conversions between FILETIME and the host's seconds since 1970.
#include "file_time.h"

#include <stdio.h>

// Seconds from 1601-01-01 to 1970-01-01, and FILETIME units per second.
static const int64_t kEpochDifference = 11644473600LL;
static const uint64_t kUnitsPerSecond = 10000000u;

bool FileTimeFromTimespec(const struct timespec& time, uint64_t* fileTime) {
  int64_t seconds = (int64_t)time.tv_sec + kEpochDifference;
  if (seconds < 0) return false;
  *fileTime = (uint64_t)seconds * kUnitsPerSecond + (uint64_t)time.tv_nsec / 100;
  return true;
}

struct timespec TimespecFromFileTime(uint64_t fileTime) {
  struct timespec time;
  time.tv_sec = (time_t)((int64_t)(fileTime / kUnitsPerSecond) - kEpochDifference);
  time.tv_nsec = (long)(fileTime % kUnitsPerSecond) * 100;
  return time;
}

void FormatFileTime(uint64_t fileTime, char* out, size_t size) {
  struct timespec time = TimespecFromFileTime(fileTime);
  struct tm parts;
  if (gmtime_r(&time.tv_sec, &parts) == 0) {
    snprintf(out, size, "(time out of range)");
    return;
  }
  snprintf(out, size, "%04lld-%02d-%02dT%02d:%02d:%02dZ",
           (long long)parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
           parts.tm_hour, parts.tm_min, parts.tm_sec);
}
