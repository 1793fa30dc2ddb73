// Parameters written for Windows programs, cut into POSIX arguments.
#include "platform/posix/windows_args.h"

#include <gtest/gtest.h>

#include "base/text.h"

namespace qrx::posix {
namespace {

using Args = std::vector<std::u16string>;

TEST(SplitWindowsArguments, BlanksSeparateOutsideQuotesBackslashesCountOnlyBeforeAQuote) {
  const std::pair<const char16_t*, Args> cases[] = {
      {u"a  b\tc ", {u"a", u"b", u"c"}},
      {u"   ", {}},
      {u"\"a b\" c", {u"a b", u"c"}},  // quotes protect blanks and disappear
      {u"x\"a b\"y", {u"xa by"}},
      {u"\"unclosed rest", {u"unclosed rest"}},
      {u"a \"\" b", {u"a", u"", u"b"}},              // empty quotes: an empty argument
      {u"\"say \"\"hi\"\"\"", {u"say \"hi\""}},      // doubled inside quotes: one quote
      {u"C:\\dir\\ \\\\server", {u"C:\\dir\\", u"\\\\server"}},
      {u"a\\\"b", {u"a\"b"}},                        // 1 -> literal quote
      {u"a\\\\\"b c\"", {u"a\\b c"}},                // 2 -> \ and a quote
      {u"a\\\\\\\"b", {u"a\\\"b"}},                  // 3 -> \ and "
      {u"\"C:\\dir\\\\\" x", {u"C:\\dir\\", u"x"}},
  };
  for (const auto& [line, args] : cases) {
    EXPECT_EQ(SplitWindowsArguments(line), args) << Utf16ToUtf8(line);
  }
}

}  // namespace
}  // namespace qrx::posix
