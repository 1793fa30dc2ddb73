// <windows.h> for the Win32 platform files, without the macros that would rename methods of
// the platform interface (FindFirstFile, CopyFile, SearchPath, SetCurrentDirectory,
// MessageBox) to their ...A / ...W forms in one file and not in another. Include it before
// any platform header; call the API by its explicit A or W name.
#pragma once

#include <windows.h>

#undef CopyFile
#undef FindFirstFile
#undef MessageBox
#undef SearchPath
#undef SetCurrentDirectory
