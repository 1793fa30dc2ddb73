#include "interpreter/split.h"

#include <gtest/gtest.h>

namespace qrx {
namespace {

using Fields = std::vector<std::u16string>;

TEST(SplitArguments, FieldsAtSpacesAndTheUntouchedRemainder) {
  EXPECT_EQ(SplitArguments(u"COPY a.txt b.txt", 1), (Fields{u"COPY", u"a.txt b.txt"}));
  EXPECT_EQ(SplitArguments(u"CLS", 1), (Fields{u"CLS", u""}));
  EXPECT_EQ(SplitArguments(u" CLS", 1), (Fields{u"", u"CLS"}));
  EXPECT_EQ(SplitArguments(u"a == b ECHO x y", 3), (Fields{u"a", u"==", u"b", u"ECHO x y"}));
  EXPECT_EQ(SplitArguments(u"\"a b\" == x CLS", 3), (Fields{u"\"a b\"", u"==", u"x", u"CLS"}));
  // The remainder keeps its leading spaces and quotes, whatever their state.
  EXPECT_EQ(SplitArguments(u"A  \"x y\"  ", 1), (Fields{u"A", u" \"x y\"  "}));
  EXPECT_EQ(SplitArguments(u"a \"b c", 1), (Fields{u"a", u"\"b c"}));
}

TEST(SplitArguments, AlwaysNPlusOneFieldsAndEachSpaceEndsOne) {
  EXPECT_EQ(SplitArguments(u"", 0), (Fields{u""}));
  EXPECT_EQ(SplitArguments(u"", 3), (Fields(4)));
  EXPECT_EQ(SplitArguments(u"a b", 4), (Fields{u"a", u"b", u"", u"", u""}));
  EXPECT_EQ(SplitArguments(u"a ", 2), (Fields{u"a", u"", u""}));
  EXPECT_EQ(SplitArguments(u"a b ", 2), (Fields{u"a", u"b", u""}));
  EXPECT_EQ(SplitArguments(u"a  b c", 3), (Fields{u"a", u"", u"b", u"c"}));
  EXPECT_EQ(SplitArguments(u"   x", 3), (Fields{u"", u"", u"", u"x"}));
  // Zero or a negative count keeps the whole text.
  EXPECT_EQ(SplitArguments(u"  \"a b\" c ", 0), (Fields{u"  \"a b\" c "}));
  EXPECT_EQ(SplitArguments(u"a b", INT16_MIN), (Fields{u"a b"}));
}

TEST(SplitArguments, QuotesProtectSpacesAndStay) {
  // An unbalanced quote swallows the rest of the text into the current field.
  EXPECT_EQ(SplitArguments(u"\"a b c d", 2), (Fields{u"\"a b c d", u"", u""}));
  EXPECT_EQ(SplitArguments(u"x \"a b c", 2), (Fields{u"x", u"\"a b c", u""}));
  // A quote inside a word toggles too, joining words up to the next quote.
  EXPECT_EQ(SplitArguments(u"a\"b c d\"e f g", 2), (Fields{u"a\"b c d\"e", u"f", u"g"}));
  EXPECT_EQ(SplitArguments(u"\"\" b", 1), (Fields{u"\"\"", u"b"}));
}

TEST(SplitArguments, OnlyTheAsciiSpaceSeparates) {
  EXPECT_EQ(SplitArguments(u"a\tb c", 1), (Fields{u"a\tb", u"c"}));
  EXPECT_EQ(SplitArguments(u"\u3042\u3000\u3044 \u3046", 1),
            (Fields{u"\u3042\u3000\u3044", u"\u3046"}));
  EXPECT_EQ(SplitArguments(u"\U0001F600 x", 1), (Fields{u"\U0001F600", u"x"}));
}

}  // namespace
}  // namespace qrx
