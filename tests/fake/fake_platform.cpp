#include "fake/fake_platform.h"

#include <algorithm>
#include <stdexcept>

#include "base/text.h"
#include "platform/posix/cp932.h"

namespace qrx::test {
namespace {

// '*' and '?' as the Windows directory search reads them, without regard to case. Greedy,
// going back only to the last '*': a later '*' makes trying other splits for an earlier
// one unnecessary, so the work grows with pattern times name, never exponentially.
bool WildcardMatch(std::u16string_view pattern, std::u16string_view name) {
  constexpr size_t kNone = std::u16string_view::npos;
  size_t p = 0, n = 0;
  size_t star = kNone, star_name = 0;  // the last '*' and where its match now ends
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == u'*') {
      star = p++;
      star_name = n;
    } else if (p < pattern.size() &&
               (pattern[p] == u'?' || UpperChar(pattern[p]) == UpperChar(name[n]))) {
      ++p;
      ++n;
    } else if (star != kNone) {
      p = star + 1;  // the last '*' takes one more character
      n = ++star_name;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == u'*') ++p;
  return p == pattern.size();
}

}  // namespace

std::u16string FakeFiles::Resolve(std::u16string_view path) const {
  const bool absolute = (!path.empty() && path[0] == separator) ||
                        (separator == u'\\' && path.size() >= 2 && path[1] == u':');
  if (absolute || path.empty()) return std::u16string(path);
  std::u16string full = current_directory;
  if (full.empty() || full.back() != separator) full.push_back(separator);
  return full + std::u16string(path);
}

void FakeFiles::PutFile(std::u16string_view path, std::string_view bytes) {
  const std::u16string full = Resolve(path);
  File& file = files_[UpperCase(full)];  // a rewrite keeps the attributes
  file.path = full;
  file.bytes = std::string(bytes);
  file.version = ++versions_;
}

bool FakeFiles::HasFile(std::u16string_view path) const {
  return files_.count(UpperCase(Resolve(path))) != 0;
}

std::string FakeFiles::FileBytes(std::u16string_view path) const {
  auto it = files_.find(UpperCase(Resolve(path)));
  return it == files_.end() ? std::string() : it->second.bytes;
}

void FakeFiles::RemoveFile(std::u16string_view path) {
  files_.erase(UpperCase(Resolve(path)));
}

void FakeCallLog::Log(std::string_view what, std::u16string_view arg) {
  calls.push_back(std::string(what) + " " + Utf16ToUtf8(arg));
}

std::string FakeTextCodec::ToAnsi(std::u16string_view text) const {
  return Cp932Encode(text);
}
std::u16string FakeTextCodec::FromAnsi(std::string_view bytes) const {
  return Cp932Decode(bytes);
}

std::optional<std::u16string> FakeEnvironment::GetEnv(std::u16string_view name) {
  if (env_fails) throw std::runtime_error("environment unavailable");
  for (const auto& [k, v] : env) {
    if (EqualsIgnoreCase(k, name)) return v;
  }
  return std::nullopt;
}

bool FakeEnvironment::SetCurrentDirectory(std::u16string_view path) {
  Log("SetCurrentDirectory", path);
  if (path.empty()) return false;
  current_directory = std::u16string(path);
  return true;
}

int32_t FakeEnvironment::MakeDirectory(std::u16string_view path) {
  Log("MakeDirectory", path);
  return directory_result;
}

int32_t FakeEnvironment::ChangeDirectory(std::u16string_view path) {
  Log("ChangeDirectory", path);
  if (directory_result == 0) current_directory = std::u16string(path);
  return directory_result;
}

int32_t FakeEnvironment::ChangeDrive(char16_t letter) {
  Log("ChangeDrive", std::u16string(1, letter));
  return directory_result;
}

std::optional<std::u16string> FakeFiles::FindFirstFile(std::u16string_view relative) {
  const std::u16string full = Resolve(relative);
  const std::u16string_view pattern = full;
  const size_t cut = pattern.find_last_of(separator);
  const std::u16string dir =
      cut == std::u16string_view::npos ? std::u16string() : UpperCase(pattern.substr(0, cut));
  const std::u16string_view name_pattern =
      cut == std::u16string_view::npos ? pattern : pattern.substr(cut + 1);
  for (const auto& [key, file] : files_) {
    const size_t fcut = key.find_last_of(separator);
    const std::u16string fdir =
        fcut == std::u16string::npos ? std::u16string() : key.substr(0, fcut);
    if (fdir != dir) continue;
    const std::u16string name = file.path.substr(fcut == std::u16string::npos ? 0 : fcut + 1);
    if (WildcardMatch(name_pattern, name)) return name;
  }
  return std::nullopt;
}

std::vector<FolderItem> FakeFiles::ListFolder(std::u16string_view folder) {
  std::u16string dir = UpperCase(Resolve(folder));
  if (!dir.empty() && dir.back() != separator) dir += separator;
  std::vector<FolderItem> items;
  for (const auto& [key, file] : files_) {
    if (!key.starts_with(dir)) continue;
    const size_t next = key.find(separator, dir.size());
    const std::u16string name = file.path.substr(file.path.size() - (key.size() - dir.size()))
                                    .substr(0, next == std::u16string::npos ? std::u16string::npos
                                                                            : next - dir.size());
    const bool is_folder = next != std::u16string::npos;
    if (std::none_of(items.begin(), items.end(), [&](const FolderItem& i) { return i.name == name; })) {
      items.push_back({name, is_folder});
    }
  }
  return items;
}

std::optional<std::string> FakeFiles::ReadFile(std::u16string_view path) {
  auto it = files_.find(UpperCase(Resolve(path)));
  if (it == files_.end()) return std::nullopt;
  return it->second.bytes;
}

std::optional<FileStamp> FakeFiles::StampOf(std::u16string_view path) {
  auto it = files_.find(UpperCase(Resolve(path)));
  if (it == files_.end()) return std::nullopt;
  return FileStamp{it->second.version, static_cast<int64_t>(it->second.bytes.size())};
}

bool FakeFiles::WriteFile(std::u16string_view path, std::string_view bytes) {
  Log("WriteFile", path);
  return Store(path, bytes);
}

bool FakeFiles::CopyFile(std::u16string_view from, std::u16string_view to) {
  Log("CopyFile", std::u16string(from) + u" -> " + std::u16string(to));
  auto bytes = ReadFile(from);
  return bytes && Store(to, *bytes);
}

std::u16string FakeFiles::SearchPath(std::u16string_view name) {
  if (name.find(separator) != std::u16string_view::npos) {
    return HasFile(name) ? files_.at(UpperCase(Resolve(name))).path : std::u16string();
  }
  std::vector<std::u16string> dirs{program_directory, current_directory};
  dirs.insert(dirs.end(), search_dirs.begin(), search_dirs.end());
  for (const auto& d : dirs) {
    std::u16string candidate = d;
    if (candidate.empty() || candidate.back() != separator) candidate.push_back(separator);
    candidate += name;
    if (HasFile(candidate)) return files_.at(UpperCase(candidate)).path;
  }
  return {};
}

bool FakeFiles::AppendFile(std::u16string_view path, std::string_view bytes) {
  Log("AppendFile", path);
  if (unwritable.count(UpperCase(path))) return false;
  PutFile(path, FileBytes(path) + std::string(bytes));
  return true;
}

int32_t FakeShell::ShellExecute(intptr_t owner, std::u16string_view operation,
                                   std::u16string_view file, std::u16string_view parameters,
                                   std::u16string_view directory, int32_t show) {
  calls.push_back("ShellExecute " + std::to_string(owner) + " [" + Utf16ToUtf8(operation) + "] [" +
                  Utf16ToUtf8(file) + "] [" + Utf16ToUtf8(parameters) + "] [" +
                  Utf16ToUtf8(directory) + "] " + std::to_string(show));
  return shell_result;
}

std::optional<int32_t> FakeShell::RunArchiver(intptr_t owner, std::u16string_view command_line) {
  calls.push_back("RunArchiver " + std::to_string(owner) + " [" + Utf16ToUtf8(command_line) + "]");
  return archiver_result;
}

ShellFileResult FakeShell::FileOperation(const ShellFileOperation& operation,
                                            FileQuestions& questions) {
  file_operations.push_back(operation);
  const std::u16string first = operation.from.substr(0, operation.from.find(u'\0'));
  for (FileQuestion question : file_questions) {
    if (!questions.Confirm(question, first, file_question_matches)) return ShellFileResult{0, true};
  }
  return file_result;
}

bool FakeShell::ShowProperties(intptr_t owner, std::u16string_view file) {
  calls.push_back("ShowProperties " + std::to_string(owner) + " [" + Utf16ToUtf8(file) + "]");
  return properties_shown;
}

uint32_t FakeMedia::MciSendString(std::u16string_view command, std::u16string& reply) {
  mci_sent.emplace_back(command);
  auto it = mci_replies.find(std::u16string(command));
  if (it == mci_replies.end()) {
    reply.clear();
    return 0;
  }
  reply = it->second.second;
  return it->second.first;
}

std::optional<std::u16string> FakeMedia::MciErrorString(uint32_t code) {
  auto it = mci_errors.find(code);
  if (it == mci_errors.end()) return std::nullopt;
  return it->second;
}

bool FakeDesktop::SetWallpaper(std::u16string_view file) {
  Log("SetWallpaper", u"[" + std::u16string(file) + u"]");
  return desktop_changes;
}

bool FakeDesktop::SetScreenSaverActive(bool active) {
  Log("SetScreenSaverActive", active ? u"1" : u"0");
  return desktop_changes;
}

int16_t FakeKeyboard::AsyncKeyState(int32_t virtual_key) {
  auto it = key_states.find(virtual_key);
  return it == key_states.end() ? 0 : it->second;
}

void FakeKeyboard::SendSetText(intptr_t window, std::u16string_view text) {
  calls.push_back("SendSetText " + std::to_string(window) + " " + Utf16ToUtf8(text));
}

bool FakeSession::EndSession(uint32_t flags) {
  calls.push_back("EndSession " + std::to_string(flags));
  return false;  // the fake never ends anything
}

void FakeMedia::PlaySound(std::u16string_view name, uint32_t flags) {
  calls.push_back("PlaySound " + Utf16ToUtf8(name) + " " + std::to_string(flags));
}

bool FakeShell::CallAnswerLibrary(std::u16string_view library, intptr_t window,
                                     std::u16string& text, int32_t time) {
  if (!library_loads) return false;
  calls.push_back("fncAns " + Utf16ToUtf8(library) + " " + std::to_string(window) + " " +
                  std::to_string(time) + " " + Utf16ToUtf8(text));
  if (library_rewrites) text = *library_rewrites;
  return true;
}

bool FakeFiles::Store(std::u16string_view path, std::string_view bytes) {
  if (unwritable.count(UpperCase(path))) return false;
  PutFile(path, bytes);
  return true;
}

}  // namespace qrx::test
