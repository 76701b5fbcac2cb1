#include "tests/e2e/driver/driver_text.h"

#include <windows.h>

std::wstring WideFromUtf8(const std::string& text) {
  if (text.empty()) return std::wstring();
  int count = MultiByteToWideChar(CP_UTF8, 0, text.data(), (int)text.size(), nullptr, 0);
  std::wstring wide((size_t)count, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), (int)text.size(), &wide[0], count);
  return wide;
}

std::string Utf8FromWide(const std::wstring& text) {
  if (text.empty()) return std::string();
  int count = WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), nullptr, 0,
                                  nullptr, nullptr);
  std::string narrow((size_t)count, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), &narrow[0], count, nullptr,
                      nullptr);
  return narrow;
}

std::string EscapeText(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      default: out += c;
    }
  }
  return out;
}

std::string UnescapeText(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); i++) {
    char c = text[i];
    if (c == '\\' && i + 1 < text.size()) {
      char next = text[i + 1];
      if (next == '\\' || next == 'r' || next == 'n' || next == 't' || next == '"') {
        out += next == 'r' ? '\r' : next == 'n' ? '\n' : next == 't' ? '\t' : next;
        i++;
        continue;
      }
    }
    out += c;
  }
  return out;
}

bool TakeWord(std::string* line, std::string* word) {
  std::string& s = *line;
  size_t start = 0;
  while (start < s.size() && s[start] == ' ') start++;
  if (start == s.size()) {
    s.clear();
    return false;
  }
  size_t end;
  if (s[start] == '"') {
    std::string raw;
    end = start + 1;
    while (end < s.size() && s[end] != '"') {
      if (s[end] == '\\' && end + 1 < s.size()) raw += s[end++];
      raw += s[end++];
    }
    *word = UnescapeText(raw);
    if (end < s.size()) end++;  // the closing quote
  } else {
    end = s.find(' ', start);
    if (end == std::string::npos) end = s.size();
    *word = s.substr(start, end - start);
  }
  if (end < s.size() && s[end] == ' ') end++;
  s.erase(0, end);
  return true;
}

std::string RestText(const std::string& line) {
  if (line.size() >= 2 && line.front() == '"' && line.back() == '"')
    return UnescapeText(line.substr(1, line.size() - 2));
  return line;
}
