// The bare floor of a run of settings writes: for every "SET name value" line of a command
// file (key name of section SET) and every "ALIAS name text" line (key NAME of section BAT,
// the text in double quotes), read the configuration whole, change or add that one line,
// write the result to a new temporary file beside it and rename that over the configuration.
// No parsing beyond finding the line, no code page, no flush: what any atomic replacement of
// the file has to do, and nothing else.
//
// usage: write_floor CONFIG COMMAND_FILE
// Prints the seconds the writes took (wall clock) on standard output.
#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

bool ReadAll(const std::string& path, std::string* out) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  out->clear();
  char buffer[65536];
  ssize_t n = 0;
  while ((n = ::read(fd, buffer, sizeof buffer)) > 0) out->append(buffer, static_cast<size_t>(n));
  ::close(fd);
  return n == 0;
}

bool WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

struct Write {
  std::string section, name, value;
};

// Sets "name=value" in a section, adding the line at the end of the section when it is missing.
void SetLine(std::string* text, const Write& write) {
  const std::string header = "[" + write.section + "]\r\n";
  const std::string& name = write.name;
  const std::string& value = write.value;
  size_t section = text->find(header);
  if (section == std::string::npos) {
    *text += header;
    section = text->size() - header.size();
  }
  const size_t body = section + header.size();
  const size_t next = text->find("\r\n[", body);
  const size_t end = next == std::string::npos ? text->size() : next + 2;
  size_t line = body;
  while (line < end) {
    const size_t eol = text->find("\r\n", line);
    if (text->compare(line, name.size() + 1, name + "=") == 0) {
      text->replace(line + name.size() + 1, eol - line - name.size() - 1, value);
      return;
    }
    line = eol + 2;
  }
  text->insert(end, name + "=" + value + "\r\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: write_floor CONFIG COMMAND_FILE\n");
    return 2;
  }
  const std::string config = argv[1];
  std::vector<Write> writes;
  std::ifstream commands(argv[2], std::ios::binary);
  for (std::string line; std::getline(commands, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream words(line);
    std::string word, name, value;
    if (!(words >> word >> name >> std::ws) || !std::getline(words, value)) continue;
    if (word == "SET") writes.push_back({"SET", name, value});
    if (word == "ALIAS") {
      for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      writes.push_back({"BAT", name, "\"" + value + "\""});
    }
  }
  const std::string folder = config.substr(0, config.rfind('/') + 1);
  const std::string prefix = folder + ".qrx-" + std::to_string(::getpid()) + "-";
  const auto start = std::chrono::steady_clock::now();
  std::string text;
  for (size_t i = 0; i < writes.size(); ++i) {
    if (!ReadAll(config, &text)) return 1;
    SetLine(&text, writes[i]);
    const std::string temp = prefix + std::to_string(i) + ".tmp";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 || !WriteAll(fd, text) || ::close(fd) != 0) return 1;
    if (::rename(temp.c_str(), config.c_str()) != 0) return 1;
  }
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  std::printf("%.3f\n", took.count());
  return 0;
}
