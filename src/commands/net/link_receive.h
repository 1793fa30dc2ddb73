// Receiving LINK datagrams: a command line from a trusted peer runs as if typed.
//
// Trust goes by the address a datagram really came from, never by the address its text
// claims: anyone who can reach the port could write a listed address there.
#pragma once

#include <cstdint>
#include <string_view>

namespace qrx {

struct Context;

// How many datagrams one tick takes at most, and for how long it goes on taking them; the
// rest wait in the socket's buffer (which drops what overflows) for the next tick.
inline constexpr int16_t kDatagramsPerTick = 10;
inline constexpr uint32_t kDatagramShareMs = 50;

// One datagram from `source` (dotted address): when it holds a "|", the text after the first
// one is recorded in the history and run, once per line of the link list that equals
// `source`. Anything else is dropped without an answer.
void LinkReceive(Context& ctx, std::u16string_view source, std::string_view bytes);

// Takes what waits in the socket, datagram by datagram (errors show their box), until none
// is left or this tick's share is used up.
void ReceiveDatagrams(Context& ctx);

// A new tick: a new share, and what the last share left waiting is taken now.
void NewDatagramShare(Context& ctx);

// False while this tick's share is used up: until the next tick the socket need not be
// watched.
bool DatagramShareLeft(const Context& ctx);

// An error the socket reported: the information box, once per error. The socket stays.
void ShowSocketError(Context& ctx);

// An error that the arrival event itself reports (`code`, the OS's): its box. The read that
// follows the event may report the same error again; that read shows no second box.
void SocketErrorEvent(Context& ctx, int32_t code);

}  // namespace qrx
