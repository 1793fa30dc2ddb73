#include "wine/ini_script/script_syntax.h"

#include <algorithm>

#include "base/text.h"

namespace ini_script {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads `count` hex digits at `pos`; -1 when they are not there.
long ReadHex(std::string_view line, size_t pos, int count) {
  if (pos + count > line.size()) return -1;
  long value = 0;
  for (int i = 0; i < count; ++i) {
    const int d = HexDigit(line[pos + i]);
    if (d < 0) return -1;
    value = value * 16 + d;
  }
  return value;
}

}  // namespace

std::optional<std::vector<Word>> SplitWords(std::string_view line, std::string* error) {
  std::vector<Word> words;
  size_t i = 0;
  while (true) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i >= line.size()) return words;
    Word word;
    if (line[i] != '"') {
      const size_t end = std::min(line.find_first_of(" \t", i), line.size());
      word.text = std::string(line.substr(i, end - i));
      i = end;
      words.push_back(std::move(word));
      continue;
    }
    word.quoted = true;
    ++i;
    for (;;) {
      if (i >= line.size()) {
        *error = "quote left open";
        return std::nullopt;
      }
      const char c = line[i++];
      if (c == '"') break;
      if (c != '\\') {
        word.text.push_back(c);
        continue;
      }
      const char e = i < line.size() ? line[i++] : '\0';
      switch (e) {
        case '\\':
          word.text.push_back('\\');
          break;
        case '"':
          word.text.push_back('"');
          break;
        case 'r':
          word.text.push_back('\r');
          break;
        case 'n':
          word.text.push_back('\n');
          break;
        case 't':
          word.text.push_back('\t');
          break;
        case '0':
          word.text.push_back('\0');
          break;
        case 'x': {
          const long v = ReadHex(line, i, 2);
          if (v < 0) {
            *error = "bad \\x escape";
            return std::nullopt;
          }
          word.raw_bytes.push_back(word.text.size());
          word.text.push_back(static_cast<char>(v));
          i += 2;
          break;
        }
        case 'u': {
          const long v = ReadHex(line, i, 4);
          if (v < 0) {
            *error = "bad \\u escape";
            return std::nullopt;
          }
          word.text += qrx::Utf16ToUtf8(std::u16string(1, static_cast<char16_t>(v)));
          i += 4;
          break;
        }
        default:
          *error = std::string("unknown escape \\") + e;
          return std::nullopt;
      }
    }
    words.push_back(std::move(word));
  }
}

std::u16string WordText(const Word& word) {
  std::u16string out;
  size_t start = 0;
  for (const size_t raw : word.raw_bytes) {
    out += qrx::Utf8ToUtf16(std::string_view(word.text).substr(start, raw - start));
    out.push_back(static_cast<unsigned char>(word.text[raw]));
    start = raw + 1;
  }
  out += qrx::Utf8ToUtf16(std::string_view(word.text).substr(start));
  return out;
}

std::string Quote(std::u16string_view text) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out = "\"";
  for (const char c : qrx::Utf16ToUtf8(text)) {
    const unsigned char b = static_cast<unsigned char>(c);
    if (c == '\\' || c == '"') {
      out += '\\';
      out += c;
    } else if (b < 0x20 || b == 0x7F) {
      out += "\\x";
      out += kDigits[b >> 4];
      out += kDigits[b & 15];
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string Hex(std::string_view bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : bytes) {
    const unsigned char b = static_cast<unsigned char>(c);
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out;
}

}  // namespace ini_script
