// The state of the reverse-Polish calculator, owned by the context.
#pragma once

#include <vector>

namespace qrx {

struct CalcState {
  std::vector<double> stack;
};

}  // namespace qrx
