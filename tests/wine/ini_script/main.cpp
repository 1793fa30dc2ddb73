// Runs a script of INI operations through the profile calls of the operating system's
// platform and prints every result, so that the POSIX engine and the real Windows API (under
// Wine) can be compared line by line (compare_ini.py).
//
// usage: ini_script SCRIPT WORK
// SCRIPT is UTF-8 (see ini_operations.txt); WORK an existing, empty folder (an ASCII path in
// the platform's own form) where the files are made. Lines ("#" starts a comment):
//   file NAME                 the file the next lines work on (in WORK)
//   put TEXT                  the file's bytes: TEXT in the ANSI code page, \xHH raw
//   put16 TEXT                the file as UTF-16LE with its byte-order mark
//   get SECTION KEY DEFAULT
//   write SECTION KEY VALUE   VALUE "-" (bare) deletes the key
//   delete-section SECTION
//   keys SECTION
//   section SECTION           every key with "=" and the value its lookup gives
//   sections
//   known-difference REASON   the next operation is known to come out otherwise under Wine
// A quoted word may hold the escapes \\ \" \r \n \t \0, \xHH (a raw byte where bytes are
// meant, else U+00HH) and \uHHHH.
// Output, one line each (UTF-8): "<script line> <operation> <arguments> -> <result>", and
// after every write "<script line> file <HEX>", "... file empty" or "... file missing".
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/text.h"
#include "platform/os_platform.h"

namespace {

struct Word {
  std::string text;  // UTF-8, escapes resolved
  bool quoted = false;
  std::vector<size_t> raw_bytes;  // positions in text that came from \xHH
};

struct ScriptError {
  std::string why;
};

long ReadHex(std::string_view line, size_t pos, int count) {
  if (pos + count > line.size()) throw ScriptError{"bad hex escape"};
  const std::string digits(line.substr(pos, count));
  char* end = nullptr;
  const long value = std::strtol(digits.c_str(), &end, 16);
  if (*end != '\0' || digits.find_first_of("+- \t") != std::string::npos) {
    throw ScriptError{"bad hex escape"};
  }
  return value;
}

std::vector<Word> SplitWords(std::string_view line) {
  std::vector<Word> words;
  for (size_t i = 0;;) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i >= line.size()) return words;
    Word word;
    if (line[i] != '"') {
      const size_t end = std::min(line.find_first_of(" \t", i), line.size());
      word.text = std::string(line.substr(i, end - i));
      i = end;
    } else {
      word.quoted = true;
      for (++i; i >= line.size() || line[i] != '"';) {
        if (i >= line.size()) throw ScriptError{"quote left open"};
        const char c = line[i++];
        if (c != '\\') {
          word.text.push_back(c);
          continue;
        }
        const char e = i < line.size() ? line[i++] : '\0';
        static const std::string_view kFrom = "\\\"rnt0", kTo("\\\"\r\n\t\0", 6);
        if (const size_t k = kFrom.find(e); k != std::string_view::npos && e != '\0') {
          word.text.push_back(kTo[k]);
        } else if (e == 'x') {
          word.raw_bytes.push_back(word.text.size());
          word.text.push_back(static_cast<char>(ReadHex(line, i, 2)));
          i += 2;
        } else if (e == 'u') {
          word.text +=
              qrx::Utf16ToUtf8(std::u16string(1, static_cast<char16_t>(ReadHex(line, i, 4))));
          i += 4;
        } else {
          throw ScriptError{std::string("unknown escape \\") + e};
        }
      }
      ++i;
    }
    words.push_back(std::move(word));
  }
}

// A word as text: UTF-8 decoded, each \xHH as the character U+00HH.
std::u16string WordText(const Word& word) {
  std::u16string out;
  size_t start = 0;
  for (const size_t raw : word.raw_bytes) {
    out += qrx::Utf8ToUtf16(std::string_view(word.text).substr(start, raw - start));
    out.push_back(static_cast<unsigned char>(word.text[raw]));
    start = raw + 1;
  }
  return out + qrx::Utf8ToUtf16(std::string_view(word.text).substr(start));
}

std::string Hex(std::string_view bytes) {
  std::string out;
  char two[3];
  for (const unsigned char c : bytes) out += (std::snprintf(two, sizeof two, "%02X", c), two);
  return out;
}

// A text quoted for the output: UTF-8, with \ " and control characters escaped.
std::string Quote(std::u16string_view text) {
  std::string out = "\"";
  for (const char c : qrx::Utf16ToUtf8(text)) {
    const unsigned char b = static_cast<unsigned char>(c);
    out += c == '\\' || c == '"'   ? std::string{'\\', c}
           : b < 0x20 || b == 0x7F ? "\\x" + Hex(std::string(1, c))
                                   : std::string(1, c);
  }
  return out + "\"";
}

std::string List(const std::vector<std::u16string>& names) {
  std::string out = "[";
  for (size_t i = 0; i < names.size(); ++i) out += (i ? ", " : "") + Quote(names[i]);
  return out + "]";
}

std::optional<std::string> ReadBytes(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return std::nullopt;
  std::string bytes;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) bytes.append(buffer, n);
  std::fclose(f);
  return bytes;
}

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](unsigned char c) { return c < 0x80; });
}

class Runner {
 public:
  explicit Runner(std::string work) : os_(qrx::CreateOsPlatform()), work_(std::move(work)) {}

  void Run(int number, std::string_view line);

 private:
  struct Operation {
    const char* name;
    size_t arity;
    void (Runner::*run)();
  };
  static const Operation kOperations[];

  std::u16string Arg(size_t i) const { return WordText(args_[i]); }
  std::u16string File() const { return qrx::Ascii(path_); }
  void Print(const std::string& rest) const {
    std::printf("%s%s\n", prefix_.c_str(), rest.c_str());
  }

  // Prints the result; after a change also the file's bytes as they are now.
  void PrintChange(const std::string& call, bool ok) const {
    Print(call + " -> " + (ok ? "true" : "false"));
    const auto bytes = ReadBytes(path_);
    std::printf("%s file %s\n", prefix_.substr(0, prefix_.find(' ')).c_str(),
                !bytes           ? "missing"
                : bytes->empty() ? "empty"
                                 : Hex(*bytes).c_str());
  }

  void ChooseFile() {
    if (!IsAscii(args_[0].text) || args_[0].text.empty()) throw ScriptError{"file names are ASCII"};
    path_ = work_ + static_cast<char>(os_->PathSeparator()) + args_[0].text;
  }

  void Put(const std::string& bytes) const {
    std::FILE* f = std::fopen(path_.c_str(), "wb");
    const bool ok = f != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (f == nullptr || std::fclose(f) != 0 || !ok) throw ScriptError{"cannot write " + path_};
  }

  // Text through the platform's own conversion to the ANSI code page; \xHH bytes as they are.
  void PutAnsi() {
    const Word& word = args_[0];
    std::string out;
    size_t start = 0;
    for (const size_t raw : word.raw_bytes) {
      out += os_->ToAnsi(qrx::Utf8ToUtf16(std::string_view(word.text).substr(start, raw - start)));
      out.push_back(word.text[raw]);
      start = raw + 1;
    }
    Put(out + os_->ToAnsi(qrx::Utf8ToUtf16(std::string_view(word.text).substr(start))));
  }

  void PutUtf16() {
    std::string out = "\xFF\xFE";
    for (const char16_t c : Arg(0)) out += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    Put(out);
  }

  void KnownDifference() { Print(Quote(Arg(0))); }

  void Get() {
    Print(Quote(Arg(0)) + " " + Quote(Arg(1)) + " " + Quote(Arg(2)) + " -> " +
          Quote(os_->ProfileGetString(Arg(0), Arg(1), Arg(2), File())));
  }

  void Write() {
    std::optional<std::u16string> value;
    if (args_[2].quoted || args_[2].text != "-") value = Arg(2);
    const bool ok = os_->ProfileWriteString(Arg(0), Arg(1), value, File());
    PrintChange(Quote(Arg(0)) + " " + Quote(Arg(1)) + " " + (value ? Quote(*value) : "-"), ok);
  }

  void DeleteSection() { PrintChange(Quote(Arg(0)), os_->ProfileDeleteSection(Arg(0), File())); }

  void Keys() { Print(Quote(Arg(0)) + " -> " + List(os_->ProfileKeyNames(Arg(0), File()))); }

  void Section() {
    std::string out;
    for (const auto& [key, value] : os_->ProfileSection(Arg(0), File())) {
      out += (out.empty() ? "" : ", ") + Quote(key) + "=" + Quote(value);
    }
    Print(Quote(Arg(0)) + " -> [" + out + "]");
  }

  void Sections() { Print("-> " + List(os_->ProfileSectionNames(File()))); }

  std::unique_ptr<qrx::Platform> os_;
  std::string work_;
  std::string path_;
  std::string prefix_;
  std::vector<Word> args_;
};

const Runner::Operation Runner::kOperations[] = {{"file", 1, &Runner::ChooseFile},
                                                 {"put", 1, &Runner::PutAnsi},
                                                 {"put16", 1, &Runner::PutUtf16},
                                                 {"known-difference", 1, &Runner::KnownDifference},
                                                 {"get", 3, &Runner::Get},
                                                 {"write", 3, &Runner::Write},
                                                 {"delete-section", 1, &Runner::DeleteSection},
                                                 {"keys", 1, &Runner::Keys},
                                                 {"section", 1, &Runner::Section},
                                                 {"sections", 0, &Runner::Sections}};

void Runner::Run(int number, std::string_view line) {
  const std::vector<Word> words = SplitWords(line);
  if (words.empty()) return;
  const std::string& op = words[0].text;
  args_.assign(words.begin() + 1, words.end());
  prefix_ = std::to_string(number) + " " + op + " ";
  for (const Operation& o : kOperations) {
    if (op != o.name) continue;
    if (args_.size() != o.arity)
      throw ScriptError{op + " takes " + std::to_string(o.arity) + " words"};
    if (path_.empty() && op != "file") throw ScriptError{"no file chosen"};
    return (this->*o.run)();
  }
  throw ScriptError{"unknown operation " + op};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return std::fputs("usage: ini_script SCRIPT WORK\n", stderr), 2;
  const auto script = ReadBytes(argv[1]);
  if (!script || !IsAscii(argv[2])) {
    return std::fputs("ini_script: no script, or a work folder that is no ASCII path\n", stderr), 2;
  }
  Runner runner(argv[2]);
  int number = 0;
  for (size_t pos = 0; pos < script->size();) {
    const size_t end = std::min(script->find('\n', pos), script->size());
    std::string_view line(script->data() + pos, end - pos);
    pos = end + 1;
    ++number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    try {
      runner.Run(number, line);
    } catch (const ScriptError& e) {
      std::fprintf(stderr, "ini_script: line %d: %s\n", number, e.why.c_str());
      return 2;
    }
  }
  std::fflush(stdout);
  return 0;
}
