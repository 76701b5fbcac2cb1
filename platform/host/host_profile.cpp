// The profile reader of the simulated Windows (GetPrivateProfileStringA).
//
// The rules of this reader:
// - The file path is a Windows path, translated through the drive mapping
//   and found without regard to letter case, as every file of this
//   simulated system is. The host file is read as bytes (Shift-JIS); no
//   encoding is converted. A path that names no mapped drive, or a file
//   that cannot be read, reads as a file without keys.
// - Lines end with LF or CR LF. Blanks (space, tab) at the start of a line
//   are skipped; a line whose first other character is ';' is a comment.
// - "[name]" opens a section; the name runs to the first single-byte ']',
//   with blanks around it trimmed. A line "key=value" inside a section sets
//   a key; the key is the text before the first '=', the value the text
//   after it, both with blanks around them trimmed. Other lines are ignored.
// - Section and key names are matched without regard to case. Only the
//   first section of a name is searched, and within it the first line of
//   the key wins.
// - One pair of double quotes enclosing the whole value is removed.
// - The value (or, for a key not found, the fallback) is copied cut to
//   size - 1 characters and always ended by a NUL; the count of characters
//   copied is returned. A size of 0 copies nothing and returns 0.
#include <stdio.h>
#include <string.h>

#include <string>

#include "platform/host/host_control.h"
#include "platform/host/host_internal.h"
#include "platform/platform.h"

static int IsProfileBlank(char c) { return c == ' ' || c == '\t'; }

static std::string Trim(const std::string& text) {
  size_t first = 0, last = text.size();
  while (first < last && IsProfileBlank(text[first])) first++;
  while (last > first && IsProfileBlank(text[last - 1])) last--;
  return text.substr(first, last - first);
}

static int ReadHostFile(const char* windowsPath, std::string* bytes) {
  std::string hostPath;
  if (windowsPath == 0 || !HostResolvePath(windowsPath, &hostPath)) return 0;
  FILE* file = fopen(hostPath.c_str(), "rb");
  if (file == 0) return 0;
  char chunk[4096];
  size_t got;
  while ((got = fread(chunk, 1, sizeof chunk, file)) > 0) bytes->append(chunk, got);
  fclose(file);
  return 1;
}

// The value of the key in the first section of that name; 0 when absent.
static int FindProfileValue(const std::string& bytes, const char* section,
                            const char* key, std::string* value) {
  int inSection = 0;  // inside the first section of the name
  size_t lineStart = 0;
  while (lineStart < bytes.size()) {
    size_t lineEnd = bytes.find('\n', lineStart);
    if (lineEnd == std::string::npos) lineEnd = bytes.size();
    std::string line = bytes.substr(lineStart, lineEnd - lineStart);
    lineStart = lineEnd + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();

    size_t p = 0;
    while (p < line.size() && IsProfileBlank(line[p])) p++;
    if (p == line.size() || line[p] == ';') continue;

    if (line[p] == '[') {
      // The closing bracket is looked for by characters, so the second
      // byte of a double-byte character (which may be 0x5D) never ends the
      // name.
      size_t q = p + 1;
      while (q < line.size() && line[q] != ']') {
        if (SysIsLeadByte((unsigned char)line[q]) && q + 1 < line.size()) q++;
        q++;
      }
      if (q >= line.size()) continue;  // no closing bracket: not a header
      if (inSection) return 0;         // the first section has ended
      std::string name = Trim(line.substr(p + 1, q - p - 1));
      if (SysCompareNoCase(name.c_str(), section) == 0) inSection = 1;
      continue;
    }
    if (!inSection) continue;

    size_t equals = line.find('=', p);
    if (equals == std::string::npos) continue;
    std::string name = Trim(line.substr(p, equals - p));
    if (SysCompareNoCase(name.c_str(), key) != 0) continue;
    std::string text = Trim(line.substr(equals + 1));
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
      text = text.substr(1, text.size() - 2);
    *value = text;
    return 1;
  }
  return 0;
}

uint32_t SysGetProfileString(const char* section, const char* key,
                             const char* fallback, char* buffer, uint32_t size,
                             const char* file) {
  if (buffer == 0 || size == 0) return 0;
  std::string bytes;
  std::string value;
  int found = 0;
  if (section != 0 && key != 0 && ReadHostFile(file, &bytes))
    found = FindProfileValue(bytes, section, key, &value);
  if (!found) value = fallback ? fallback : "";
  size_t count = value.size();
  if (count > size - 1) count = size - 1;
  memcpy(buffer, value.data(), count);
  buffer[count] = 0;
  return (uint32_t)count;
}
