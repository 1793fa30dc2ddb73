// LINK, WOL and the link settings on the fake network, driven as a user would.
#include <gtest/gtest.h>

#include "base/text.h"
#include "commands/net/link_receive.h"
#include "commands/net/net_text.h"
#include "fake/harness.h"
#include "interpreter/dispatcher.h"

namespace qrx::test {
namespace {

// Every answer shows its key and the parameters it uses.
constexpr char16_t kMessages[] =
    u"[SET]\r\nLINKIP=SET_LINKIP #A\r\nLINKPORT=SET_LINKPORT #A\r\nMYPORT=SET_MYPORT #A\r\n"
    u"MYPORT-ERR=SET_MYPORT-ERR #A (#B)\r\nMYPORT-BOUND=bound\r\nMYPORT-RANGE=range\r\n"
    u"[LINK]\r\nSEND=LINK_SEND #A/#B\r\nERR=LINK_ERR\r\n"
    u"[LL]\r\nADD=LL_ADD #A\r\nERR=LL_ERR #A\r\nADD-ERR=LL_ADD-ERR #A #B\r\n"
    u"[WOL]\r\nSEND=WOL_SEND\r\nERR=WOL_ERR\r\n";

constexpr char16_t kList[] = u"C:\\quorix\\QRX_CORE.LKD";
constexpr char16_t kPeer[] = u"192.168.1.20";

class LinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    q.PutDefaultMessages(kMessages);
    q.Start();
    q.ui.boxes.clear();  // the first start's notice
  }
  FakeNetwork& net() { return q.os.network; }
  std::u16string Last() const { return q.ui.LastAnswer(); }
  int16_t LastTime() const { return q.ui.answers.back().time; }
  void List(std::u16string_view text) { q.os.PutFile(kList, q.os.ToAnsi(text)); }
  // A datagram from `source` arrives and the window takes it.
  void Arrive(std::u16string_view source, std::u16string_view text) {
    net().Arrive(source, q.os.ToAnsi(text));
    q.window.OnSocketReadable();
  }
  const std::u16string& Newest() const { return q.ctx.history.entries[1]; }

  Instance q;
};

TEST_F(LinkTest, SettingsThenLinkSendsOwnAddressBarCommandAsOneDatagram) {
  EXPECT_EQ(q.ui.watched_socket, nullptr) << "the socket is opened on first use";
  q.Type(u"SET MYPORT 5000");
  EXPECT_EQ(Last(), u"SET_MYPORT 5000");
  EXPECT_EQ(net().bound_port, 5000);
  EXPECT_NE(q.ui.watched_socket, nullptr) << "the host watches the socket from then on";
  q.Type(u"SET LINKIP 192.168.1.20");
  EXPECT_EQ(Last(), u"SET_LINKIP 192.168.1.20");
  q.Type(u"set linkport 5001");
  EXPECT_EQ(Last(), u"SET_LINKPORT 5001");
  q.Type(u"LINK VER");
  ASSERT_EQ(net().sent.size(), 1u);
  EXPECT_EQ(net().sent[0].host, kPeer);
  EXPECT_EQ(net().sent[0].port, 5001);
  EXPECT_EQ(net().sent[0].bytes, "192.168.1.10|VER");
  EXPECT_TRUE(net().sent[0].from_bound_socket);
  EXPECT_EQ(Last(), u"LINK_SEND VER/192.168.1.10|");
  EXPECT_EQ(LastTime(), 3);

  // The text goes as typed, in code page 932, further bars included.
  q.Type(u"LINK ANS 日本語|x  y");
  EXPECT_EQ(net().sent.back().bytes, "192.168.1.10|ANS \x93\xfa\x96\x7b\x8c\xea|x  y");
  EXPECT_EQ(q.ui.watched_socket, q.ctx.net.socket.get());
  EXPECT_EQ(net().sockets_opened, 1);
}

TEST_F(LinkTest, LinkBeforeMyPortIsRefusedAndSendFailuresAreNotReported) {
  q.Type(u"SET LINKIP 192.168.1.20");
  q.Type(u"LINK VER");
  EXPECT_EQ(Last(), u"LINK_ERR");
  EXPECT_EQ(LastTime(), 5);
  EXPECT_TRUE(net().sent.empty());

  q.Type(u"SET MYPORT 5000");
  net().send_fails = true;
  q.Type(u"LINK VER");
  EXPECT_EQ(Last(), u"LINK_SEND VER/192.168.1.10|");
  // A port below 1 cannot be sent to: nothing leaves, the answer is the same.
  q.Type(u"SET LINKPORT 0");
  q.Type(u"LINK VER");
  EXPECT_EQ(Last(), u"LINK_SEND VER/192.168.1.10|");
  EXPECT_EQ(net().sent.size(), 1u);
  // The peer port is 9001 until LINKPORT sets it.
  Instance fresh;
  fresh.PutDefaultMessages(kMessages);
  fresh.Start();
  fresh.Type(u"SET MYPORT 1");
  fresh.Type(u"SET LINKIP h");
  fresh.Type(u"LINK x");
  ASSERT_EQ(fresh.os.network.sent.size(), 1u);
  EXPECT_EQ(fresh.os.network.sent[0].port, 9001);
}

TEST_F(LinkTest, MyPortBindsOncePerRunAndAFailedBindCanBeRetried) {
  net().bind_refusals[5000] = u"Address already in use (98)";
  q.Type(u"SET MYPORT 5000");
  EXPECT_EQ(Last(), u"SET_MYPORT-ERR 5000 (Address already in use (98))");
  EXPECT_EQ(LastTime(), 5);
  for (const char16_t* bad : {u"0", u"abc", u"-1", u"40000", u"32767.5", u"0.4"}) {
    q.Type(std::u16string(u"SET MYPORT ") + bad);
    EXPECT_EQ(Last(), std::u16string(u"SET_MYPORT-ERR ") + bad + u" (range)");
  }
  EXPECT_FALSE(net().bound_port);
  q.Type(u"LINK VER");
  EXPECT_EQ(Last(), u"LINK_ERR");

  q.Type(u"SET MYPORT 32767");
  EXPECT_EQ(Last(), u"SET_MYPORT 32767");
  q.Type(u"SET MYPORT 6000");
  EXPECT_EQ(Last(), u"SET_MYPORT-ERR 6000 (bound)");
  EXPECT_EQ(net().bound_port, 32767);
  EXPECT_EQ(q.ctx.net.bound_port, 32767);
}

TEST_F(LinkTest, ListedSenderRunsAsTypedWithEnterOncePerMatchingLine) {
  q.Type(u"SET MYPORT 5001");
  List(u"10.0.0.1\r\n192.168.1.20\r\n");
  q.ui.command = u"half typed";
  Arrive(kPeer, u"192.168.1.20|ANS hello");
  EXPECT_EQ(Last(), u"hello");
  EXPECT_EQ(Newest(), u"ANS hello");
  EXPECT_EQ(q.ctx.history.entries[2], u"SET MYPORT 5001");
  EXPECT_EQ(q.ui.command, u"half typed") << "the user's line stays";

  // Listed twice: runs twice.
  List(u"192.168.1.20\r\n10.0.0.1\r\n192.168.1.20");
  const size_t before = q.ui.answers.size();
  Arrive(kPeer, u"192.168.1.20|ANS twice");
  EXPECT_EQ(q.ui.answers.size(), before + 2);
  EXPECT_EQ(q.ctx.history.entries[1], u"ANS twice");
  EXPECT_EQ(q.ctx.history.entries[2], u"ANS twice");

  // Only the first bar separates; the command may be Japanese.
  Arrive(kPeer, u"x|ANS a|b");
  EXPECT_EQ(Newest(), u"ANS a|b");
  Arrive(kPeer, u"x|ANS こんにちは");
  EXPECT_EQ(Last(), u"こんにちは");
}

TEST_F(LinkTest, TrustGoesByTheRealSourceNotByTheTextBeforeTheBar) {
  q.Type(u"SET MYPORT 5001");
  List(u"192.168.1.20\r\n127.0.0.1 \r\n");
  const size_t answers = q.ui.answers.size();
  const auto history = q.ctx.history.entries;
  Arrive(u"10.0.0.9", u"192.168.1.20|ANS spoofed");   // claims a listed address
  Arrive(u"127.0.0.1", u"127.0.0.1|ANS blank");       // listed only with a trailing blank
  Arrive(u"192.168.1.2", u"192.168.1.2|ANS prefix");  // a prefix of a listed line
  Arrive(kPeer, u"192.168.1.20 ANS no bar");          // no bar at all
  EXPECT_EQ(q.ui.answers.size(), answers);
  EXPECT_EQ(q.ctx.history.entries, history);
  EXPECT_TRUE(q.ui.boxes.empty());

  // The listed peer's own datagram runs whatever address it writes.
  Arrive(kPeer, u"10.9.9.9|ANS real");
  EXPECT_EQ(Last(), u"real");
}

TEST_F(LinkTest, EmptyOrUnreadableListRunsNothing) {
  q.Type(u"SET MYPORT 5001");
  const size_t answers = q.ui.answers.size();
  Arrive(kPeer, u"192.168.1.20|ANS x");  // the list start-up made is empty
  List(u"192.168.1.20\r\n");
  q.os.RemoveFile(kList);  // deleted while running
  Arrive(kPeer, u"192.168.1.20|ANS x");
  EXPECT_EQ(q.ui.answers.size(), answers);
  List(u"192.168.1.20\r\n");
  Arrive(kPeer, u"192.168.1.20|ANS back");
  EXPECT_EQ(Last(), u"back");
}

TEST_F(LinkTest, AFloodIsTakenAFewDatagramsPerTick) {
  q.Type(u"SET MYPORT 5001");
  List(u"192.168.1.20\r\n");
  for (int i = 0; i < 25; ++i) net().Arrive(kPeer, "x|ANS " + std::to_string(i));
  q.window.OnSocketReadable();
  EXPECT_EQ(Last(), u"9");
  EXPECT_FALSE(DatagramShareLeft(q.ctx)) << "the host stops watching until the next tick";
  q.window.OnSocketReadable();  // a late event of the same tick takes nothing
  EXPECT_EQ(Last(), u"9");
  q.window.Tick();
  EXPECT_EQ(Last(), u"19");
  q.window.Tick();
  EXPECT_EQ(Last(), u"24");
  EXPECT_TRUE(DatagramShareLeft(q.ctx));
  EXPECT_TRUE(net().arriving.empty());

  // Commands that take long end the share early: after 50 ms no new datagram is taken.
  q.window.Tick();
  net().Arrive(kPeer, "x|WAIT 1");
  net().Arrive(kPeer, "x|ANS later");
  q.window.OnSocketReadable();
  EXPECT_EQ(net().arriving.size(), 1u);
  q.window.Tick();
  EXPECT_EQ(Last(), u"later");
}

TEST_F(LinkTest, SocketErrorsShowTheBoxOnceEachAndTheSocketGoesOn) {
  q.Type(u"SET MYPORT 5001");
  List(u"192.168.1.20\r\n");
  net().Fail(10054);
  net().Arrive(kPeer, "x|ANS after");
  net().Fail(10054);
  q.window.OnSocketReadable();
  ASSERT_EQ(q.ui.boxes.size(), 2u);
  EXPECT_EQ(q.ui.boxes[0].text, u"えら～だって");
  EXPECT_EQ(q.ui.boxes[0].title, u"quorix");
  EXPECT_EQ(q.ui.boxes[0].style, mb::kOk | mb::kIconInformation);
  EXPECT_EQ(Last(), u"after");
  EXPECT_EQ(net().bound_port, 5001);
  // An error the event itself reports: one box, also when the read after it reports the
  // same error again; a different error that follows is a box of its own.
  q.window.Tick();
  net().Fail(10050);
  q.window.OnSocketError(10050);
  q.window.OnSocketReadable();
  EXPECT_EQ(q.ui.boxes.size(), 3u);
  net().Fail(10050);
  net().Fail(10054);
  q.window.OnSocketReadable();
  EXPECT_EQ(q.ui.boxes.size(), 5u) << "the repeat was the read right after the event only";
  q.window.Tick();
  q.window.OnSocketError(10050);
  net().Arrive(kPeer, "x|ANS again");
  net().Fail(10050);
  q.window.OnSocketReadable();
  EXPECT_EQ(q.ui.boxes.size(), 7u) << "a datagram came between: the error is a new one";
  EXPECT_EQ(Last(), u"again");
}

TEST_F(LinkTest, ExitFromAPeerEndsTheProgram) {
  q.Type(u"SET MYPORT 5001");
  List(u"192.168.1.20\r\n");
  net().Arrive(kPeer, "x|EXIT");
  EXPECT_THROW(q.window.OnSocketReadable(), AppEnding);
}

TEST_F(LinkTest, WolBroadcastsThePacketAndLeavesThePeerAlone) {
  q.Type(u"SET LINKIP 192.168.1.20");
  q.Type(u"SET LINKPORT 5001");
  q.Type(u"WOL 00-1A-2B-3C-4D-5E");
  EXPECT_EQ(Last(), u"WOL_SEND");
  EXPECT_EQ(LastTime(), 3);
  ASSERT_EQ(net().sent.size(), 1u);
  EXPECT_EQ(net().sent[0].host, u"255.255.255.255");
  EXPECT_EQ(net().sent[0].port, 9001);
  EXPECT_EQ(net().sent[0].bytes, *MagicPacket(u"00-1A-2B-3C-4D-5E"));
  EXPECT_FALSE(net().sent[0].from_bound_socket) << "works without MYPORT";

  // MYPORT is still free after it, and LINK goes to the peer as set before.
  q.Type(u"SET MYPORT 5000");
  EXPECT_EQ(Last(), u"SET_MYPORT 5000");
  q.Type(u"LINK VER");
  EXPECT_EQ(net().sent.back().host, kPeer);
  EXPECT_EQ(net().sent.back().port, 5001);
  q.Type(u"WOL 00:1a:2b:3c:4d:5e");
  EXPECT_EQ(net().sent.back().bytes, net().sent[0].bytes);
  EXPECT_TRUE(net().sent.back().from_bound_socket);

  net().send_fails = true;
  q.Type(u"WOL 00-1A-2B-3C-4D-ZZ");
  EXPECT_EQ(Last(), u"WOL_SEND");
  const size_t sent = net().sent.size();
  for (const char16_t* bad : {u"WOL 001A2B3C4D5E", u"WOL 1-22-33-44-55-66", u"WOL"}) {
    q.Type(bad);
    EXPECT_EQ(Last(), u"WOL_ERR");
    EXPECT_EQ(LastTime(), 5);
  }
  EXPECT_EQ(net().sent.size(), sent);
}

TEST_F(LinkTest, LinkListAddsAnAddressOnce) {
  q.Type(u"SET LL 192.168.1.20");
  EXPECT_EQ(Last(), u"LL_ADD 192.168.1.20");
  q.Type(u"SET LL 192.168.1.20");
  EXPECT_EQ(Last(), u"LL_ERR 192.168.1.20");
  EXPECT_EQ(LastTime(), 5);
  EXPECT_EQ(q.os.FileBytes(kList), "192.168.1.20\r\n");
  // Another case is another address; a last line without its end is ended first.
  List(u"10.0.0.1");
  q.Type(u"SET LL host");
  q.Type(u"SET LL HOST");
  EXPECT_EQ(q.os.FileBytes(kList), "10.0.0.1\r\nhost\r\nHOST\r\n");
  // A file that cannot be written is reported, not called a success.
  q.os.unwritable.insert(UpperCase(kList));
  q.Type(u"SET LL 10.0.0.2");
  EXPECT_EQ(Last(), std::u16string(u"LL_ADD-ERR 10.0.0.2 ") + kList);
  EXPECT_EQ(LastTime(), 5);
}

}  // namespace
}  // namespace qrx::test
