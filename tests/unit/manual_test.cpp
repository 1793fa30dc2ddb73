// The manual, docs/commands.md, and its Japanese twin docs/commands.ja.md: the words of the
// command table are exactly the words of their headings, and the SET names they list are names
// the routing knows, the same in both.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "base/text.h"
#include "commands/registry.h"
#include "commands/settings/set_table.h"

namespace qrx {
namespace {

std::vector<std::string> Lines(const std::string& name) {
  std::ifstream in(std::string(QRX_SOURCE_DIR) + "/docs/" + name);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The command words of the "### N. WORD, WORD" headings.
std::set<std::string> HeadingWords(const std::vector<std::string>& lines) {
  std::set<std::string> words;
  for (const auto& line : lines) {
    if (line.rfind("### ", 0) != 0) continue;
    const size_t number_end = line.find(". ");
    if (number_end == std::string::npos) continue;
    std::string rest;
    for (char c : line.substr(number_end + 2)) {
      if (c != '`') rest += c;
    }
    std::istringstream parts(rest);
    for (std::string word; std::getline(parts, word, ',');) {
      const size_t first = word.find_first_not_of(' ');
      if (first != std::string::npos) words.insert(word.substr(first));
    }
  }
  return words;
}

// The names in the first column of the SET section's table: the first word of the row's first
// code span, and of the second one in a range row ("`0` … `9`"). Example rows ("`SET 3 abc`")
// are left out.
std::vector<std::string> SetNames(const std::vector<std::string>& lines) {
  std::vector<std::string> names;
  bool in_set = false;
  for (const auto& line : lines) {
    if (line.rfind("### ", 0) == 0) in_set = line.find(". SET") != std::string::npos;
    if (!in_set || line.rfind("| `", 0) != 0) continue;
    const std::string cell = line.substr(2, line.find(" |", 2) - 2);
    std::vector<std::string> spans;
    for (size_t open = cell.find('`'); open != std::string::npos;
         open = cell.find('`', cell.find('`', open + 1) + 1)) {
      const size_t close = cell.find('`', open + 1);
      if (close == std::string::npos) break;
      const std::string span = cell.substr(open + 1, close - open - 1);
      spans.push_back(span.substr(0, span.find(' ')));
    }
    if (spans.empty() || spans[0] == "SET") continue;
    names.push_back(spans[0]);
    if (spans.size() > 1 && cell.find("…") != std::string::npos) names.push_back(spans[1]);
  }
  return names;
}

class Manual : public ::testing::TestWithParam<const char*> {};

TEST_P(Manual, HasAHeadingForEveryWordOfTheCommandTableAndNoOther) {
  const auto lines = Lines(GetParam());
  ASSERT_FALSE(lines.empty()) << GetParam() << " is missing";
  std::set<std::string> words;
  for (const auto& entry : CommandTable()) {
    for (auto word : entry.words) {
      if (!word.empty()) words.insert(Utf16ToUtf8(word));
    }
  }
  EXPECT_EQ(HeadingWords(lines), words) << GetParam();
}

TEST_P(Manual, ListsOnlySetNamesTheRoutingKnows) {
  const auto names = SetNames(Lines(GetParam()));
  ASSERT_FALSE(names.empty()) << GetParam();
  for (const auto& name : names) {
    EXPECT_NE(FindSetEntry(Utf8ToUtf16(name)), nullptr) << name << " in " << GetParam();
  }
}

INSTANTIATE_TEST_SUITE_P(Languages, Manual, ::testing::Values("commands.md", "commands.ja.md"));

TEST(Manual, BothLanguagesListTheSameSetNames) {
  EXPECT_EQ(SetNames(Lines("commands.md")), SetNames(Lines("commands.ja.md")));
}

}  // namespace
}  // namespace qrx
