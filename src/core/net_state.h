// The state of the link messaging and Wake-on-LAN: the socket and the peer settings.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/platform.h"

namespace qrx {

struct NetState {
  std::unique_ptr<UdpSocket> socket;  // opened on first use, kept until the end
  std::u16string remote_host;         // LINKIP: where LINK sends
  int16_t remote_port = 9001;         // LINKPORT
  uint8_t bound = 0;                  // 1 once MYPORT has bound the socket
  int16_t bound_port = 0;

  // Received datagrams are taken a few per tick; the rest wait in the socket's buffer.
  int16_t taken_this_tick = 0;
  uint32_t share_started_ms = 0;  // clock when the first datagram of this share was taken
  bool held_back = false;         // the share ran out while datagrams may still be waiting
  int32_t event_error = 0;        // an error the arrival event showed; the next read may repeat it
};

}  // namespace qrx
