// Member time stamps: FILETIME values (100 ns units since 1601-01-01 UTC)
// against the host's file times.
#ifndef PATCHMAKER_FILE_TIME_H
#define PATCHMAKER_FILE_TIME_H

#include <stdint.h>
#include <time.h>

// false for a time before 1601 (no FILETIME can hold it).
bool FileTimeFromTimespec(const struct timespec& time, uint64_t* fileTime);
struct timespec TimespecFromFileTime(uint64_t fileTime);
// "2024-05-01T12:34:56Z"; the fraction of the second is left out.
void FormatFileTime(uint64_t fileTime, char* out, size_t size);

#endif
