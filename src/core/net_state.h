// The state of the link messaging and Wake-on-LAN: the socket, the peer settings, and what
// the receiver keeps to judge and hold arriving datagrams.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/platform.h"

namespace qrx {

// A received line that passed every check and waits until the user has answered a question.
struct WaitingLine {
  std::u16string command;
  int runs = 1;  // once per line of the link list that names the sender
};

struct NetState {
  std::unique_ptr<UdpSocket> socket;  // opened on first use, kept until the end
  std::u16string remote_host;         // LINKIP: where LINK sends
  int16_t remote_port = 9001;         // LINKPORT
  uint8_t bound = 0;                  // 1 once MYPORT has bound the socket
  int16_t bound_port = 0;

  // Received datagrams are taken a few per tick; the rest wait in the socket's buffer.
  // Datagrams that will not run are dropped without using up the share, but within its time.
  int16_t taken_this_tick = 0;
  uint32_t share_started_ms = 0;  // clock when this share's first line began
  bool held_back = false;   // the share ran out while datagrams may still be waiting
  int32_t event_error = 0;  // an error the arrival event showed; the next read may repeat it

  // The link list as last read, read again only when the file's stamp changed.
  std::optional<FileStamp> list_stamp;
  std::vector<std::u16string> list_lines;
  bool in_batch = false;        // ReceiveDatagrams is taking datagrams
  bool list_looked_at = false;  // the file's stamp was compared during this batch

  // SET LINKKEY: the key file in use (empty: plain datagrams, as peers without a key send)
  // and its bytes once read; a file that cannot be used leaves `key` empty, and then every
  // datagram is refused until it can be read (tried again once per tick).
  std::u16string key_path;
  std::optional<std::string> key;
  bool key_tried = false;
  // Nonces of accepted signed datagrams with their sending times, kept while a datagram
  // with that time would still pass the clock check.
  std::unordered_map<std::string, int64_t> nonces_seen;
  int64_t nonces_swept = 0;  // UnixTime of the last sweep of a full cache

  // Datagrams refused (or dropped from a full waiting queue) since the last report, the
  // address the last one came from, and the clock of the last report.
  int32_t refused = 0;
  std::u16string refused_from;
  std::optional<uint32_t> refused_reported_ms;

  // Lines received while the user is being asked something, in order of arrival.
  std::deque<WaitingLine> waiting;
};

}  // namespace qrx
