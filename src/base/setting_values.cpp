#include "base/setting_values.h"

#include <cmath>

#include "base/to_integer.h"

namespace qrx {
namespace {

std::optional<double> Rounded(std::u16string_view text) {
  const auto value = ParseNumericText(text);
  if (!value || !std::isfinite(*value)) return std::nullopt;
  return RoundHalfEven(*value);
}

}  // namespace

std::optional<uint8_t> ToByte(std::u16string_view text) {
  const auto v = Rounded(text);
  if (!v || *v < 0.0 || *v > 255.0) return std::nullopt;
  return static_cast<uint8_t>(*v);
}

std::optional<int32_t> ToInt32(std::u16string_view text) {
  const auto v = Rounded(text);
  if (!v || *v < -2147483648.0 || *v > 2147483647.0) return std::nullopt;
  return static_cast<int32_t>(*v);
}

}  // namespace qrx
