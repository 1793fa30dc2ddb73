// Runs a script of INI operations through the profile calls of the operating system's
// platform and prints every result, so that the POSIX engine and the real Windows API (here
// under Wine) can be compared line by line (compare_ini.py does that).
//
// usage: ini_script SCRIPT WORK
// SCRIPT is a UTF-8 text file (see ini_operations.txt); WORK an existing, empty folder (an
// ASCII path in the platform's own form) where the files are made.
//
// Script lines (words as in script_syntax.h; "#" starts a comment line):
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
// Output, one line each (UTF-8): "<script line> <operation> <arguments> -> <result>", and
// after every write "<script line> file <HEX>", "... file empty" or "... file missing".
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/text.h"
#include "platform/os_platform.h"
#include "wine/ini_script/script_syntax.h"

namespace ini_script {
namespace {

void Print(const std::string& line) {
  const std::string out = line + "\n";
  std::fwrite(out.data(), 1, out.size(), stdout);
}

std::optional<std::string> ReadBytes(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return std::nullopt;
  std::string bytes;
  char buffer[4096];
  size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
  std::fclose(f);
  return bytes;
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

bool IsAscii(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

std::string List(const std::vector<std::u16string>& names) {
  std::string out = "[";
  for (size_t i = 0; i < names.size(); ++i) out += (i ? ", " : "") + Quote(names[i]);
  return out + "]";
}

class Runner {
 public:
  explicit Runner(std::string work) : os_(qrx::CreateOsPlatform()), work_(std::move(work)) {}

  // Runs one line; false (with `error` set) when the line makes no sense.
  bool Run(int number, std::string_view line, std::string* error) {
    const auto words = SplitWords(line, error);
    if (!words) return false;
    if (words->empty()) return true;
    const std::string& op = (*words)[0].text;
    const std::vector<Word> args(words->begin() + 1, words->end());
    prefix_ = std::to_string(number) + " ";
    auto need = [&](size_t n) {
      if (args.size() == n) return true;
      *error = op + " takes " + std::to_string(n) + " words";
      return false;
    };
    if (op == "file") {
      if (!need(1)) return false;
      if (!IsAscii(args[0].text) || args[0].text.empty()) {
        *error = "file names are ASCII";
        return false;
      }
      path_ = work_ + static_cast<char>(os_->PathSeparator()) + args[0].text;
      return true;
    }
    if (path_.empty()) {
      *error = "no file chosen";
      return false;
    }
    const std::u16string file = qrx::Ascii(path_);
    if (op == "put" || op == "put16") {
      if (!need(1)) return false;
      const std::string bytes = op == "put" ? AnsiBytes(args[0]) : Utf16Bytes(args[0]);
      if (!WriteBytes(path_, bytes)) {
        *error = "cannot write " + path_;
        return false;
      }
      return true;
    }
    if (op == "known-difference") {
      if (!need(1)) return false;
      Print(prefix_ + "known-difference " + Quote(WordText(args[0])));
      return true;
    }
    if (op == "get") {
      if (!need(3)) return false;
      const auto s = WordText(args[0]), k = WordText(args[1]), d = WordText(args[2]);
      Print(prefix_ + "get " + Quote(s) + " " + Quote(k) + " " + Quote(d) + " -> " +
            Quote(os_->ProfileGetString(s, k, d, file)));
      return true;
    }
    if (op == "write") {
      if (!need(3)) return false;
      const auto s = WordText(args[0]), k = WordText(args[1]);
      std::optional<std::u16string> v;
      if (args[2].quoted || args[2].text != "-") v = WordText(args[2]);
      const bool ok = os_->ProfileWriteString(s, k, v, file);
      Print(prefix_ + "write " + Quote(s) + " " + Quote(k) + " " + (v ? Quote(*v) : "-") + " -> " +
            (ok ? "true" : "false"));
      PrintFile();
      return true;
    }
    if (op == "delete-section") {
      if (!need(1)) return false;
      const auto s = WordText(args[0]);
      const bool ok = os_->ProfileDeleteSection(s, file);
      Print(prefix_ + "delete-section " + Quote(s) + " -> " + (ok ? "true" : "false"));
      PrintFile();
      return true;
    }
    if (op == "keys") {
      if (!need(1)) return false;
      const auto s = WordText(args[0]);
      Print(prefix_ + "keys " + Quote(s) + " -> " + List(os_->ProfileKeyNames(s, file)));
      return true;
    }
    if (op == "section") {
      if (!need(1)) return false;
      const auto s = WordText(args[0]);
      std::string out = "[";
      for (const auto& [key, value] : os_->ProfileSection(s, file)) {
        out += (out.size() > 1 ? ", " : "") + Quote(key) + "=" + Quote(value);
      }
      Print(prefix_ + "section " + Quote(s) + " -> " + out + "]");
      return true;
    }
    if (op == "sections") {
      if (!need(0)) return false;
      Print(prefix_ + "sections -> " + List(os_->ProfileSectionNames(file)));
      return true;
    }
    *error = "unknown operation " + op;
    return false;
  }

 private:
  // Text through the platform's own conversion to the ANSI code page; \xHH bytes as they are.
  std::string AnsiBytes(const Word& word) const {
    std::string out;
    size_t start = 0;
    auto text = [&](size_t end) {
      out += os_->ToAnsi(qrx::Utf8ToUtf16(std::string_view(word.text).substr(start, end - start)));
    };
    for (const size_t raw : word.raw_bytes) {
      text(raw);
      out.push_back(word.text[raw]);
      start = raw + 1;
    }
    text(word.text.size());
    return out;
  }

  static std::string Utf16Bytes(const Word& word) {
    std::string out = "\xFF\xFE";
    for (const char16_t c : WordText(word)) {
      out.push_back(static_cast<char>(c & 0xFF));
      out.push_back(static_cast<char>(c >> 8));
    }
    return out;
  }

  void PrintFile() {
    const auto bytes = ReadBytes(path_);
    Print(prefix_ + "file " +
          (!bytes           ? std::string("missing")
           : bytes->empty() ? std::string("empty")
                            : Hex(*bytes)));
  }

  std::unique_ptr<qrx::Platform> os_;
  std::string work_;
  std::string path_;
  std::string prefix_;
};

}  // namespace
}  // namespace ini_script

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: ini_script SCRIPT WORK\n");
    return 2;
  }
  const auto script = ini_script::ReadBytes(argv[1]);
  if (!script) {
    std::fprintf(stderr, "ini_script: cannot read %s\n", argv[1]);
    return 2;
  }
  if (!ini_script::IsAscii(argv[2])) {
    std::fprintf(stderr, "ini_script: the work folder must be an ASCII path\n");
    return 2;
  }
  ini_script::Runner runner(argv[2]);
  int number = 0;
  size_t pos = 0;
  while (pos < script->size()) {
    size_t end = script->find('\n', pos);
    if (end == std::string::npos) end = script->size();
    std::string_view line(script->data() + pos, end - pos);
    pos = end + 1;
    ++number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    std::string error;
    if (!runner.Run(number, line, &error)) {
      std::fprintf(stderr, "ini_script: line %d: %s\n", number, error.c_str());
      return 2;
    }
  }
  std::fflush(stdout);
  return 0;
}
