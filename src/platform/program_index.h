// Where the system lists its installed programs, for the program index, and the listing of
// a folder's entries, for completing paths.
//
// Sources are folders (and, on Windows, a registry key) with a modification stamp: the index
// reads a source again only when its stamp changed, one entry at a time, so that the window's
// tick can spread the work over many ticks.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qrx {

enum class ProgramSourceKind : uint8_t {
  kDesktopEntries = 0,  // a folder of desktop entries (*.desktop)
  kShortcuts = 1,       // a Start menu folder of shortcuts (*.lnk)
  kAppPaths = 2,        // the App Paths key of the registry
  kExecutables = 3,     // a folder of PATH: the programs in it
};

struct ProgramSource {
  ProgramSourceKind kind = ProgramSourceKind::kExecutables;
  std::u16string path;
  bool operator==(const ProgramSource&) const = default;
};

// What one look at a source found.
struct SourceListing {
  std::vector<std::u16string> entries;     // names to read with ReadProgram
  std::vector<std::u16string> subfolders;  // full paths: sources of the same kind of their own
};

// One program an entry of a source starts.
struct FoundProgram {
  // The base name of the program it starts (without the extension on Windows): the name the
  // user types.
  std::u16string launch_name;
  std::u16string display_name;  // the entry's name as the user sees it (localised)
  std::u16string other_name;    // the entry's unlocalised name, when it differs
  std::u16string program;       // the file it starts, full path where the entry gives one
  std::u16string arguments;     // fixed arguments, as one command line text
};

class ProgramSources {
 public:
  virtual ~ProgramSources() = default;

  // The sources of this system in their order of precedence (the user's own first), as the
  // environment names them now.
  virtual std::vector<ProgramSource> ProgramSourceRoots() = 0;
  // The source's modification stamp; nothing when it is not there.
  virtual std::optional<int64_t> SourceStamp(const ProgramSource& source) = 0;
  virtual SourceListing ListSource(const ProgramSource& source) = 0;
  // The program of one entry; nothing for an entry that is not to be offered (not a program,
  // hidden, meant for another desktop, its program missing).
  virtual std::optional<FoundProgram> ReadProgram(const ProgramSource& source,
                                                  std::u16string_view entry) = 0;
};

// One name in a folder.
struct FolderItem {
  std::u16string name;
  bool folder = false;
};

class FolderLister {
 public:
  virtual ~FolderLister() = default;
  // The names in a folder ("." and ".." left out), in no particular order; empty when the
  // folder cannot be read.
  virtual std::vector<FolderItem> ListFolder(std::u16string_view folder) = 0;
};

}  // namespace qrx
