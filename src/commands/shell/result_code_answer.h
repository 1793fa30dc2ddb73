// Answers for the numeric results of the platform and of outside libraries.
#pragma once

#include <cstdint>
#include <string_view>

namespace qrx {

struct Context;

// Looks the decimal code up as a key of the catalogue section ("SHFO", "LHA32"): with an
// entry the answer is SECTION_code, without one SECTION_ERR. Code 0 (success) is a normal
// answer, every other code an error answer. #A holds the code either way.
void ShowResultCodeAnswer(Context& ctx, std::u16string_view section, int64_t code);

}  // namespace qrx
