#include "commands/calc/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string_view>

#include "base/text.h"

namespace qrx {
namespace {

constexpr int kSignificantDigits = 15;
constexpr int kLargestFixedExponent = 14;   // 1E15 and above take the exponent form
constexpr int kSmallestFixedExponent = -4;  // so do values below 1E-4

}  // namespace

std::u16string GeneralNumberText(double value) {
  if (value == 0 || !std::isfinite(value)) return u"0";
  // Rounded to 15 digits first: the rounding may carry into the exponent (9.99...E14).
  char buffer[64];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                       std::chars_format::scientific, kSignificantDigits - 1);
  if (ec != std::errc()) return u"0";
  const std::string_view text(buffer, static_cast<size_t>(end - buffer));
  const size_t e_at = text.find('e');
  std::string digits = std::string(text.substr(0, 1)) + std::string(text.substr(2, e_at - 2));
  const int exponent = std::atoi(std::string(text.substr(e_at + 1)).c_str());
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string out = value < 0 ? "-" : "";
  if (exponent > kLargestFixedExponent || exponent < kSmallestFixedExponent) {
    out += digits.substr(0, 1);
    if (digits.size() > 1) out += "." + digits.substr(1);
    const int magnitude = std::abs(exponent);
    out += exponent < 0 ? "E-" : "E+";
    if (magnitude < 10) out += '0';
    out += std::to_string(magnitude);
  } else if (exponent >= 0) {
    const size_t whole = static_cast<size_t>(exponent) + 1;
    if (digits.size() <= whole) {
      out += digits + std::string(whole - digits.size(), '0');
    } else {
      out += digits.substr(0, whole) + "." + digits.substr(whole);
    }
  } else {
    out += "0." + std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
  }
  return Ascii(out);
}

std::u16string ZeroFill(std::u16string text, int width) {
  if (width <= 0) return text;
  const size_t w = static_cast<size_t>(width);
  text.insert(0, w, u'0');
  return text.substr(text.size() - w);
}

}  // namespace qrx
