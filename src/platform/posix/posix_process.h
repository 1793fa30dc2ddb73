// Starting other programs on POSIX: detached launches and waited-for runs.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qrx::posix {

// The full path of an executable ordinary file of that name in a folder of PATH, or empty.
// Empty PATH entries are skipped: the current folder is never searched implicitly.
std::string FindExecutableOnPath(std::string_view name);

// Starts `program` (a path) with `argv` (argument 0 first) in `folder` (empty: the current
// one), with standard input and output on /dev/null and in a session of its own, and does
// not wait for it. The program is adopted by the system at once, so no zombie is left
// behind. Returns 0 when the program was started, otherwise the errno of the failure.
int StartDetached(const std::string& program, const std::vector<std::string>& argv,
                  const std::string& folder);

// Runs `program` with `argv`, standard input and output on /dev/null, and waits for it.
// Returns its exit status (128 + the signal when a signal ended it), or nothing when it
// could not be started.
std::optional<int> RunAndWait(const std::string& program, const std::vector<std::string>& argv);

}  // namespace qrx::posix
