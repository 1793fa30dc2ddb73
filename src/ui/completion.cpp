#include "ui/completion.h"

#include <algorithm>
#include <deque>
#include <unordered_set>

#include "base/text.h"
#include "core/context.h"
#include "core/window_surface.h"
#include "interpreter/answer.h"
#include "interpreter/program_index.h"

namespace qrx {
namespace {

// At most this many names go into the list on the answer line.
constexpr size_t kListedNames = 10;

// Where the word that ends at the caret begins: after the last blank outside quotes, or at
// the opening quote of a quoted word.
size_t WordStart(std::u16string_view text, size_t caret) {
  size_t start = 0;
  bool quoted = false;
  for (size_t i = 0; i < caret; ++i) {
    if (text[i] == u'"') {
      if (!quoted && (i == 0 || text[i - 1] == u' ')) start = i;
      quoted = !quoted;
    } else if (text[i] == u' ' && !quoted) {
      start = i + 1;
    }
  }
  return start;
}

// The words of a line, split at blanks outside quotes, quotes removed.
std::vector<std::u16string> Words(std::u16string_view text) {
  std::vector<std::u16string> words;
  std::u16string word;
  bool quoted = false, any = false;
  for (const char16_t c : text) {
    if (c == u'"') {
      quoted = !quoted;
      any = true;
    } else if (c == u' ' && !quoted) {
      if (any) words.push_back(std::move(word));
      word.clear();
      any = false;
    } else {
      word += c;
      any = true;
    }
  }
  if (any) words.push_back(std::move(word));
  return words;
}

bool LooksLikePath(std::u16string_view word) {
  if (word.find_first_of(u"\\/") != std::u16string_view::npos) return true;
  if (!word.empty() && word[0] == u'~') return true;
  return word.size() >= 2 && word[1] == u':' &&
         ((word[0] >= u'A' && word[0] <= u'Z') || (word[0] >= u'a' && word[0] <= u'z'));
}

// Case folded where the names ignore case, for the set of names already offered.
struct NameHash {
  bool fold;
  size_t operator()(std::u16string_view name) const {
    size_t h = 14695981039346656037ull;
    for (const char16_t c : name) h = (h ^ (fold ? UpperChar(c) : c)) * 1099511628211ull;
    return h;
  }
};
struct NameEqual {
  bool fold;
  bool operator()(std::u16string_view a, std::u16string_view b) const {
    return fold ? EqualsIgnoreCase(a, b) : a == b;
  }
};

int CompareFolded(std::u16string_view a, std::u16string_view b) {
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
    const char16_t x = UpperChar(a[i]), y = UpperChar(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

// Gathers the names that match, as views of names that live as long as the gathering (the
// context's, the tables', or kept by the gatherer itself); the ranked result owns its texts.
class Gatherer {
 public:
  Gatherer(std::u16string_view typed, bool ignore_case)
      : typed_(typed),
        ignore_case_(ignore_case),
        seen_(64, NameHash{ignore_case}, NameEqual{ignore_case}) {}

  // A name offered; `also` are further names it may be found by (an indexed program's
  // display names). The first offer of a name wins.
  void Offer(std::u16string_view name, std::u16string_view shown, bool folder = false,
             std::initializer_list<std::u16string_view> also = {}, uint32_t launches = 0,
             uint32_t last_launch = 0) {
    if (name.empty()) return;
    // Names that hold the letters only scattered count only for two letters or more.
    const bool letters = typed_.size() >= 2;
    NameMatch best = MatchName(typed_, name, ignore_case_, letters);
    for (const std::u16string_view other : also) {
      if (other.empty() || best.kind == MatchKind::kExact) continue;
      const NameMatch m = MatchName(typed_, other, ignore_case_, letters);
      if (m.kind < best.kind || (m.kind == best.kind && m.score > best.score)) best = m;
    }
    if (best.kind == MatchKind::kNone) return;
    if (!seen_.insert(name).second) return;
    out_.push_back({name, shown, folder, best, launches, last_launch});
  }

  // Keeps a text for the gathering's life (a path put together from its folder and a name).
  std::u16string_view Keep(std::u16string text) { return kept_.emplace_back(std::move(text)); }

  std::vector<CompletionCandidate> Ranked() && {
    // Names that hold the letters only scattered come in only when nothing starts with the
    // text and no word of a name does: a short text would otherwise list half the table.
    const bool better = std::any_of(out_.begin(), out_.end(), [](const Found& c) {
      return c.match.kind <= MatchKind::kWordStart;
    });
    if (better) {
      std::erase_if(out_, [](const Found& c) { return c.match.kind == MatchKind::kLetters; });
    }
    std::sort(out_.begin(), out_.end(), Better);
    std::vector<CompletionCandidate> ranked;
    ranked.reserve(out_.size());
    for (const Found& f : out_) {
      ranked.push_back({std::u16string(f.text), std::u16string(f.shown), f.folder, f.match,
                        f.launches, f.last_launch});
    }
    return ranked;
  }

 private:
  struct Found {
    std::u16string_view text;
    std::u16string_view shown;
    bool folder;
    NameMatch match;
    uint32_t launches;
    uint32_t last_launch;
  };

  static bool Better(const Found& a, const Found& b) {
    if (a.match.kind != b.match.kind) return a.match.kind < b.match.kind;
    // A typed exact name is first whatever was launched.
    if (a.match.kind != MatchKind::kExact && a.match.score != b.match.score) {
      return a.match.score > b.match.score;
    }
    if (a.launches != b.launches) return a.launches > b.launches;
    if (a.last_launch != b.last_launch) return a.last_launch > b.last_launch;
    if (a.text.size() != b.text.size()) return a.text.size() < b.text.size();
    const int folded = CompareFolded(a.text, b.text);
    return folded != 0 ? folded < 0 : a.text < b.text;
  }

  std::u16string typed_;
  bool ignore_case_;
  std::unordered_set<std::u16string_view, NameHash, NameEqual> seen_;
  std::vector<Found> out_;
  std::deque<std::u16string> kept_;
};

void OfferSetNames(Context& ctx, Gatherer& g) {
  for (const std::u16string& name : ctx.interp.set_names) g.Offer(name, name);
}

void OfferAliases(Context& ctx, Gatherer& g) {
  for (const auto& [name, line] : ctx.interp.aliases) g.Offer(name, name);
}

void OfferFirstWords(Context& ctx, Gatherer& g) {
  for (const CommandEntry& row : ctx.interp.commands) {
    for (const std::u16string_view word : row.words) {
      if (!word.empty()) g.Offer(word, word);
    }
  }
  OfferAliases(ctx, g);
  if (!ProgramIndexReady(ctx)) return;
  for (const IndexedProgram& p : ctx.index.programs) {
    const std::u16string_view name = p.Name();
    if (name.empty()) continue;
    const LaunchRecord* r = LaunchesOf(ctx, p);
    g.Offer(name, p.found.display_name, false, {p.found.display_name, p.found.other_name},
            r != nullptr ? r->count : 0, r != nullptr ? r->serial : 0);
  }
}

void OfferHistoryWords(Context& ctx, Gatherer& g) {
  for (const std::u16string& entry : ctx.history.entries) {
    for (std::u16string& word : Words(entry)) {
      const std::u16string_view kept = g.Keep(std::move(word));
      g.Offer(kept, kept);
    }
  }
}

void OfferPaths(Context& ctx, Gatherer& g, std::u16string_view typed) {
  const char16_t sep = ctx.os.PathSeparator();
  const bool windows = sep == u'\\';
  size_t cut = windows ? typed.find_last_of(u"\\/") : typed.rfind(u'/');
  if (cut == std::u16string_view::npos && windows && typed.size() >= 2 && typed[1] == u':') {
    cut = 1;
  }
  const std::u16string_view folder_part =
      cut == std::u16string_view::npos ? std::u16string_view() : typed.substr(0, cut + 1);
  std::u16string folder(folder_part);
  if (folder.starts_with(u"~")) {
    const std::u16string home = ctx.os.GetEnv(windows ? u"USERPROFILE" : u"HOME").value_or(u"");
    folder = home + folder.substr(1);
  }
  if (folder.empty()) folder = ctx.os.CurrentDirectory();
  const std::u16string_view name_part = typed.substr(folder_part.size());
  const bool show_dot_files = windows || name_part.starts_with(u".");
  for (const FolderItem& item : ctx.os.ListFolder(folder)) {
    if (!show_dot_files && item.name.starts_with(u".")) continue;
    const std::u16string_view shown = g.Keep(item.folder ? item.name + sep : item.name);
    g.Offer(g.Keep(std::u16string(folder_part) + std::u16string(shown)), shown, item.folder);
  }
}

// The text of a candidate in the box: in double quotes when it holds a blank (a folder's
// quote stays open, so that its path can be typed on), and a blank after a finished word.
std::u16string BoxWord(std::u16string_view text, bool folder, bool finished) {
  const bool blank = text.find(u' ') != std::u16string_view::npos;
  std::u16string word = blank ? u"\"" + std::u16string(text) : std::u16string(text);
  if (blank && finished && !folder) word += u'"';
  if (finished && !folder) word += u' ';
  return word;
}

size_t CommonBeginning(const std::vector<CompletionCandidate>& candidates, bool ignore_case) {
  size_t n = candidates.front().text.size();
  for (const CompletionCandidate& c : candidates) {
    const std::u16string& first = candidates.front().text;
    size_t i = 0;
    while (i < n && i < c.text.size() &&
           (ignore_case ? UpperChar(first[i]) == UpperChar(c.text[i]) : first[i] == c.text[i])) {
      ++i;
    }
    n = i;
  }
  return n;
}

}  // namespace

CompletionWord CompleteWord(Context& ctx, std::u16string_view text, size_t caret) {
  CompletionWord result;
  caret = std::min(caret, text.size());
  result.start = WordStart(text, caret);
  std::u16string_view typed = text.substr(result.start, caret - result.start);
  if (typed.starts_with(u"\"")) typed.remove_prefix(1);
  if (typed.ends_with(u"\"")) typed.remove_suffix(1);
  result.typed = std::u16string(typed);
  const std::vector<std::u16string> before = Words(text.substr(0, result.start));
  const std::u16string first = before.empty() ? std::u16string() : UpperCase(before[0]);
  const bool path = LooksLikePath(typed);
  // Paths keep the file system's rule; every name of the program ignores case.
  result.ignore_case = !path || ctx.os.PathSeparator() == u'\\';
  Gatherer g(typed, result.ignore_case);
  if (path) {
    OfferPaths(ctx, g, typed);
  } else if (before.empty()) {
    OfferFirstWords(ctx, g);
  } else if (first == u"SET" && before.size() == 1) {
    OfferSetNames(ctx, g);
  } else if (first == u"ALIAS" && (before.size() == 1 || (before.size() == 2 && before[1] == u"/?"))) {
    OfferAliases(ctx, g);
  } else {
    OfferHistoryWords(ctx, g);
  }
  result.candidates = std::move(g).Ranked();
  return result;
}

void Completer::Put(WindowSurface& box, std::u16string_view word, bool finished) {
  std::u16string_view tail = std::u16string_view(original_).substr(original_caret_);
  std::u16string w(word);
  if (finished && w.ends_with(u' ') && tail.starts_with(u" ")) w.pop_back();
  put_ = original_.substr(0, word_start_) + w + std::u16string(tail);
  put_caret_ = word_start_ + w.size();
  box.PutCommandText(put_, put_caret_);
}

bool Completer::OnTab(Context& ctx, WindowSurface& box, bool shift) {
  const std::u16string text = box.CommandText();
  const size_t caret = box.CommandCaret();
  if (cycling_ && text == put_ && caret == put_caret_) {
    const int n = static_cast<int>(candidates_.size());
    if (shift) {
      index_ = index_ <= 0 ? n - 1 : index_ - 1;
    } else {
      index_ = (index_ + 1) % n;
    }
    const CompletionCandidate& c = candidates_[static_cast<size_t>(index_)];
    Put(box, BoxWord(c.text, c.folder, true), true);
    return true;
  }
  cycling_ = false;
  CompletionWord word = CompleteWord(ctx, text, caret);
  if (word.candidates.empty()) return true;
  original_ = text;
  original_caret_ = std::min(caret, text.size());
  word_start_ = word.start;
  if (word.candidates.size() == 1) {
    const CompletionCandidate& c = word.candidates.front();
    Put(box, BoxWord(c.text, c.folder, true), true);
    return true;
  }
  candidates_ = std::move(word.candidates);
  index_ = -1;
  // The common beginning, where every candidate begins with what was typed.
  const bool all_begin = std::all_of(candidates_.begin(), candidates_.end(), [](const auto& c) {
    return c.match.kind <= MatchKind::kPrefix;
  });
  const size_t common = all_begin ? CommonBeginning(candidates_, word.ignore_case) : 0;
  if (common > word.typed.size()) {
    Put(box, BoxWord(std::u16string_view(candidates_.front().text).substr(0, common), true, false),
        false);
  } else {
    put_ = text;
    put_caret_ = original_caret_;
  }
  cycling_ = true;
  std::u16string list;
  for (size_t i = 0; i < candidates_.size() && i < kListedNames; ++i) {
    if (i > 0) list += u' ';
    list += candidates_[i].shown;
  }
  if (candidates_.size() > kListedNames) list += u" …";
  ShowAnswerWith(ctx, u"TAB_LIST", ctx.answer.normal_time,
                 {Decimal(static_cast<int64_t>(candidates_.size())), list});
  return true;
}

bool Completer::OnEscape(WindowSurface& box) {
  if (!cycling_) return false;
  cycling_ = false;
  if (box.CommandText() != put_) return false;
  box.PutCommandText(original_, original_caret_);
  return true;
}

}  // namespace qrx
