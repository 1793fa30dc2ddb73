// The program index: installed programs by name, the sources they were read from, and what
// the user launched through it (for the ranking of completions).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/program_index.h"

namespace qrx {

// By which of its names a program is typed: its launch name, or its display name where a
// program of higher rank keeps the launch name, or none where that is taken too.
enum class IndexedNaming : uint8_t { kLaunch, kDisplay, kNone };

struct IndexedProgram {
  FoundProgram found;
  uint32_t source = 0;  // its source's place in ProgramIndexState::sources
  IndexedNaming naming = IndexedNaming::kLaunch;
  // What Tab puts in the box (unquoted) and Enter launches; empty for kNone.
  std::u16string_view Name() const {
    return naming == IndexedNaming::kLaunch    ? std::u16string_view(found.launch_name)
           : naming == IndexedNaming::kDisplay ? std::u16string_view(found.display_name)
                                               : std::u16string_view();
  }
};

struct WatchedSource {
  ProgramSource source;
  std::optional<int64_t> stamp;  // as of its last reading; nothing: not read (or not there)
  bool read = false;             // its programs are in the index
  bool root = true;              // named by the system; false: a subfolder found in a root
};

// How often and how lately a program was launched by its indexed name.
struct LaunchRecord {
  uint32_t count = 0;
  uint32_t serial = 0;  // the launch's number among all launches: higher is later
};

// A source being read again, one entry at a time.
struct SourceReading {
  uint32_t source = 0;
  std::optional<int64_t> stamp;  // taken before the listing: a change while reading shows
  std::vector<std::u16string> entries;
  size_t next = 0;
  std::vector<IndexedProgram> found;
};

struct ProgramIndexState {
  bool on = false;  // SET INDEX
  // The kept file is read after start-up, a slice per tick (or at once when a name is
  // wanted before): `file` holds its bytes from `file_at` on until then.
  bool loaded = false;
  std::string file;
  size_t file_at = 0;
  std::vector<IndexedProgram> programs;
  std::vector<WatchedSource> sources;
  std::optional<SourceReading> reading;
  size_t next_check = 0;  // the next source whose stamp the tick looks at
  bool changed = false;   // programs changed since the index file was written
  // Keyed by the program's path.
  std::map<std::u16string, LaunchRecord> launches;
  uint32_t last_serial = 0;
};

}  // namespace qrx
