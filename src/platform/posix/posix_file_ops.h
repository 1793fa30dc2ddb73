// File operations on POSIX, shared between the shell's operations and the trash.
#pragma once

#include <cstdint>
#include <string>

namespace qrx::posix {

class SysCalls;

// The code the Windows shell gives for the same fault as an errno value (see
// docs/behaviour.md for the whole list).
int32_t ShellCodeForFileErrno(int error);

// Copies a file, symbolic link or folder (with its contents) to a path that does not exist
// yet, keeping permissions and modification times; links are copied as links. Returns 0 or
// the errno of the first failure, and then leaves nothing at `to`; other kinds of files
// (devices, pipes) give EACCES, a folder met again inside its own copy (through a bind
// mount) ELOOP.
int CopyNew(SysCalls& sys, const std::string& from, const std::string& to);

// Whether an item can be removed before anything of it is: 0, EBUSY when another file system
// (or a bind mount) is mounted at it or anywhere inside it, else the errno that the folder
// it stands in, or with `whole_tree` any folder inside it, gives for writing (EACCES, EROFS).
int CheckRemovable(SysCalls& sys, const std::string& path, bool whole_tree);

// The trash folder ($XDG_DATA_HOME/Trash, else ~/.local/share/Trash); empty when there is no
// data folder.
std::string TrashFolder();

// Moves a file or folder to the freedesktop.org trash of the user ($XDG_DATA_HOME/Trash,
// else ~/.local/share/Trash), writing its .trashinfo first. An item on another file system
// is copied there and then removed. Returns 0 or the errno of the failure; the item is then
// where it was.
int MoveToTrash(SysCalls& sys, const std::string& path);

// A path with every byte but unreserved characters and "/" percent-escaped, as in the path
// of a file: URI.
std::string UriEscaped(const std::string& path);

}  // namespace qrx::posix
