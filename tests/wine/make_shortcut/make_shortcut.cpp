// Saves (or removes) a shortcut in the user's Start menu through the shell's link interface,
// as an installer would; and, started as the shortcut's target, leaves a mark that it ran.
//   make_shortcut create NAME TARGET ARGUMENTS   Programs\NAME.lnk -> TARGET ARGUMENTS
//   make_shortcut remove NAME
//   make_shortcut touch FILE                      writes FILE (what the target does)
#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
#include <string>

namespace {

std::wstring ShortcutPath(const wchar_t* name) {
  wchar_t folder[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PROGRAMS, nullptr, 0, folder))) return {};
  return std::wstring(folder) + L"\\" + name + L".lnk";
}

int Create(const wchar_t* name, const wchar_t* target, const wchar_t* arguments) {
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 3;
  IShellLinkW* link = nullptr;
  IPersistFile* file = nullptr;
  int rc = 4;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void**>(&link))) &&
      SUCCEEDED(link->SetPath(target)) && SUCCEEDED(link->SetArguments(arguments)) &&
      SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
      SUCCEEDED(file->Save(ShortcutPath(name).c_str(), TRUE))) {
    rc = 0;
  }
  if (file != nullptr) file->Release();
  if (link != nullptr) link->Release();
  CoUninitialize();
  return rc;
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr || argc < 3) return 2;
  const std::wstring mode = argv[1];
  if (mode == L"create" && argc == 5) return Create(argv[2], argv[3], argv[4]);
  if (mode == L"remove") return DeleteFileW(ShortcutPath(argv[2]).c_str()) ? 0 : 5;
  if (mode == L"touch") {
    FILE* f = _wfopen(argv[2], L"w");
    if (f == nullptr) return 6;
    std::fputs("ran\n", f);
    std::fclose(f);
    return 0;
  }
  return 2;
}
#else
// Windows only: shortcuts are the Windows shell's.
int main() { return 2; }
#endif
