// A limit on the processor time of one fuzz input.
//
// libFuzzer's -timeout counts wall-clock time, and on a busy machine at low priority a fifth
// of a second of work has taken more than a minute. So the targets time each input by the
// processor time it used and fail when it passes the budget; the wall-clock timeout, set
// far higher, still catches an input that never ends.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace qrx::fuzz {

inline constexpr double kInputCpuSeconds = 10.0;

class CpuBudget {
 public:
  CpuBudget() : start_(std::clock()) {}
  CpuBudget(const CpuBudget&) = delete;
  CpuBudget& operator=(const CpuBudget&) = delete;

  // Fails the input (as a crash, with its processor time) when it took too long.
  void Check() const {
    const double used = static_cast<double>(std::clock() - start_) / CLOCKS_PER_SEC;
    if (used <= kInputCpuSeconds) return;
    std::fprintf(stderr, "too slow: one input used %.1f s of processor time (budget %.0f s)\n",
                 used, kInputCpuSeconds);
    std::abort();
  }

 private:
  std::clock_t start_;
};

}  // namespace qrx::fuzz
