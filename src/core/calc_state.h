// The state of the reverse-Polish calculator, owned by the context.
#pragma once

#include <cstddef>
#include <vector>

namespace qrx {

// The value stack: empty between evaluations.
struct CalcState {
  std::vector<double> stack;

  void Push(double value) { stack.push_back(value); }
  // The most recently pushed value, removed; the caller checks Count first.
  double Pop() {
    const double value = stack.back();
    stack.pop_back();
    return value;
  }
  size_t Count() const { return stack.size(); }
  void Clear() { stack.clear(); }
};

}  // namespace qrx
