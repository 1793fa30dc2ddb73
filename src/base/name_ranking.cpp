#include "base/name_ranking.h"

#include "base/text.h"

namespace qrx {
namespace {

// Points of the letters-in-order scoring, in the spirit of fzf's: every matched letter
// scores, a run of consecutive letters and a letter at a word start score more, and a gap
// costs for its start and for every further letter.
constexpr int32_t kLetter = 16;
constexpr int32_t kConsecutive = 8;
constexpr int32_t kWordStartBonus = 10;
constexpr int32_t kFirstLetterBonus = 4;
constexpr int32_t kGapStart = -3;
constexpr int32_t kGapExtension = -1;



// Most names are ASCII: those letters are folded here, the rest by the full table.
inline char16_t Fold(char16_t c, bool ignore_case) {
  if (!ignore_case) return c;
  if (c < 0x80) return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 0x20) : c;
  return UpperChar(c);
}

inline bool Separator(char16_t c) {
  return c == u' ' || c == u'-' || c == u'_' || c == u'.' || c == u'/' || c == u'\\';
}

inline bool BeginsWord(std::u16string_view name, size_t at) {
  const char16_t before = name[at - 1];
  if (Separator(before)) return !Separator(name[at]);
  return before >= u'a' && before <= u'z' && name[at] >= u'A' && name[at] <= u'Z';
}

bool SameAt(std::u16string_view typed, std::u16string_view name, size_t at, bool ignore_case) {
  if (at + typed.size() > name.size()) return false;
  for (size_t i = 0; i < typed.size(); ++i) {
    if (Fold(typed[i], ignore_case) != Fold(name[at + i], ignore_case)) return false;
  }
  return true;
}

}  // namespace

bool StartsWord(std::u16string_view name, size_t at) {
  return at == 0 || BeginsWord(name, at);
}

NameMatch MatchName(std::u16string_view typed, std::u16string_view name, bool ignore_case,
                    bool letters) {
  if (typed.empty()) return {MatchKind::kPrefix, 0};
  if (typed.size() == name.size() && SameAt(typed, name, 0, ignore_case)) {
    return {MatchKind::kExact, 0};
  }
  if (SameAt(typed, name, 0, ignore_case)) return {MatchKind::kPrefix, 0};
  const char16_t first = Fold(typed[0], ignore_case);
  for (size_t at = 1; at + typed.size() <= name.size(); ++at) {
    if (Fold(name[at], ignore_case) == first && BeginsWord(name, at) &&
        SameAt(typed, name, at, ignore_case)) {
      return {MatchKind::kWordStart, -static_cast<int32_t>(at)};
    }
  }
  if (!letters) return {};
  // Letters in order: the first place where all of them are found going forward, then, from
  // its end, backward to the shortest stretch that still holds them all.
  size_t t = 0, end = 0;
  for (size_t i = 0; i < name.size() && t < typed.size(); ++i) {
    if (Fold(name[i], ignore_case) == Fold(typed[t], ignore_case)) {
      ++t;
      end = i;
    }
  }
  if (t < typed.size()) return {};
  size_t begin = end;
  t = typed.size();
  for (size_t i = end + 1; i-- > 0;) {
    if (Fold(name[i], ignore_case) == Fold(typed[t - 1], ignore_case)) {
      begin = i;
      if (--t == 0) break;
    }
  }
  int32_t score = 0;
  bool previous_matched = false;
  bool in_gap = false;
  t = 0;
  for (size_t i = begin; i <= end; ++i) {
    if (t < typed.size() && Fold(name[i], ignore_case) == Fold(typed[t], ignore_case)) {
      score += kLetter;
      if (previous_matched) score += kConsecutive;
      if (i == 0 || BeginsWord(name, i)) score += kWordStartBonus;
      if (t == 0 && i == 0) score += kFirstLetterBonus;
      previous_matched = true;
      in_gap = false;
      ++t;
    } else {
      score += in_gap ? kGapExtension : kGapStart;
      previous_matched = false;
      in_gap = true;
    }
  }
  return {MatchKind::kLetters, score};
}

}  // namespace qrx
