// The decimal conversion shared by every number of the settings files.
#include "settings/profile.h"

static int IsWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
         c == '\r';
}

int32_t ConvertDecimal(const char* text) {
  const char* p = text;
  while (IsWhiteSpace(*p)) p++;
  int negative = 0;
  if (*p == '+' || *p == '-') {
    negative = (*p == '-');
    p++;
  }
  // The magnitude is gathered in 64 bits and stops growing once it is past
  // the 32-bit range, so a run of any length of digits cannot overflow.
  const int64_t limit = (int64_t)1 << 31;  // |INT32_MIN|
  int64_t magnitude = 0;
  while (*p >= '0' && *p <= '9') {
    if (magnitude <= limit) magnitude = magnitude * 10 + (*p - '0');
    p++;
  }
  if (negative) {
    if (magnitude >= limit) return INT32_MIN;
    return (int32_t)-magnitude;
  }
  if (magnitude > INT32_MAX) return INT32_MAX;
  return (int32_t)magnitude;
}
