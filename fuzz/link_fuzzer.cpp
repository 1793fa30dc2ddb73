// What arrives from the network and what the user types for it: received LINK datagrams, the
// link list and Wake-on-LAN addresses. The first byte of an input chooses what the rest is.
// Besides the sanitizers, every input checks:
//   - a datagram splits at its first "|" exactly, and one without "|" is refused;
//   - the lines of a link list hold no line ends, and an address is counted once for every
//     line that equals it;
//   - a wake-up packet is 102 bytes: six bytes FF, then one six-byte address sixteen times;
//   - a datagram received by a started quorix runs at most once per listed line, and never
//     from an address the list does not hold;
//   - with a key in use, a datagram runs only when the text before its first "|" is a
//     signature in the exact form, and a signed datagram that ran never runs a second time.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/text.h"
#include "commands/net/link_receive.h"
#include "commands/net/net_text.h"
#include "cpu_budget.h"
#include "fake/harness.h"
#include "interpreter/dispatcher.h"
#include "platform/posix/cp932.h"

namespace {

[[noreturn]] void Fail(const char* what, std::u16string_view text) {
  std::fprintf(stderr, "invariant broken: %s [%s]\n", what,
               qrx::Utf16ToUtf8(text.substr(0, 200)).c_str());
  std::abort();
}

void CheckDatagram(std::u16string_view text) {
  const auto parsed = qrx::ParseLinkDatagram(text);
  const size_t bar = text.find(u'|');
  if (!parsed) {
    if (bar != std::u16string_view::npos) Fail("a datagram with a bar was refused", text);
    return;
  }
  if (bar == std::u16string_view::npos) Fail("a datagram without a bar was taken", text);
  if (parsed->claimed_sender != text.substr(0, bar) || parsed->command != text.substr(bar + 1)) {
    Fail("the datagram was not split at its first bar", text);
  }
}

void CheckList(std::u16string_view list, std::u16string_view address) {
  int equal = 0;
  for (const std::u16string& line : qrx::LinkListLines(list)) {
    if (line.find_first_of(u"\r\n") != std::u16string::npos) Fail("a line holds a line end", list);
    if (line == address) ++equal;
  }
  if (qrx::CountListed(list, address) != equal) Fail("an address was miscounted", list);
}

void CheckPacket(std::u16string_view address) {
  const auto packet = qrx::MagicPacket(address);
  if (!packet) return;
  if (packet->size() != qrx::kMagicPacketSize) Fail("a packet of the wrong size", address);
  for (size_t i = 0; i < 6; ++i) {
    if (static_cast<uint8_t>((*packet)[i]) != 0xFF) Fail("the packet's head is not FF", address);
  }
  for (size_t i = 12; i < packet->size(); ++i) {
    if ((*packet)[i] != (*packet)[i - 6]) Fail("the address is not repeated", address);
  }
}

// A datagram received by a started quorix whose link list is the input's: the line runs once
// per equal line of the list, and only then.
// With `keyed`, the instance uses a key; with `sign`, the bytes are the command of a datagram
// that the input's signature signs with that key (so the checks past the tag are reached).
void CheckReceived(std::u16string_view list, std::u16string_view source, std::string_view bytes,
                   bool keyed, bool sign) {
  qrx::test::Instance q;
  q.Start(u"C:\\q\\Q.INI");
  q.os.PutFile(q.ctx.paths.link_list, q.os.ToAnsi(list));
  std::string datagram(bytes);
  if (keyed) {
    const std::string key(32, 'k');
    q.os.PutFile(u"C:\\q\\Q.KEY", key);
    q.ctx.net.key_path = u"C:\\q\\Q.KEY";
    if (sign) {
      const qrx::SignedFields fields{q.os.unix_time, std::string(qrx::kNonceSize, 'n'),
                                     q.os.HmacSha256(key, qrx::SignedMessage(q.os.unix_time,
                                                                             std::string(qrx::kNonceSize, 'n'), 0, bytes))};
      datagram = qrx::SignedPrefix(fields) + "|" + std::string(bytes);
    }
  }
  const auto before = q.ctx.history.entries;
  const size_t answers = q.ui.answers.size();
  try {
    qrx::LinkReceive(q.ctx, source, datagram);
  } catch (const qrx::AppEnding&) {
    return;
  }
  const bool ran = q.ctx.history.entries != before || q.ui.answers.size() != answers;
  const size_t bar = datagram.find('|');
  const bool runs = qrx::CountListed(list, source) > 0 && bar != std::string::npos &&
                    (!keyed || qrx::ParseSignedPrefix(std::string_view(datagram).substr(0, bar)));
  if (ran && !runs) Fail("a datagram ran that must not", q.os.FromAnsi(datagram));
  if (!keyed || !ran) return;
  const auto after = q.ctx.history.entries;
  try {
    qrx::LinkReceive(q.ctx, source, datagram);
  } catch (const qrx::AppEnding&) {
    return;
  }
  if (q.ctx.history.entries != after) Fail("a signed datagram ran twice", q.os.FromAnsi(datagram));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const qrx::fuzz::CpuBudget budget;
  const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::u16string text = qrx::Cp932Decode(rest);
  // A NUL splits the text in two where two texts are needed (list and address).
  const size_t cut = text.find(u'\0');
  const std::u16string first = text.substr(0, cut);
  const std::u16string second = cut == std::u16string::npos ? u"" : text.substr(cut + 1);
  switch (data[0] % 4) {
    case 0:
      CheckDatagram(text);
      break;
    case 1:
      CheckList(first, second);
      break;
    case 2:
      CheckPacket(text);
      break;
    default: {
      const size_t byte_cut = rest.find('\0');
      const std::string_view bytes =
          byte_cut == std::string_view::npos ? rest : rest.substr(byte_cut + 1);
      CheckReceived(first, data[0] & 4 ? u"127.0.0.1" : u"10.0.0.7", bytes, data[0] & 8,
                    data[0] & 16);
    }
  }
  budget.Check();
  return 0;
}
