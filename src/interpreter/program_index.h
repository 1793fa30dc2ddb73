// The program index: installed programs found by name, kept in <config>.IDX beside the
// configuration and refreshed on the tick, a slice at a time, when a source changed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qrx {

struct Context;
struct IndexedProgram;

// The most a tick spends on the index (stamps and entries), in milliseconds.
inline constexpr uint32_t kIndexSliceMs = 15;

// Reads SET INDEX. The kept index is read after start-up on the tick (or at once when a name
// is wanted first), and what changed since is read on the tick too.
void LoadProgramIndex(Context& ctx);
// Switches the index on (reading the kept file) or off (forgetting the programs in memory;
// the file keeps them and the launch counts for the next time).
void SwitchProgramIndex(Context& ctx, bool on);
// Reads every source again at once and writes the file; the number of programs.
size_t RebuildProgramIndex(Context& ctx);
// The tick's share: looks at the sources' stamps and reads what changed, for at most
// kIndexSliceMs; writes the file once a change is read completely.
void ProgramIndexTick(Context& ctx);

// The program whose name (as Tab gives it), display name or other name is `word`, compared
// without regard to case and without enclosing quotes; nullptr when the index has none.
const IndexedProgram* FindIndexedProgram(Context& ctx, std::u16string_view word);
// True when the index is on, with the kept file read (at once if the ticks have not yet).
bool ProgramIndexReady(Context& ctx);
// Starts the program with its own arguments and then `arguments`; a launch that worked
// counts for the ranking. The shell's result (> 32 = success).
int32_t LaunchIndexedProgram(Context& ctx, const IndexedProgram& program,
                             std::u16string_view arguments);
// How many times and how lately the program was launched by its indexed name.
struct LaunchRecord;
const LaunchRecord* LaunchesOf(const Context& ctx, const IndexedProgram& program);

// Encloses a text with a blank in double quotes, as a word of a command line.
std::u16string QuotedWord(std::u16string_view text);

}  // namespace qrx
