// The directory search of the fake platform, which the unit tests and the fuzz targets use
// for LBAT's existence test and SEARCH.
#include <gtest/gtest.h>

#include "fake/fake_platform.h"

namespace qrx::test {
namespace {

TEST(FakeWildcardTest, StarsAndQuestionMarksWithoutRegardToCase) {
  FakePlatform os;
  os.PutFile(u"C:\\d\\Report.TXT", "");
  EXPECT_EQ(os.FindFirstFile(u"C:\\d\\*.txt"), u"Report.TXT");
  EXPECT_EQ(os.FindFirstFile(u"C:\\d\\r?port.*"), u"Report.TXT");
  EXPECT_EQ(os.FindFirstFile(u"C:\\d\\*e*o*t*"), u"Report.TXT");
  EXPECT_EQ(os.FindFirstFile(u"C:\\d\\report.txt"), u"Report.TXT");
  EXPECT_EQ(os.FindFirstFile(u"C:\\d\\**"), u"Report.TXT");
  EXPECT_EQ(os.FindFirstFile(u"C:\\d\\*.tx"), std::nullopt);
  EXPECT_EQ(os.FindFirstFile(u"C:\\d\\?Report.txt"), std::nullopt);
  EXPECT_EQ(os.FindFirstFile(u"C:\\d\\Report.txt?"), std::nullopt);
  EXPECT_EQ(os.FindFirstFile(u"C:\\e\\*"), std::nullopt);
}

TEST(FakeWildcardTest, ManyStarsDoNotMultiplyTheWork) {
  // Tried split by split, 40 stars against 60 letters take longer than any test run.
  FakePlatform os;
  os.PutFile(u"C:\\d\\" + std::u16string(60, u'a'), "");
  std::u16string pattern = u"C:\\d\\";
  for (int i = 0; i < 40; ++i) pattern += u"*a";
  EXPECT_EQ(os.FindFirstFile(pattern + u"b"), std::nullopt);
  EXPECT_EQ(os.FindFirstFile(pattern + u"*"), std::u16string(60, u'a'));
}

}  // namespace
}  // namespace qrx::test
