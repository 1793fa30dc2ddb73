// SET: one table of the names (or ranges of names) it knows and what each does.
//
// The table is the one place that knows the names: the SET command finds the row and hands
// its handler the row's section, key and answer, so the name is never tested again. Any
// group adds a sub-command by adding a row here that names its own handler.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/command_entry.h"

namespace qrx {

struct SetEntry {
  // One upper-case name, or the low end of a range of names when `high` is not empty: a
  // range takes every name from `name` to `high` in code-unit order ("0" to "9" also takes
  // "10" and "1A"), and its handler decides which of them name something.
  std::u16string_view name;
  std::u16string_view high{};
  SetHandler handler;
  std::u16string_view section{};  // where the value is stored; empty when not under one key
  std::u16string_view key{};      // the key; empty: the name is the key
  std::u16string_view answer{};   // the answer key, or the stem the handler completes
  bool typed_name = false;        // matched and handed over as typed, not upper-cased
  bool takes_empty = false;       // runs without a value too (others answer "SET_ERR2")
};

std::span<const SetEntry> SetTable();

// Every name SET takes, ranges written out ("F01" … "F15"), for Tab in the command box.
std::vector<std::u16string> SetNames();

// The first row for a name as typed, or nullptr.
const SetEntry* FindSetEntry(std::u16string_view name);

// The settings group's row of the command table: "SET name value".
std::span<const CommandEntry> SettingsCommands();

}  // namespace qrx
