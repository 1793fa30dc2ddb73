#include "commands/settings/set_table.h"

#include <gtest/gtest.h>

#include "base/text.h"

namespace qrx {
namespace {

TEST(SetTableTest, NamesFindTheirRowsInOrder) {
  // The row a SET name finds, by the row's first name; "(none)" for SET_ERR1. "9z" sorts after
  // "9"; "FIG" is not in the function keys' range.
  const std::pair<const char16_t*, const char16_t*> cases[] = {
      {u"linkip", u"LINKIP"}, {u"ll", u"LL"},     {u"clip", u"CLIP"},
      {u"3", u"0"},           {u"10", u"0"},      {u"1a", u"0"},
      {u"0", u"0"},           {u"9z", u"(none)"}, {u"f01", u"F01"},
      {u"F1", u"F01"},        {u"F10X", u"F01"},  {u"f15", u"F01"},
      {u"F16A", u"(none)"},   {u"fig", u"FIG"},   {u"fpu", u"FPU"},
      {u"timer1", u"TIMER1"}, {u"text", u"TEXT"}, {u"activekey", u"ACTIVEKEY"},
      {u"move", u"MOVE"},     {u"a1", u"(none)"},
  };
  for (const auto& [name, row] : cases) {
    const SetEntry* found = FindSetEntry(name);
    EXPECT_EQ(found == nullptr ? u"(none)" : std::u16string(found->name), row) << Utf16ToUtf8(name);
  }
}

TEST(SetTableTest, NoNameFallsIntoARangeOrARowBeforeItsOwn) {
  // Each single name finds its own row, so the order of the rows decides nothing for it.
  for (const SetEntry& row : SetTable()) {
    if (row.high.empty()) {
      EXPECT_EQ(FindSetEntry(row.name), &row) << Utf16ToUtf8(row.name);
    }
  }
}

}  // namespace
}  // namespace qrx
