#include "core/config_paths.h"

#include <gtest/gtest.h>

namespace qrx {
namespace {

TEST(ConfigPathTest, ArgumentRules) {
  EXPECT_EQ(ChooseConfigPath(u"", u"C:\\q", u'\\'), u"C:\\q\\QRX_CORE.INI");
  EXPECT_EQ(ChooseConfigPath(u"", u"C:\\", u'\\'), u"C:\\\\QRX_CORE.INI");  // root: two in a row
  EXPECT_EQ(ChooseConfigPath(u"my.ini", u"C:\\q", u'\\'), u"C:\\q\\my.ini");
  EXPECT_EQ(ChooseConfigPath(u"..\\x.ini", u"C:\\q", u'\\'), u"..\\x.ini");
  // Quoted by a shortcut: the file has no quotes, so every write to it can succeed.
  EXPECT_EQ(ChooseConfigPath(u"\"D:\\a b\\c.ini\"", u"C:\\q", u'\\'), u"D:\\a b\\c.ini");
  EXPECT_EQ(ChooseConfigPath(u"\"my.ini\"", u"C:\\q", u'\\'), u"C:\\q\\my.ini");
  // "/" is a separator on Windows too: a POSIX-style path is not a bare name.
  EXPECT_EQ(ChooseConfigPath(u"Z:/home/me/q/Q.INI", u"C:\\q", u'\\'), u"Z:/home/me/q/Q.INI");
  EXPECT_EQ(ChooseConfigPath(u"sub/q.ini", u"C:\\q", u'\\'), u"sub/q.ini");
  EXPECT_EQ(ChooseConfigPath(u"my.ini", u"/opt/q", u'/'), u"/opt/q/my.ini");
  EXPECT_EQ(ChooseConfigPath(u"C:\\x.ini", u"/opt/q", u'/'), u"/opt/q/C:\\x.ini");
}

TEST(ConfigPathTest, SiblingsAreCutAtTheLastDotAnywhere) {
  auto p = DeriveConfigPaths(u"C:\\q\\QRX_CORE.INI", u"C:\\q", u'\\');
  EXPECT_EQ(p.link_list, u"C:\\q\\QRX_CORE.LKD");
  EXPECT_EQ(p.message, u"C:\\q\\QRX_CORE.MSG");
  EXPECT_EQ(p.skin, u"C:\\q\\QRX_CORE.SKN");
  EXPECT_EQ(p.default_messages, u"C:\\q\\DEF.MSG");
  p = DeriveConfigPaths(u"C:\\my.dir\\CONFIG", u"C:\\", u'\\');
  EXPECT_EQ(p.message, u"C:\\my.MSG");
  EXPECT_EQ(p.default_messages, u"C:\\DEF.MSG");
  p = DeriveConfigPaths(u"\"C:\\a b\\c.ini\"", u"C:\\q", u'\\');
  EXPECT_EQ(p.link_list, u"C:\\a b\\c.LKD");
  p = DeriveConfigPaths(u"C:\\q\\CONFIG", u"C:\\q", u'\\');
  EXPECT_EQ(p.skin, u"C:\\q\\CONFIG.SKN");
}

}  // namespace
}  // namespace qrx
