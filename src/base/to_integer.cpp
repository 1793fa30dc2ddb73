#include "base/to_integer.h"

#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

namespace qrx {
namespace {

enum class Kind { kNotNumeric, kFinite, kTooLarge };

struct Number {
  Kind kind = Kind::kNotNumeric;
  double value = 0;  // for kTooLarge only its sign matters
};

constexpr Number kNotNumeric{};

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\u3000';
}
bool IsDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

std::u16string_view TrimBlanks(std::u16string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

int DigitValue(char16_t c, int base) {
  int d = -1;
  if (IsDigit(c)) {
    d = c - u'0';
  } else if (c >= u'A' && c <= u'F') {
    d = c - u'A' + 10;
  } else if (c >= u'a' && c <= u'f') {
    d = c - u'a' + 10;
  }
  return d < base ? d : -1;
}

// `digits` follows the "&H" or "&O" prefix.
Number ScanLiteral(std::u16string_view digits, int base) {
  if (digits.empty()) return kNotNumeric;
  // A double holds every value up to 2^53 exactly, far past the 32-bit limits below.
  double value = 0;
  for (char16_t c : digits) {
    const int d = DigitValue(c, base);
    if (d < 0) return kNotNumeric;
    value = value * base + d;
  }
  if (std::isinf(value)) return {Kind::kTooLarge, 1};
  // The literal's width follows its value, as the Windows number parser sizes it: 16 bits
  // when it fits, then 32 bits; the top bit of that width is the sign.
  if (value <= 0xFFFF) {
    if (value >= 0x8000) value -= 0x10000;
  } else if (value <= 0xFFFFFFFF) {
    if (value >= 0x80000000) value -= 4294967296.0;
  }
  return {Kind::kFinite, value};
}

// Digits with a decimal point and an exponent, already checked, in the form from_chars
// reads; the conversion is exact to the nearest double and ignores the C locale.
Number ConvertDecimal(const std::string& ascii, bool negative, long decimal_exponent,
                      bool all_zero) {
  if (all_zero) return {Kind::kFinite, 0};
  double value = 0;
  const auto [end, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
  if (ec == std::errc::result_out_of_range) {
    // Out of range either way: a large magnitude overflows, a tiny one is zero.
    if (decimal_exponent > 0) return {Kind::kTooLarge, negative ? -1.0 : 1.0};
    return {Kind::kFinite, 0};
  }
  if (ec != std::errc() || end != ascii.data() + ascii.size()) return kNotNumeric;
  return {Kind::kFinite, negative ? -value : value};
}

Number ScanDecimal(std::u16string_view text) {
  size_t i = 0;
  const size_t size = text.size();
  bool negative = false;
  if (i < size && (text[i] == u'+' || text[i] == u'-')) {
    negative = text[i] == u'-';
    ++i;
    while (i < size && IsBlank(text[i])) ++i;
  }

  std::string ascii;
  ascii.reserve(size + 8);
  long int_digits = 0;
  long leading_zeros = -1;  // zeros before the first non-zero digit; -1 while all are zero
  long zeros_seen = 0;
  auto take_digit = [&](char16_t c) {
    ascii.push_back(static_cast<char>(c));
    if (leading_zeros < 0) {
      if (c == u'0') {
        ++zeros_seen;
      } else {
        leading_zeros = zeros_seen;
      }
    }
  };

  while (i < size) {
    if (IsDigit(text[i])) {
      take_digit(text[i]);
      ++int_digits;
      ++i;
    } else if (text[i] == u',' && int_digits > 0) {
      while (i < size && text[i] == u',') ++i;
      if (i == size || !IsDigit(text[i])) return kNotNumeric;
    } else {
      break;
    }
  }
  long frac_digits = 0;
  if (i < size && text[i] == u'.') {
    ascii.push_back('.');
    ++i;
    while (i < size && IsDigit(text[i])) {
      take_digit(text[i]);
      ++frac_digits;
      ++i;
    }
  }
  if (int_digits + frac_digits == 0) return kNotNumeric;

  long exponent = 0;
  if (i < size && (text[i] == u'E' || text[i] == u'e' || text[i] == u'D' || text[i] == u'd')) {
    ++i;
    bool exponent_negative = false;
    if (i < size && (text[i] == u'+' || text[i] == u'-')) {
      exponent_negative = text[i] == u'-';
      ++i;
    }
    if (i == size || !IsDigit(text[i])) return kNotNumeric;
    // Saturates far beyond any double's range so that no digit count can overflow it.
    while (i < size && IsDigit(text[i])) {
      if (exponent < 1000000) exponent = exponent * 10 + (text[i] - u'0');
      ++i;
    }
    if (exponent_negative) exponent = -exponent;
    ascii.push_back('e');
    ascii += std::to_string(exponent);
  }
  if (i != size) return kNotNumeric;

  const bool all_zero = leading_zeros < 0;
  // Position of the first significant digit relative to the decimal point, in powers of 10.
  const long decimal_exponent = int_digits - (all_zero ? 0 : leading_zeros) + exponent;
  return ConvertDecimal(ascii, negative, decimal_exponent, all_zero);
}

Number Scan(std::u16string_view text) {
  text = TrimBlanks(text);
  if (text.empty()) return kNotNumeric;
  if (text[0] == u'&') {
    if (text.size() < 2) return kNotNumeric;
    const char16_t prefix = text[1];
    if (prefix == u'H' || prefix == u'h') return ScanLiteral(text.substr(2), 16);
    if (prefix == u'O' || prefix == u'o') return ScanLiteral(text.substr(2), 8);
    return kNotNumeric;
  }
  return ScanDecimal(text);
}

}  // namespace

double RoundHalfEven(double value) {
  const double below = std::floor(value);
  const double fraction = value - below;
  if (fraction > 0.5) return below + 1;
  if (fraction < 0.5) return below;
  return std::fmod(below, 2.0) == 0 ? below : below + 1;
}

std::optional<double> ParseNumericText(std::u16string_view text) {
  const Number number = Scan(text);
  if (number.kind != Kind::kFinite) return std::nullopt;
  return number.value;
}

int16_t ToInteger(std::u16string_view text) {
  constexpr double kMin = -32768;
  constexpr double kMax = 32767;
  const Number number = Scan(text);
  switch (number.kind) {
    case Kind::kNotNumeric:
      return 0;
    case Kind::kTooLarge:
      return static_cast<int16_t>(number.value < 0 ? kMin : kMax);
    case Kind::kFinite:
      break;
  }
  const double rounded = RoundHalfEven(number.value);
  if (rounded < kMin) return static_cast<int16_t>(kMin);
  if (rounded > kMax) return static_cast<int16_t>(kMax);
  return static_cast<int16_t>(rounded);
}

}  // namespace qrx
