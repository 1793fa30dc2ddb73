// LINK, WOL and the link settings of SET: command lines sent between copies over UDP, and
// wake-up packets.
#pragma once

#include <cstdint>
#include <string_view>

namespace qrx {

struct Context;
class UdpSocket;

// The socket of the main window, opened (and handed to the host's event loop) on first use.
UdpSocket& NetSocket(Context& ctx);

// LINK: sends "own address|text" to the peer set with LINKIP and LINKPORT.
void LinkSend(Context& ctx, std::u16string_view text);

// SET LINKIP, SET LINKPORT and SET MYPORT: `word` upper-cased, `value` not empty.
void LinkSettings(Context& ctx, std::u16string_view word, std::u16string_view value);

// SET LL: adds an address to the link list file, once.
void LinkListAdd(Context& ctx, std::u16string_view value);

// Sends the wake-up packet for a hardware address to every machine of the local network.
// 0 when it was sent (or the send was attempted), -1 when the address text was rejected.
int WolSend(Context& ctx, std::u16string_view address);

// WOL: WolSend, then its answer.
void WolCommand(Context& ctx, std::u16string_view address);

}  // namespace qrx
