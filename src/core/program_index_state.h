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

struct IndexedProgram {
  FoundProgram found;
  uint32_t source = 0;  // its source's place in ProgramIndexState::sources
  // What Tab puts in the box and Enter launches: the launch name (quoted when it holds a
  // blank), or the quoted display name for a program whose launch name another one of higher
  // rank keeps.
  std::u16string name;
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
