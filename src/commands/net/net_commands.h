// Commands over the network: LINK messages to trusted peers, Wake-on-LAN, and the link
// settings of SET.
#pragma once

#include <span>
#include <string_view>

#include "core/command_entry.h"

namespace qrx {

class UdpSocket;

// The network group's rows of the command table: LINK and WOL.
std::span<const CommandEntry> NetCommands();

// SET LINKIP, LINKPORT and MYPORT (each answers with its row's answer key), and SET LL.
void SetLinkIp(Context& ctx, const SetCall& call);
void SetLinkPort(Context& ctx, const SetCall& call);
void SetMyPort(Context& ctx, const SetCall& call);
void SetLinkListAdd(Context& ctx, const SetCall& call);
// SET LINKKEY NEW | OFF | <key file>.
void SetLinkKey(Context& ctx, const SetCall& call);

// The socket of the main window, opened (and handed to the host's event loop) on first use.
UdpSocket& NetSocket(Context& ctx);

// Sends the wake-up packet for a hardware address to every machine of the local network.
// 0 when it was sent (or the send was attempted), -1 when the address text was rejected.
int WolSend(Context& ctx, std::u16string_view address);

}  // namespace qrx
