// Hidden files count as files: the configuration is loaded, and start-up leaves the user's
// catalogue and link list alone; directory searches still pass over them.
#include <gtest/gtest.h>

#include "fake/harness.h"

namespace qrx::test {
namespace {

TEST(HiddenFilesTest, HiddenConfigurationAndSiblingsAreUsedAndKept) {
  Instance q;
  q.os.PutFile(u"C:\\quorix\\DEF.MSG", "[SET]\r\n0-9=default\r\n");
  q.os.PutFile(u"C:\\quorix\\Q.INI",
               "[SYSTEM]\r\nVersion=0.50\r\n[SET]\r\n1=remembered\r\n[BAT]\r\nHI=\"SET 2 hi\"\r\n");
  q.os.PutFile(u"C:\\quorix\\Q.MSG", "[SET]\r\n0-9=#B:#A\r\n");
  q.os.PutFile(u"C:\\quorix\\Q.LKD", "[LINK]\r\nfriend=192.0.2.1\r\n");
  q.os.PutFile(u"C:\\quorix\\CMD.BAT", "SET 4 ran\r\n");
  for (const char16_t* name : {u"Q.INI", u"Q.MSG", u"Q.LKD", u"CMD.BAT"}) {
    q.os.HideFile(u"C:\\quorix\\" + std::u16string(name));
  }
  q.Start(u"Q.INI");
  EXPECT_EQ(q.os.FileBytes(u"C:\\quorix\\Q.MSG"), "[SET]\r\n0-9=#B:#A\r\n");
  EXPECT_EQ(q.os.FileBytes(u"C:\\quorix\\Q.LKD"), "[LINK]\r\nfriend=192.0.2.1\r\n");
  EXPECT_TRUE(q.ui.boxes.empty());  // no "created" notice for a file that was there
  q.Type(u"SET 3 [$1]");
  EXPECT_EQ(q.ui.LastAnswer(), u"3:[remembered]");
  q.Type(u"HI");
  EXPECT_EQ(q.ui.LastAnswer(), u"2:hi");
  q.Type(u"LBAT C:\\quorix\\CMD.BAT");  // a hidden command file runs too
  EXPECT_EQ(q.ui.LastAnswer(), u"4:ran");
  q.Type(u"SEARCH C:\\quorix\\*.BAT");  // the directory search passes over hidden files
  EXPECT_EQ(q.ui.LastAnswer(), u"SEARCH_ERR");
}

}  // namespace
}  // namespace qrx::test
