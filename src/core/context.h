// The one object that owns every piece of process-wide state of a quorix instance.
//
// The entry point makes one; every routine takes it by reference. Tests make as many as
// they like, each with its own fake platform, so no state is ever shared between them.
#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/asking_host.h"
#include "core/calc_state.h"
#include "core/cd_state.h"
#include "core/command_entry.h"
#include "core/main_form.h"
#include "core/net_state.h"
#include "core/program_index_state.h"
#include "core/timer_state.h"
#include "platform/platform.h"

namespace qrx {

// Facts about the running program, fixed at start-up.
struct AppInfo {
  std::u16string product_name = u"quorix";
  std::u16string version;  // major "." minor, for example "0.50"
};

// The configuration file and the files derived from it; set once by start-up.
struct ConfigPaths {
  std::u16string config;            // QRX_CORE.INI or the file named on the command line
  std::u16string link_list;         // .LKD
  std::u16string message;           // .MSG, this installation's catalogue
  std::u16string skin;              // .SKN
  std::u16string default_messages;  // DEF.MSG beside the executable
  std::u16string program_index;     // .IDX
};

// Command lines typed by the user: entry 0 is always empty, 1 the newest, 9 the oldest.
struct HistoryState {
  std::array<std::u16string, 10> entries;
  int16_t index = 0;  // recall position; 0 = nothing recalled
};

struct InterpreterState {
  int16_t direct_mode = 0;                // 1: unknown words are launched as programs
  int16_t in_alias = 0;                   // 1 while an alias's command line runs
  std::u16string alias_arguments;         // rest of the line handed to an alias
  std::u16string command_file_arguments;  // $L: the arguments of the last LBAT
  int depth = 0;                          // nesting of command lines now running
  // The command table, handed over at start-up; the first row with the word wins.
  std::vector<CommandEntry> commands;
  // The names SET takes, handed over at start-up with the command table (for Tab).
  std::vector<std::u16string> set_names;
  // Aliases in the order of the file; names compared without regard to case.
  std::vector<std::pair<std::u16string, std::u16string>> aliases;
  std::mt19937 random{0};  // seeded from the clock at interpreter start
};

struct AnswerState {
  std::u16string text;                    // the current answer, as shown
  std::array<std::u16string, 10> params;  // #A .. #J
  int16_t last_ok = 0;                    // -1 after a normal answer, 0 after an error
  int16_t normal_time = 3;
  int16_t error_time = 5;
};

// Function keys and the global hot key.
struct KeyState {
  std::array<std::u16string, 15> function_keys;  // F1 .. F15
  int16_t function_key_modifiers = 0;            // FPU: Shift 1 + Ctrl 2 + Alt 4
  // Per function key, for one run per press: the system-wide poll has seen the key down
  // since it was last up, and the press has run its command (from the window or the poll).
  std::array<bool, 15> function_key_seen{};
  std::array<bool, 15> function_key_ran{};
  uint8_t active_key_registered = 0;
  // The hot key that another program held when it was registered ("Ctrl+Alt+Home"), or empty.
  std::u16string active_key_refused;
};

// Settings loaded from the configuration file and changed by SET.
struct Settings {
  std::array<std::u16string, 10> variables;  // $0 .. $9
  int16_t random_range = 0;                  // RND
  int16_t random_digits = 0;                 // FIG
  int16_t pos_type = 0;                      // PosType
  uint8_t debug = 0;                         // DEBUG
  uint8_t move = 1;                          // MOVE
  uint8_t clip_watch = 0;                    // CLIPFLG
};

struct Context {
  Context(Platform& os_in, UiHost& ui_in) : os(os_in), ui(ui_in) {}
  Context(const Context&) = delete;
  Context& operator=(const Context&) = delete;

  Platform& os;
  AskingHost ui;  // the host's boxes, counted while they wait for the user
  NoMainForm no_main_form;              // stands in until the host attaches its window
  MainForm* main_form = &no_main_form;  // the plain or the skinned main window; never null

  AppInfo app;
  ConfigPaths paths;
  InterpreterState interp;
  HistoryState history;
  KeyState keys;
  AnswerState answer;
  Settings settings;
  TimerState timers;
  CalcState calc;
  CdState cd;
  NetState net;
  ProgramIndexState index;
  bool end_sequence_done = false;  // the end sequence runs once per run
  // Files whose write-failure box the current command line (or start-up, or the end
  // sequence) has shown already.
  std::vector<std::u16string> write_failure_boxes;
};

}  // namespace qrx
