// The manual, docs/commands.md, and its Japanese twin docs/commands.ja.md: the words of the
// command table are exactly the words of their headings, and the SET names they list are names
// the routing knows, the same in both.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
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
  static const std::regex heading(R"(### .*?\. (.*))"), word("[^, ][^,]*");
  std::set<std::string> words;
  for (const auto& line : lines) {
    std::smatch m;
    if (!std::regex_match(line, m, heading)) continue;
    std::string rest = m[1];
    std::erase(rest, '`');
    for (std::sregex_iterator w(rest.begin(), rest.end(), word), end; w != end; ++w) {
      words.insert(w->str());
    }
  }
  return words;
}

// The first word of the first code span in the SET table's rows, and of the second one in a
// range row ("`0` … `9`"); example rows ("`SET 3 abc`") are left out.
std::vector<std::string> SetNames(const std::vector<std::string>& lines) {
  static const std::regex span("`([^` ]*)[^`]*`");
  std::vector<std::string> names;
  bool in_set = false;
  for (const auto& line : lines) {
    if (line.starts_with("### ")) in_set = line.find(". SET") != std::string::npos;
    if (!in_set || !line.starts_with("| `")) continue;
    const std::string cell = line.substr(2, line.find(" |", 2) - 2);
    std::vector<std::string> spans;
    for (std::sregex_iterator m(cell.begin(), cell.end(), span), end; m != end; ++m) {
      spans.push_back((*m)[1]);
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
