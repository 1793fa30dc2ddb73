// Receiving LINK datagrams: a command line from a trusted peer runs as if typed.
//
// Trust goes by the address a datagram really came from, never by the address its text
// claims: anyone who can reach the port could write a listed address there. With a key in
// use (SET LINKKEY) a datagram must also carry a valid signature, a time within a minute of
// this machine's clock and a nonce not seen before, so that neither a forged source address
// nor a captured datagram sent again runs anything.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qrx {

struct Context;

// How many received lines one tick runs at most, and for how long it goes on taking
// datagrams; the rest wait in the socket's buffer (which drops what overflows) for the next
// tick. Datagrams that will not run do not use up the count, only the time.
inline constexpr int16_t kDatagramsPerTick = 10;
inline constexpr uint32_t kDatagramShareMs = 50;
// A signed datagram's time may differ this much from the receiver's clock.
inline constexpr int64_t kClockWindowSeconds = 60;
// Nonces remembered at most; when all are still within the clock window, further signed
// datagrams are refused rather than risking a replay.
inline constexpr size_t kNoncesKept = 4096;
// Lines that wait while the user is being asked something; more are dropped and counted.
inline constexpr size_t kWaitingLines = 16;
// Refused datagrams are reported at most this often.
inline constexpr uint32_t kRefusedReportMs = 60000;

// One datagram from `source` (dotted address). It runs, recorded in the history, once per
// line of the link list that equals `source`, when it holds a "|" and, with a key in use, its
// signature holds; while the user is being asked something it waits instead. True when it
// ran now.
bool LinkReceive(Context& ctx, std::u16string_view source, std::string_view bytes);

// Runs the lines that waited for the user, unless the user is still being asked; then takes
// what waits in the socket, datagram by datagram (errors show their box), until none is left
// or this tick's share is used up.
void ReceiveDatagrams(Context& ctx);

// A new tick: a new share; refused datagrams are reported when due, and what waited is
// taken now.
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
