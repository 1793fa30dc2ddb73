// The program index's sources on Windows: the Start menu folders of the user and of all
// users (shortcuts resolved through the shell's link interface), the App Paths key of the
// registry, and the programs of PATH by PATHEXT. Also the folder listing for paths.
#include "platform/win32/scoped_win.h"
// (the API header first, so that its macros are gone before the interface is read)

#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <string>

#include "base/text.h"
#include "platform/win32/win32_platform.h"

namespace qrx {
namespace {

constexpr std::u16string_view kAppPathsKey = u"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths";
constexpr std::u16string_view kMachine = u"HKEY_LOCAL_MACHINE\\";
constexpr std::u16string_view kUser = u"HKEY_CURRENT_USER\\";

const wchar_t* W(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

std::u16string U(const wchar_t* text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text));
}

std::u16string Env(const wchar_t* name) {
  const DWORD size = ::GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) return {};
  std::wstring buffer(size, L'\0');
  const DWORD got = ::GetEnvironmentVariableW(name, buffer.data(), size);
  buffer.resize(got < size ? got : 0);
  return U(buffer.c_str());
}

std::vector<std::u16string> SplitList(std::u16string_view list) {
  std::vector<std::u16string> parts;
  size_t start = 0;
  while (start <= list.size()) {
    const size_t end = std::min(list.find(u';', start), list.size());
    std::u16string part(list.substr(start, end - start));
    std::erase(part, u'"');
    while (part.size() > 3 && part.back() == u'\\') part.pop_back();
    if (!part.empty()) parts.push_back(std::move(part));
    start = end + 1;
  }
  return parts;
}

std::u16string_view BaseName(std::u16string_view path) {
  const size_t cut = path.find_last_of(u"\\/");
  return cut == std::u16string_view::npos ? path : path.substr(cut + 1);
}

std::u16string_view WithoutExtension(std::u16string_view name) {
  const size_t dot = name.rfind(u'.');
  return dot == std::u16string_view::npos || dot == 0 ? name : name.substr(0, dot);
}

bool HasExtension(std::u16string_view name, std::u16string_view extension) {
  return name.size() > extension.size() &&
         EqualsIgnoreCase(name.substr(name.size() - extension.size()), extension);
}

std::vector<std::u16string> PathExtensions() {
  std::u16string list = Env(L"PATHEXT");
  if (list.empty()) list = u".COM;.EXE;.BAT;.CMD";
  return SplitList(list);
}

int64_t Stamp(const FILETIME& t) {
  return static_cast<int64_t>((uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime);
}

// The App Paths key of a source path: its root and the key below it.
bool OpenAppPaths(const std::u16string& path, win32::ScopedRegistryKey& key) {
  HKEY root = nullptr;
  if (path.starts_with(kMachine)) root = HKEY_LOCAL_MACHINE;
  if (path.starts_with(kUser)) root = HKEY_CURRENT_USER;
  if (root == nullptr) return false;
  const std::u16string sub = path.substr(root == HKEY_LOCAL_MACHINE ? kMachine.size() : kUser.size());
  HKEY opened = nullptr;
  if (::RegOpenKeyExW(root, W(sub), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
  key.Reset(opened);
  return true;
}

// COM for this thread while a shortcut is read; a thread that has it already keeps it.
class ComForThisCall {
 public:
  ComForThisCall() : ok_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComForThisCall() {
    if (ok_) ::CoUninitialize();
  }
  ComForThisCall(const ComForThisCall&) = delete;
  ComForThisCall& operator=(const ComForThisCall&) = delete;

 private:
  bool ok_;
};

template <typename T>
struct Released {
  T* p = nullptr;
  ~Released() {
    if (p != nullptr) p->Release();
  }
};

std::optional<FoundProgram> ReadShortcut(const std::u16string& path, std::u16string_view entry) {
  ComForThisCall com;
  Released<IShellLinkW> link;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link.p)))) {
    return std::nullopt;
  }
  Released<IPersistFile> file;
  if (FAILED(link.p->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.p))) ||
      FAILED(file.p->Load(W(path), STGM_READ))) {
    return std::nullopt;
  }
  wchar_t target[MAX_PATH] = {};
  wchar_t arguments[1024] = {};
  // A shortcut without a file behind it (an installer's advertised one) names no program.
  if (FAILED(link.p->GetPath(target, MAX_PATH, nullptr, 0)) || target[0] == 0) return std::nullopt;
  if (FAILED(link.p->GetArguments(arguments, 1024))) arguments[0] = 0;
  FoundProgram program;
  program.program = U(target);
  program.arguments = U(arguments);
  program.launch_name = std::u16string(WithoutExtension(BaseName(program.program)));
  program.display_name = std::u16string(WithoutExtension(entry));
  return program;
}

std::optional<FoundProgram> ReadAppPath(const std::u16string& key_path, std::u16string_view entry) {
  win32::ScopedRegistryKey key;
  if (!OpenAppPaths(key_path, key)) return std::nullopt;
  const std::u16string sub(entry);
  wchar_t value[MAX_PATH * 2] = {};
  DWORD size = sizeof(value);
  if (::RegGetValueW(key.Get(), W(sub), nullptr, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ, nullptr,
                     value, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::u16string path = U(value);
  std::erase(path, u'"');
  if (path.empty()) return std::nullopt;
  FoundProgram program;
  program.program = path;
  program.launch_name = std::u16string(WithoutExtension(BaseName(path)));
  program.display_name = std::u16string(WithoutExtension(entry));
  return program;
}

}  // namespace

std::vector<ProgramSource> Win32Platform::ProgramSourceRoots() {
  std::vector<ProgramSource> roots;
  auto add = [&](ProgramSourceKind kind, std::u16string path) {
    ProgramSource source{kind, std::move(path)};
    if (!source.path.empty() && std::find(roots.begin(), roots.end(), source) == roots.end()) {
      roots.push_back(std::move(source));
    }
  };
  for (const int folder : {CSIDL_STARTMENU, CSIDL_COMMON_STARTMENU}) {
    wchar_t path[MAX_PATH] = {};
    if (SUCCEEDED(::SHGetFolderPathW(nullptr, folder, nullptr, 0, path))) {
      add(ProgramSourceKind::kShortcuts, U(path));
    }
  }
  add(ProgramSourceKind::kAppPaths, std::u16string(kUser) + std::u16string(kAppPathsKey));
  add(ProgramSourceKind::kAppPaths, std::u16string(kMachine) + std::u16string(kAppPathsKey));
  for (std::u16string& dir : SplitList(Env(L"PATH"))) {
    add(ProgramSourceKind::kExecutables, std::move(dir));
  }
  return roots;
}

std::optional<int64_t> Win32Platform::SourceStamp(const ProgramSource& source) {
  if (source.kind == ProgramSourceKind::kAppPaths) {
    win32::ScopedRegistryKey key;
    FILETIME written{};
    if (!OpenAppPaths(source.path, key) ||
        ::RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                           nullptr, nullptr, nullptr, nullptr, &written) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    return Stamp(written);
  }
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(W(source.path), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return std::nullopt;
  }
  return Stamp(data.ftLastWriteTime);
}

SourceListing Win32Platform::ListSource(const ProgramSource& source) {
  SourceListing listing;
  if (source.kind == ProgramSourceKind::kAppPaths) {
    win32::ScopedRegistryKey key;
    if (!OpenAppPaths(source.path, key)) return listing;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
      DWORD size = 256;
      const LONG got = ::RegEnumKeyExW(key.Get(), i, name, &size, nullptr, nullptr, nullptr, nullptr);
      if (got == ERROR_NO_MORE_ITEMS) break;
      if (got == ERROR_SUCCESS) listing.entries.push_back(U(name));
    }
    return listing;
  }
  const std::vector<std::u16string> extensions = PathExtensions();
  for (FolderItem& item : ListFolder(source.path)) {
    if (item.folder) {
      if (source.kind == ProgramSourceKind::kShortcuts) {
        listing.subfolders.push_back(source.path + u"\\" + item.name);
      }
    } else if (source.kind == ProgramSourceKind::kShortcuts) {
      if (HasExtension(item.name, u".lnk")) listing.entries.push_back(std::move(item.name));
    } else if (std::any_of(extensions.begin(), extensions.end(),
                           [&](const std::u16string& e) { return HasExtension(item.name, e); })) {
      listing.entries.push_back(std::move(item.name));
    }
  }
  return listing;
}

std::optional<FoundProgram> Win32Platform::ReadProgram(const ProgramSource& source,
                                                       std::u16string_view entry) {
  const std::u16string path = source.path + u"\\" + std::u16string(entry);
  switch (source.kind) {
    case ProgramSourceKind::kShortcuts:
      return ReadShortcut(path, entry);
    case ProgramSourceKind::kAppPaths:
      return ReadAppPath(source.path, entry);
    default: {
      FoundProgram program;
      program.program = path;
      program.launch_name = std::u16string(WithoutExtension(entry));
      program.display_name = std::u16string(entry);
      return program;
    }
  }
}

std::vector<FolderItem> Win32Platform::ListFolder(std::u16string_view folder) {
  std::vector<FolderItem> items;
  std::u16string pattern(folder.empty() ? u"." : folder);
  if (pattern.back() != u'\\' && pattern.back() != u'/' && pattern.back() != u':') pattern += u'\\';
  pattern += u'*';
  WIN32_FIND_DATAW found{};
  win32::ScopedFindHandle search(::FindFirstFileW(W(pattern), &found));
  if (!search) return items;
  do {
    const std::u16string name = U(found.cFileName);
    if (name == u"." || name == u"..") continue;
    items.push_back({name, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
  } while (::FindNextFileW(search.Get(), &found));
  return items;
}

}  // namespace qrx
