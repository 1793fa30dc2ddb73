#include "interpreter/split.h"

#include <gtest/gtest.h>

#include "base/text.h"

namespace qrx {
namespace {

using Fields = std::vector<std::u16string>;

TEST(SplitArguments, NPlusOneFieldsAtEachAsciiSpaceQuotesProtectAndTheRestStaysUntouched) {
  // clang-format off
  const struct {
    std::u16string text;
    int count;
    Fields fields;
  } cases[] = {
      {u"COPY a.txt b.txt", 1, {u"COPY", u"a.txt b.txt"}}, {u"CLS", 1, {u"CLS", u""}},
      {u" CLS", 1, {u"", u"CLS"}}, {u"\"a b\" == x CLS", 3, {u"\"a b\"", u"==", u"x", u"CLS"}},
      // The remainder keeps its leading spaces and quotes, whatever their state.
      {u"A  \"x y\"  ", 1, {u"A", u" \"x y\"  "}}, {u"a \"b c", 1, {u"a", u"\"b c"}},
      // Always count + 1 fields; each space ends one.
      {u"", 3, Fields(4)}, {u"a b", 4, {u"a", u"b", u"", u"", u""}},
      {u"a b ", 2, {u"a", u"b", u""}}, {u"a  b c", 3, {u"a", u"", u"b", u"c"}},
      {u"   x", 3, {u"", u"", u"", u"x"}},
      // Zero or a negative count keeps the whole text.
      {u"  \"a b\" c ", 0, {u"  \"a b\" c "}}, {u"a b", INT16_MIN, {u"a b"}},
      // An unbalanced quote swallows the rest; a quote inside a word toggles too.
      {u"\"a b c d", 2, {u"\"a b c d", u"", u""}}, {u"x \"a b c", 2, {u"x", u"\"a b c", u""}},
      {u"a\"b c d\"e f g", 2, {u"a\"b c d\"e", u"f", u"g"}}, {u"\"\" b", 1, {u"\"\"", u"b"}},
      // Only the ASCII space separates.
      {u"a\tb c", 1, {u"a\tb", u"c"}},
      {u"\u3042\u3000\u3044 \u3046", 1, {u"\u3042\u3000\u3044", u"\u3046"}},
      {u"\U0001F600 x", 1, {u"\U0001F600", u"x"}},
  };
  // clang-format on
  for (const auto& c : cases) {
    EXPECT_EQ(SplitArguments(c.text, c.count), c.fields) << Utf16ToUtf8(c.text);
  }
}

}  // namespace
}  // namespace qrx
