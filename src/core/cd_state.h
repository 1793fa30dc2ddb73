// The state of the CD player, owned by the context.
#pragma once

#include <cstdint>
#include <string>

namespace qrx {

struct CdState {
  std::u16string alias;        // "CDDA" once CDDA OPEN has run; the poll names this device
  int16_t repeat = 0;          // 1 while a track repeats: the tick then polls the device
  std::u16string repeat_play;  // the MCI string that plays the repeated track
  std::u16string mode;         // the last mode the poll read ("playing", "stopped", ...)
};

}  // namespace qrx
