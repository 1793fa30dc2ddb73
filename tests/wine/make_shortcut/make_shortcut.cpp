// Saves (or removes) a shortcut in the user's Start menu through the shell's link interface,
// as an installer would; and, started as the shortcut's target, leaves a mark that it ran.
//   make_shortcut create NAME TARGET ARGUMENTS   Programs\NAME.lnk -> TARGET ARGUMENTS
//   make_shortcut remove NAME
//   make_shortcut touch FILE                      writes FILE (what the target does)
// clang-format off
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>
// clang-format on

#include <cstdio>
#include <string>

#include "platform/win32/scoped_win.h"

namespace {

std::wstring ShortcutPath(const wchar_t* name) {
  wchar_t folder[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PROGRAMS, nullptr, 0, folder))) return {};
  return std::wstring(folder) + L"\\" + name + L".lnk";
}

int Create(const wchar_t* name, const wchar_t* target, const wchar_t* arguments) {
  const qrx::win32::ScopedComInit com;
  qrx::win32::ComPtr<IShellLinkW> link;
  qrx::win32::ComPtr<IPersistFile> file;
  return SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                    link.PutVoid())) &&
                 SUCCEEDED(link->SetPath(target)) && SUCCEEDED(link->SetArguments(arguments)) &&
                 SUCCEEDED(link->QueryInterface(IID_IPersistFile, file.PutVoid())) &&
                 SUCCEEDED(file->Save(ShortcutPath(name).c_str(), TRUE))
             ? 0
             : 4;
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr || argc < 3) return 2;
  const std::wstring mode = argv[1];
  if (mode == L"create" && argc == 5) return Create(argv[2], argv[3], argv[4]);
  if (mode == L"remove") return DeleteFileW(ShortcutPath(argv[2]).c_str()) ? 0 : 5;
  FILE* f = mode == L"touch" ? _wfopen(argv[2], L"w") : nullptr;
  return f != nullptr && std::fputs("ran\n", f) >= 0 && std::fclose(f) == 0 ? 0 : 2;
}
