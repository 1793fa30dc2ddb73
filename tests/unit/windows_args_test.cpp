// Parameters written for Windows programs, cut into POSIX arguments.
#include "platform/posix/windows_args.h"

#include <gtest/gtest.h>

namespace qrx::posix {
namespace {

using Args = std::vector<std::u16string>;

TEST(SplitWindowsArguments, BlanksOutsideQuotesSeparate) {
  EXPECT_EQ(SplitWindowsArguments(u"a  b\tc "), (Args{u"a", u"b", u"c"}));
  EXPECT_EQ(SplitWindowsArguments(u""), Args{});
  EXPECT_EQ(SplitWindowsArguments(u"   "), Args{});
}

TEST(SplitWindowsArguments, QuotesProtectBlanksAndDisappear) {
  EXPECT_EQ(SplitWindowsArguments(u"\"a b\" c"), (Args{u"a b", u"c"}));
  EXPECT_EQ(SplitWindowsArguments(u"x\"a b\"y"), (Args{u"xa by"}));
  EXPECT_EQ(SplitWindowsArguments(u"\"unclosed rest"), (Args{u"unclosed rest"}));
}

TEST(SplitWindowsArguments, EmptyQuotesAreAnEmptyArgument) {
  EXPECT_EQ(SplitWindowsArguments(u"a \"\" b"), (Args{u"a", u"", u"b"}));
}

TEST(SplitWindowsArguments, DoubledQuoteInsideQuotesIsOneQuote) {
  EXPECT_EQ(SplitWindowsArguments(u"\"say \"\"hi\"\"\""), (Args{u"say \"hi\""}));
}

TEST(SplitWindowsArguments, BackslashesCountOnlyBeforeAQuote) {
  EXPECT_EQ(SplitWindowsArguments(u"C:\\dir\\ \\\\server"), (Args{u"C:\\dir\\", u"\\\\server"}));
  EXPECT_EQ(SplitWindowsArguments(u"a\\\"b"), (Args{u"a\"b"}));          // 1 -> literal quote
  EXPECT_EQ(SplitWindowsArguments(u"a\\\\\"b c\""), (Args{u"a\\b c"}));  // 2 -> \ and a quote
  EXPECT_EQ(SplitWindowsArguments(u"a\\\\\\\"b"), (Args{u"a\\\"b"}));    // 3 -> \ and "
  EXPECT_EQ(SplitWindowsArguments(u"\"C:\\dir\\\\\" x"), (Args{u"C:\\dir\\", u"x"}));
}

}  // namespace
}  // namespace qrx::posix
