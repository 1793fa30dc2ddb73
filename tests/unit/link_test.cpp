// LINK, WOL and the link settings on the fake network, driven as a user would.
#include <gtest/gtest.h>

#include "base/text.h"
#include "commands/net/link_receive.h"
#include "commands/net/net_text.h"
#include "fake/harness.h"
#include "interpreter/dispatcher.h"
#include "platform/platform.h"

namespace qrx::test {
namespace {

// Every answer shows its key and the parameters it uses.
constexpr char16_t kMessages[] =
    u"[SET]\r\nLINKIP=SET_LINKIP #A\r\nLINKPORT=SET_LINKPORT #A\r\nMYPORT=SET_MYPORT #A\r\n"
    u"MYPORT-ERR=SET_MYPORT-ERR #A (#B)\r\nMYPORT-BOUND=bound\r\nMYPORT-RANGE=range\r\n"
    u"LINKKEY=SET_LINKKEY #A\r\nLINKKEY-NEW=SET_LINKKEY-NEW #A\r\nLINKKEY-OFF=SET_LINKKEY-OFF\r\n"
    u"LINKKEY-ERR=SET_LINKKEY-ERR #A (#B)\r\n"
    u"[LINK]\r\nSEND=LINK_SEND #A/#B\r\nERR=LINK_ERR\r\nKEY-ERR=LINK_KEY-ERR #A (#B)\r\n"
    u"KEY-UNREADABLE=unreadable\r\nKEY-SHORT=short\r\nKEY-RANDOM=random\r\nKEY-WRITE=write\r\n"
    u"REFUSED=LINK_REFUSED #A #B\r\n"
    u"[LL]\r\nADD=LL_ADD #A\r\nERR=LL_ERR #A\r\nADD-ERR=LL_ADD-ERR #A (#B)\r\n"
    u"ADD-ADDRESS=address\r\nADD-UNICAST=unicast\r\nADD-WRITE=write #A\r\n"
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
  q.Type(u"SET LINKIP 192.168.1.20");
  q.Type(u"LINK VER");
  EXPECT_EQ(Last(), u"LINK_ERR") << "refused before MYPORT";
  EXPECT_EQ(LastTime(), 5);
  EXPECT_EQ(q.ui.watched_socket, nullptr) << "the socket is opened on first use";
  q.Type(u"SET MYPORT 5000");
  EXPECT_EQ(Last(), u"SET_MYPORT 5000");
  EXPECT_EQ(net().bound_port, 5000);
  EXPECT_EQ(q.ui.watched_socket, q.ctx.net.socket.get()) << "watched from then on";
  q.Type(u"LINK VER");
  EXPECT_EQ(net().sent.at(0).port, 9001) << "the peer port until LINKPORT sets it";
  q.Type(u"set linkport 5001");
  EXPECT_EQ(Last(), u"SET_LINKPORT 5001");
  q.Type(u"LINK VER");
  ASSERT_EQ(net().sent.size(), 2u);
  const auto& sent = net().sent[1];
  EXPECT_EQ(Utf16ToUtf8(sent.host) + ":" + std::to_string(sent.port) + " " + sent.bytes,
            "192.168.1.20:5001 192.168.1.10|VER");
  EXPECT_TRUE(sent.from_bound_socket);
  EXPECT_EQ(Last(), u"LINK_SEND VER/192.168.1.10|");
  EXPECT_EQ(LastTime(), 3);

  // The text goes as typed, in code page 932, further bars included.
  q.Type(u"LINK ANS 日本語|x  y");
  EXPECT_EQ(net().sent.back().bytes, "192.168.1.10|ANS \x93\xfa\x96\x7b\x8c\xea|x  y");
  // Send failures are not reported; a port below 1 cannot be sent to: nothing leaves.
  net().send_fails = true;
  q.Type(u"LINK VER");
  EXPECT_EQ(Last(), u"LINK_SEND VER/192.168.1.10|");
  q.Type(u"SET LINKPORT 0");
  q.Type(u"LINK VER");
  EXPECT_EQ(Last(), u"LINK_SEND VER/192.168.1.10|");
  EXPECT_EQ(net().sent.size(), 4u);
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
}

TEST_F(LinkTest, ListedSenderRunsAsTypedWithEnterOncePerMatchingLine) {
  q.Type(u"SET MYPORT 5001");
  List(u"10.0.0.1\r\n192.168.1.20\r\n");
  q.ui.command = u"half typed";
  Arrive(kPeer, u"192.168.1.20|ANS hello");
  EXPECT_EQ(Last(), u"hello");
  EXPECT_EQ(Newest(), u"ANS hello");
  EXPECT_EQ(q.ui.command, u"half typed") << "the user's line stays";

  // Listed twice: runs twice.
  List(u"192.168.1.20\r\n10.0.0.1\r\n192.168.1.20");
  const size_t before = q.ui.answers.size();
  Arrive(kPeer, u"192.168.1.20|ANS twice");
  EXPECT_EQ(q.ui.answers.size(), before + 2);
  EXPECT_EQ(q.ctx.history.entries[2], u"ANS twice");

  Arrive(kPeer, u"x|ANS こんにちは");  // read in code page 932
  EXPECT_EQ(Last(), u"こんにちは");
  net().Arrive(kPeer, "x|EXIT");  // EXIT from a peer ends the program
  EXPECT_THROW(q.window.OnSocketReadable(), AppEnding);
}

TEST_F(LinkTest, TrustGoesByTheRealSourceNotByTheTextBeforeTheBarAndByAReadableList) {
  q.Type(u"SET MYPORT 5001");
  List(u"192.168.1.20\r\n127.0.0.1 \r\n0.0.0.0\r\n");
  const size_t answers = q.ui.answers.size();
  const auto history = q.ctx.history.entries;
  Arrive(u"0.0.0.0", u"0.0.0.0|ANS nobody sends from here");  // listed, but no sender
  Arrive(u"10.0.0.9", u"192.168.1.20|ANS spoofed");           // claims a listed address
  Arrive(u"127.0.0.1", u"127.0.0.1|ANS blank");               // listed only with a trailing blank
  Arrive(u"192.168.1.2", u"192.168.1.2|ANS prefix");          // a prefix of a listed line
  Arrive(kPeer, u"192.168.1.20 ANS no bar");                  // no bar at all
  EXPECT_EQ(q.ui.answers.size(), answers);
  EXPECT_EQ(q.ctx.history.entries, history);
  EXPECT_TRUE(q.ui.boxes.empty());

  // The listed peer's own datagram runs whatever address it writes.
  Arrive(kPeer, u"10.9.9.9|ANS real");
  EXPECT_EQ(Last(), u"real");
  List(u"");
  Arrive(kPeer, u"192.168.1.20|ANS x");  // an empty list runs nothing
  q.os.RemoveFile(kList);                // nor does one deleted while running
  Arrive(kPeer, u"192.168.1.20|ANS x");
  EXPECT_EQ(Last(), u"real");
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

  // Datagrams that run nothing take no place in the share: a flood from an unlisted address
  // does not keep the listed peer out.
  q.window.Tick();
  for (int i = 0; i < 200; ++i) {
    net().Arrive(u"10.6.6.6", "x|ANS flood");
    if (i % 40 == 0) net().Arrive(kPeer, "x|ANS peer-" + std::to_string(i / 40));
  }
  q.window.OnSocketReadable();
  EXPECT_EQ(Last(), u"peer-4");
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

TEST_F(LinkTest, WolLeavesMyPortAndThePeerAlone) {
  q.Type(u"SET LINKIP 192.168.1.20");
  q.Type(u"SET LINKPORT 5001");
  q.Type(u"WOL 00-1A-2B-3C-4D-5E");  // the packet itself: link_native.py
  EXPECT_EQ(Last(), u"WOL_SEND");
  // MYPORT is still free after it, and LINK goes to the peer as set before.
  q.Type(u"SET MYPORT 5000");
  EXPECT_EQ(Last(), u"SET_MYPORT 5000");
  q.Type(u"LINK VER");
  EXPECT_EQ(net().sent.back().host + u":" + Decimal(net().sent.back().port), u"192.168.1.20:5001");
  q.Type(u"WOL 001A2B3C4D5E");
  EXPECT_EQ(Last(), u"WOL_ERR");
  EXPECT_EQ(LastTime(), 5);
  EXPECT_EQ(net().sent.size(), 2u);
}

TEST_F(LinkTest, LinkListAddsOneSenderAddressOnce) {
  q.Type(u"SET LL 192.168.1.20");
  EXPECT_EQ(Last(), u"LL_ADD 192.168.1.20");
  q.Type(u"SET LL 192.168.1.20");
  EXPECT_EQ(Last(), u"LL_ERR 192.168.1.20");
  EXPECT_EQ(LastTime(), 5);
  EXPECT_EQ(q.os.FileBytes(kList), "192.168.1.20\r\n");
  // Only what a datagram can come from (the forms: SenderAddressFault); the list stays.
  q.ctx.settings.variables[1] = u"10.0.0.1 10.0.0.2";
  q.Type(u"SET LL $1");
  EXPECT_EQ(Last(), u"LL_ADD-ERR 10.0.0.1 10.0.0.2 (address)");
  q.Type(u"SET LL \"10.0.0.1 \"");
  EXPECT_EQ(Last(), u"LL_ADD-ERR \"10.0.0.1 \" (address)");
  q.Type(u"SET LL 224.0.0.251");
  EXPECT_EQ(Last(), u"LL_ADD-ERR 224.0.0.251 (unicast)");
  EXPECT_EQ(q.os.FileBytes(kList), "192.168.1.20\r\n");
  // A last line without its end is ended first.
  List(u"10.0.0.1");
  q.Type(u"SET LL 10.0.0.2");
  EXPECT_EQ(q.os.FileBytes(kList), "10.0.0.1\r\n10.0.0.2\r\n");
  // A file that cannot be written is reported, not called a success.
  q.os.unwritable.insert(UpperCase(kList));
  q.Type(u"SET LL 10.0.0.3");
  EXPECT_EQ(Last(), std::u16string(u"LL_ADD-ERR 10.0.0.3 (write ") + kList + u")");
  EXPECT_EQ(LastTime(), 5);
}

// --- signed datagrams ----------------------------------------------------------------------

constexpr char16_t kKeyFile[] = u"C:\\quorix\\shared.key";
const std::string kKey(32, 'k');

TEST_F(LinkTest, KeyFileIsMadeChosenOrDroppedAndOnlyItsPathIsStored) {
  q.Type(u"SET LINKKEY NEW");
  const std::u16string made = u"C:\\quorix\\QRX_CORE.KEY";
  EXPECT_EQ(Last(), u"SET_LINKKEY-NEW " + made);
  // Its size and owner-only mode: link_native.py.
  EXPECT_EQ(q.Config(u"SET", u"LINKKEY"), made);

  q.os.PutFile(kKeyFile, kKey);
  q.os.PutFile(u"C:\\quorix\\short.key", std::string(15, 's'));
  const std::pair<const char16_t*, std::u16string> cases[] = {
      {u"SET LINKKEY shared.key", std::u16string(u"SET_LINKKEY ") + kKeyFile},
      {u"SET LINKKEY C:\\quorix\\none.key", u"SET_LINKKEY-ERR C:\\quorix\\none.key (unreadable)"},
      {u"SET LINKKEY short.key", u"SET_LINKKEY-ERR C:\\quorix\\short.key (short)"},
  };
  for (const auto& [line, answer] : cases) {
    q.Type(line);
    EXPECT_EQ(Last(), answer);
  }
  EXPECT_EQ(q.Config(u"SET", u"LINKKEY"), kKeyFile) << "a refused file changes nothing";
  q.os.crypto.random_fails = true;
  q.Type(u"SET LINKKEY new");
  EXPECT_EQ(Last(), u"SET_LINKKEY-ERR " + made + u" (random)");

  // A key file that went away: LINK sends nothing rather than a plain datagram.
  q.Type(u"SET MYPORT 5000");
  q.Type(u"SET LINKIP 192.168.1.20");
  q.os.RemoveFile(kKeyFile);
  q.Type(u"LINK VER");
  EXPECT_EQ(Last(), std::u16string(u"LINK_KEY-ERR ") + kKeyFile + u" (unreadable)");
  EXPECT_TRUE(net().sent.empty());
  q.Type(u"SET LINKKEY OFF");
  EXPECT_EQ(q.Config(u"SET", u"LINKKEY"), u"(missing)");
  q.Type(u"LINK VER");
  ASSERT_EQ(net().sent.size(), 1u);
  EXPECT_EQ(net().sent[0].bytes, "192.168.1.10|VER");
}

// A receiver on port 5001 that starts with a key file in its configuration and lists the
// peer; `Signed` makes what a peer with a key sends it.
class SignedLinkTest : public LinkTest {
 protected:
  void SetUp() override {
    q.os.PutFile(kKeyFile, kKey);
    q.os.PutFile(u"C:\\quorix\\QRX_CORE.INI",
                 "[SYSTEM]\r\nVersion=0.50\r\n[SET]\r\nLINKKEY=C:\\quorix\\shared.key\r\n");
    LinkTest::SetUp();
    q.Type(u"SET MYPORT 5001");
    List(u"192.168.1.20\r\n");
    peer.PutDefaultMessages(kMessages);
    peer.Start();
    peer.os.PutFile(kKeyFile, kKey);
    peer.Type(u"SET MYPORT 5000");
    peer.Type(u"SET LINKIP 192.168.1.10");
    peer.Type(u"SET LINKKEY shared.key");
  }
  std::string Signed(std::u16string_view command, int64_t clock_shift = 0, int port = 5001) {
    peer.os.unix_time = q.os.unix_time + clock_shift;
    peer.Type(u"SET LINKPORT " + Decimal(port));
    peer.Type(u"LINK " + std::u16string(command));
    return peer.os.network.sent.back().bytes;
  }
  Instance peer;
};

TEST_F(SignedLinkTest, ASignedLineRunsOnceAndHostileOnesAreReportedOnceAMinute) {
  std::string forged_tag = Signed(u"ANS x");
  forged_tag[forged_tag.find('|') - 1] ^= 1;
  std::string changed_command = Signed(u"ANS x");
  changed_command.back() = 'y';
  peer.os.PutFile(kKeyFile, std::string(32, 'o'));
  const std::string other_key = Signed(u"ANS x");
  peer.os.PutFile(kKeyFile, kKey);
  const std::tuple<const char*, std::u16string, std::string> cases[] = {
      {"plain", kPeer, "192.168.1.20|ANS x"},
      {"signed, from an unlisted address", u"10.9.0.66", Signed(u"ANS x")},
      {"forged tag", kPeer, forged_tag},
      {"changed command", kPeer, changed_command},
      {"another key", kPeer, other_key},
      {"clock 120 s behind", kPeer, Signed(u"ANS x", -120)},
      {"clock 61 s ahead", kPeer, Signed(u"ANS x", 61)},
      {"for another port", kPeer, Signed(u"ANS x", 0, 5002)},
      {"no bar", kPeer, "QRX1 1 2 3"},
  };
  const size_t answers = q.ui.answers.size();
  for (const auto& [name, source, bytes] : cases) {
    net().Arrive(source, bytes);
    q.window.OnSocketReadable();
    EXPECT_EQ(q.ui.answers.size(), answers) << name;
  }
  // Within the clock window it runs, once: a copy captured and sent again is refused.
  const std::string in_time = Signed(u"ANS in-time-日本語", 60);
  net().Arrive(kPeer, in_time);
  net().Arrive(kPeer, in_time);
  q.window.OnSocketReadable();
  EXPECT_EQ(Newest(), u"ANS in-time-日本語");
  EXPECT_EQ(q.ctx.history.entries[2], u"SET MYPORT 5001") << "once";
  q.window.Tick();
  EXPECT_EQ(Last(), u"LINK_REFUSED 10 192.168.1.20");
  EXPECT_EQ(LastTime(), 5);
  Arrive(u"10.9.0.66", u"x|ANS x");
  q.os.tick += 59000;
  q.window.Tick();
  EXPECT_EQ(Last(), u"LINK_REFUSED 10 192.168.1.20") << "not again within the minute";
  q.os.tick += 1000;
  q.window.Tick();
  EXPECT_EQ(Last(), u"LINK_REFUSED 1 10.9.0.66");
  // A receiver without a key runs the signed line as well.
  Instance plain;
  plain.Start();
  plain.Type(u"SET MYPORT 5001");
  plain.os.PutFile(kList, "192.168.1.20\r\n");
  plain.os.network.Arrive(kPeer, in_time);
  plain.window.OnSocketReadable();
  EXPECT_EQ(plain.ui.LastAnswer(), u"in-time-日本語");
}

// That a received line waits for the user's answer to a question is in link_native.py; here
// the full queue drops what comes on and counts it.
TEST_F(LinkTest, ReceivedLinesWaitUntilTheUserHasAnswered) {
  q.Type(u"SET MYPORT 5001");
  List(u"192.168.1.20\r\n");
  q.ui.while_box_open = [&] {
    for (int i = 0; i < 20; ++i) net().Arrive(kPeer, "x|ANS w" + std::to_string(i));
    q.window.OnSocketReadable();
  };
  q.Type(u"MBOX wait");
  EXPECT_EQ(q.ctx.net.waiting.size(), kWaitingLines);
  q.window.Tick();
  q.window.Tick();
  EXPECT_EQ(q.ctx.history.entries[1], u"ANS w15");
  EXPECT_EQ(q.ui.answers[q.ui.answers.size() - 17].text, u"LINK_REFUSED 4 192.168.1.20");
}

}  // namespace
}  // namespace qrx::test
