// The program index's sources on POSIX: the desktop entries of the XDG data folders, read
// with GLib's desktop-entry support (the rules of Hidden, NoDisplay, TryExec and OnlyShowIn
// are GLib's), and the programs in the folders of PATH. Also the folder listing for paths.
#include <dirent.h>
#include <gio/gdesktopappinfo.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "base/text.h"
#include "platform/posix/posix_fs.h"
#include "platform/posix/posix_platform.h"

namespace qrx {
namespace {

std::vector<std::string> SplitList(const std::string& list) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= list.size()) {
    const size_t end = std::min(list.find(':', start), list.size());
    if (end > start) parts.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// One argument for the launcher's command line: in double quotes when it holds a blank.
std::string Quoted(const std::string& arg) {
  return arg.find(' ') == std::string::npos ? arg : "\"" + arg + "\"";
}

// "%f", "%U" and the other field codes stand for what a file manager passes; launched by
// name there is nothing to pass, so they go. "%%" is a percent sign.
bool IsFieldCode(const std::string& arg) {
  return arg.size() == 2 && arg[0] == '%' && arg[1] != '%';
}

struct GFreeString {
  char* text = nullptr;
  ~GFreeString() { g_free(text); }
};

std::optional<FoundProgram> ReadDesktopEntry(const std::string& path) {
  GKeyFile* keys = g_key_file_new();
  std::optional<FoundProgram> found;
  if (g_key_file_load_from_file(keys, path.c_str(), G_KEY_FILE_NONE, nullptr)) {
    // Refuses entries that are hidden, not applications, or whose TryExec is missing.
    GDesktopAppInfo* info = g_desktop_app_info_new_from_keyfile(keys);
    if (info != nullptr) {
      if (!g_desktop_app_info_get_is_hidden(info) && g_app_info_should_show(G_APP_INFO(info))) {
        GFreeString exec{g_key_file_get_string(keys, G_KEY_FILE_DESKTOP_GROUP,
                                               G_KEY_FILE_DESKTOP_KEY_EXEC, nullptr)};
        GFreeString name{g_key_file_get_string(keys, G_KEY_FILE_DESKTOP_GROUP,
                                               G_KEY_FILE_DESKTOP_KEY_NAME, nullptr)};
        int argc = 0;
        char** argv = nullptr;
        if (exec.text != nullptr && g_shell_parse_argv(exec.text, &argc, &argv, nullptr)) {
          std::vector<std::string> args;
          for (int i = 0; i < argc; ++i) {
            std::string arg = argv[i];
            if (IsFieldCode(arg)) continue;
            for (size_t p = arg.find("%%"); p != std::string::npos; p = arg.find("%%", p + 1)) {
              arg.erase(p, 1);
            }
            args.push_back(arg);
          }
          g_strfreev(argv);
          if (!args.empty()) {
            FoundProgram program;
            // "env NAME=value program": the program is the one after the assignments.
            size_t named = 0;
            if (BaseName(args[0]) == "env") {
              named = 1;
              while (named < args.size() && args[named].find('=') != std::string::npos) ++named;
              if (named == args.size()) named = 0;
            }
            program.launch_name = Utf8ToUtf16(BaseName(args[named]));
            program.program = Utf8ToUtf16(args[0]);
            std::string rest;
            for (size_t i = 1; i < args.size(); ++i) {
              if (!rest.empty()) rest += ' ';
              rest += Quoted(args[i]);
            }
            program.arguments = Utf8ToUtf16(rest);
            program.display_name = Utf8ToUtf16(g_app_info_get_name(G_APP_INFO(info)));
            if (name.text != nullptr) {
              std::u16string plain = Utf8ToUtf16(name.text);
              if (plain != program.display_name) program.other_name = std::move(plain);
            }
            found = std::move(program);
          }
        }
      }
      g_object_unref(info);
    }
  }
  g_key_file_free(keys);
  return found;
}

bool IsFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::vector<ProgramSource> PosixPlatform::ProgramSourceRoots() {
  std::vector<ProgramSource> roots;
  auto add = [&](ProgramSourceKind kind, const std::string& path) {
    ProgramSource source{kind, Utf8ToUtf16(path)};
    if (!path.empty() && std::find(roots.begin(), roots.end(), source) == roots.end()) {
      roots.push_back(std::move(source));
    }
  };
  std::string data_home = Env("XDG_DATA_HOME");
  if (data_home.empty() && !Env("HOME").empty()) data_home = Env("HOME") + "/.local/share";
  if (!data_home.empty()) add(ProgramSourceKind::kDesktopEntries, data_home + "/applications");
  std::string data_dirs = Env("XDG_DATA_DIRS");
  if (data_dirs.empty()) data_dirs = "/usr/local/share/:/usr/share/";
  for (std::string dir : SplitList(data_dirs)) {
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    add(ProgramSourceKind::kDesktopEntries, dir + "/applications");
  }
  for (std::string dir : SplitList(Env("PATH"))) {
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    add(ProgramSourceKind::kExecutables, dir);
  }
  return roots;
}

std::optional<int64_t> PosixPlatform::SourceStamp(const ProgramSource& source) {
  struct stat st {};
  if (::stat(Utf16ToUtf8(source.path).c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    return std::nullopt;
  }
  return int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec;
}

SourceListing PosixPlatform::ListSource(const ProgramSource& source) {
  SourceListing listing;
  const std::string folder = Utf16ToUtf8(source.path);
  const bool entries = source.kind == ProgramSourceKind::kDesktopEntries;
  for (const FolderItem& item : ListFolder(source.path)) {
    const std::string name = Utf16ToUtf8(item.name);
    if (item.folder) {
      if (entries) listing.subfolders.push_back(Utf8ToUtf16(folder + "/" + name));
    } else if (!entries || (name.size() > 8 && name.ends_with(".desktop"))) {
      listing.entries.push_back(item.name);
    }
  }
  return listing;
}

std::optional<FoundProgram> PosixPlatform::ReadProgram(const ProgramSource& source,
                                                       std::u16string_view entry) {
  const std::string path = Utf16ToUtf8(source.path) + "/" + Utf16ToUtf8(entry);
  if (source.kind == ProgramSourceKind::kDesktopEntries) return ReadDesktopEntry(path);
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || ::access(path.c_str(), X_OK) != 0) {
    return std::nullopt;
  }
  FoundProgram program;
  program.launch_name = std::u16string(entry);
  program.display_name = std::u16string(entry);
  program.program = Utf8ToUtf16(path);
  return program;
}

std::vector<FolderItem> PosixPlatform::ListFolder(std::u16string_view folder) {
  std::vector<FolderItem> items;
  const auto fs_folder = posix::FsPath(folder.empty() ? u"." : folder);
  if (!fs_folder) return items;
  DIR* dir = ::opendir(fs_folder->c_str());
  if (dir == nullptr) return items;
  while (const dirent* e = ::readdir(dir)) {
    const std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    bool is_folder = e->d_type == DT_DIR;
    if (e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) is_folder = IsFolder(*fs_folder + "/" + name);
    items.push_back({Utf8ToUtf16(name), is_folder});
  }
  ::closedir(dir);
  return items;
}

}  // namespace qrx
