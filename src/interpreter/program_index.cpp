#include "interpreter/program_index.h"

#include <algorithm>
#include <iterator>
#include <ranges>
#include <cstdint>
#include <functional>
#include <unordered_map>

#include "base/text.h"
#include "core/context.h"
#include "core/ini_access.h"
#include "interpreter/answer.h"

namespace qrx {
namespace {

constexpr std::string_view kFileMark = "QRXIDX 1";

// Fields of the index file are separated by TABs, records by line breaks.
std::string Escape(std::u16string_view text) {
  std::string out;
  for (const char c : Utf16ToUtf8(text)) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: out += c;
    }
  }
  return out;
}

std::u16string Unescape(std::string_view field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\' || i + 1 == field.size()) {
      out += field[i];
      continue;
    }
    const char c = field[++i];
    out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
  }
  return Utf8ToUtf16(out);
}

std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  for (;;) {
    const size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab - start));
    if (tab == std::string_view::npos) return fields;
    start = tab + 1;
  }
}

std::optional<int64_t> Number(std::string_view text) {
  if (text.empty()) return std::nullopt;
  int64_t value = 0;
  bool negative = false;
  size_t i = 0;
  if (text[0] == '-') {
    negative = true;
    i = 1;
  }
  if (i == text.size()) return std::nullopt;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9' || value > (INT64_MAX - 9) / 10) return std::nullopt;
    value = value * 10 + (text[i] - '0');
  }
  return negative ? -value : value;
}

std::u16string_view Unquoted(std::u16string_view word) {
  if (word.size() >= 2 && word.front() == u'"' && word.back() == u'"') {
    return word.substr(1, word.size() - 2);
  }
  return word;
}

void SaveIndex(Context& ctx) {
  ProgramIndexState& index = ctx.index;
  std::string text(kFileMark);
  text += '\n';
  for (const WatchedSource& s : index.sources) {
    text += "S\t" + std::to_string(static_cast<int>(s.source.kind)) + '\t' +
            (s.read && s.stamp ? std::to_string(*s.stamp) : std::string(s.read ? "-" : "?")) +
            '\t' + (s.root ? "1" : "0") + '\t' + Escape(s.source.path) + '\n';
  }
  for (const IndexedProgram& p : index.programs) {
    const FoundProgram& f = p.found;
    text += "P\t" + std::to_string(p.source) + '\t' + Escape(f.launch_name) + '\t' +
            Escape(f.display_name) + '\t' + Escape(f.other_name) + '\t' + Escape(f.program) +
            '\t' + Escape(f.arguments) + '\n';
  }
  for (const auto& [program, record] : index.launches) {
    text += "L\t" + std::to_string(record.count) + '\t' + std::to_string(record.serial) + '\t' +
            Escape(program) + '\n';
  }
  // A folder that refuses the file costs the next start a fresh reading, nothing more.
  ctx.os.WriteFile(ctx.paths.program_index, text);
  index.changed = false;
}

// Takes the kept file's records while `more` allows; true when it is read whole (or there
// is none, or it is not one of ours).
bool ReadIndexFile(Context& ctx, const std::function<bool()>& more) {
  ProgramIndexState& index = ctx.index;
  if (index.file_at == 0) {
    std::optional<std::string> bytes = ctx.os.ReadFile(ctx.paths.program_index);
    if (!bytes || !bytes->starts_with(kFileMark)) return true;
    index.file = std::move(*bytes);
    index.file_at = kFileMark.size();
    index.programs.reserve(static_cast<size_t>(
        std::count(index.file.begin(), index.file.end(), '\n')));
  }
  std::string_view rest = std::string_view(index.file).substr(index.file_at);
  for (size_t n = 0; !rest.empty(); ++n) {
    if (n % 256 == 255 && !more()) {
      index.file_at = index.file.size() - rest.size();
      return false;
    }
    const size_t end = rest.find('\n');
    const std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    const std::vector<std::string_view> f = Fields(line);
    if (f[0] == "S" && f.size() == 5) {
      const auto kind = Number(f[1]);
      if (!kind || *kind < 0 || *kind > 3) continue;
      WatchedSource s;
      s.source = {static_cast<ProgramSourceKind>(*kind), Unescape(f[4])};
      s.read = f[2] != "?";
      s.stamp = Number(f[2]);
      s.root = f[3] == "1";
      index.sources.push_back(std::move(s));
    } else if (f[0] == "P" && f.size() == 7) {
      const auto source = Number(f[1]);
      if (!source || *source < 0 || static_cast<size_t>(*source) >= index.sources.size()) continue;
      IndexedProgram p;
      p.source = static_cast<uint32_t>(*source);
      p.found = {Unescape(f[2]), Unescape(f[3]), Unescape(f[4]), Unescape(f[5]), Unescape(f[6])};
      index.programs.push_back(std::move(p));
    } else if (f[0] == "L" && f.size() == 4) {
      const auto count = Number(f[1]);
      const auto serial = Number(f[2]);
      if (!count || !serial || *count < 0 || *serial < 0 || *count > UINT32_MAX ||
          *serial > UINT32_MAX) {
        continue;
      }
      index.launches[Unescape(f[3])] = {static_cast<uint32_t>(*count),
                                        static_cast<uint32_t>(*serial)};
      index.last_serial = std::max(index.last_serial, static_cast<uint32_t>(*serial));
    }
  }
  index.file.clear();
  index.file.shrink_to_fit();
  index.programs.shrink_to_fit();
  return true;
}

// Launch names: where two programs share one, the one launched more (and more lately), else
// the one of the earlier source, keeps it; the other is reached by its display name, and not
// at all when that is the same name again.
void AssignNames(Context& ctx) {
  std::vector<IndexedProgram>& programs = ctx.index.programs;
  std::vector<size_t> order(programs.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  auto record = [&](size_t i) {
    const LaunchRecord* r = LaunchesOf(ctx, programs[i]);
    return r != nullptr ? *r : LaunchRecord{};
  };
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    const LaunchRecord ra = record(a), rb = record(b);
    if (ra.count != rb.count) return ra.count > rb.count;
    if (ra.serial != rb.serial) return ra.serial > rb.serial;
    return programs[a].source < programs[b].source;
  });
  std::unordered_map<std::u16string, bool> taken;
  taken.reserve(programs.size() * 2);
  for (const size_t i : order) {
    IndexedProgram& p = programs[i];
    const std::u16string launch = UpperCase(p.found.launch_name);
    if (!taken.contains(launch)) {
      taken[launch] = true;
      p.naming = IndexedNaming::kLaunch;
    } else {
      const std::u16string display = UpperCase(p.found.display_name);
      p.naming = taken.contains(display) ? IndexedNaming::kNone : IndexedNaming::kDisplay;
      taken[display] = true;
    }
  }
}

// Takes sources out (with their programs and any reading of them) and renumbers the rest.
void RemoveSources(Context& ctx, const std::function<bool(const WatchedSource&)>& gone) {
  ProgramIndexState& index = ctx.index;
  std::vector<int64_t> renumber(index.sources.size(), -1);
  std::vector<WatchedSource> kept;
  for (size_t i = 0; i < index.sources.size(); ++i) {
    if (gone(index.sources[i])) continue;
    renumber[i] = static_cast<int64_t>(kept.size());
    kept.push_back(std::move(index.sources[i]));
  }
  if (kept.size() == index.sources.size()) {
    index.sources = std::move(kept);
    return;
  }
  index.sources = std::move(kept);
  std::erase_if(index.programs, [&](IndexedProgram& p) {
    if (renumber[p.source] < 0) return true;
    p.source = static_cast<uint32_t>(renumber[p.source]);
    return false;
  });
  if (index.reading) {
    if (renumber[index.reading->source] < 0) {
      index.reading.reset();
    } else {
      index.reading->source = static_cast<uint32_t>(renumber[index.reading->source]);
      for (IndexedProgram& p : index.reading->found) p.source = index.reading->source;
    }
  }
  index.next_check = 0;
  index.changed = true;
}

bool Below(std::u16string_view path, std::u16string_view folder, char16_t sep) {
  return path.size() > folder.size() + 1 && path.starts_with(folder) && path[folder.size()] == sep;
}

// The sources the system names now: new ones are added unread, ones it no longer names go
// (with the subfolders found in them).
void TakeRoots(Context& ctx) {
  const std::vector<ProgramSource> roots = ctx.os.ProgramSourceRoots();
  const char16_t sep = ctx.os.PathSeparator();
  auto named = [&](const ProgramSource& s) {
    return std::find(roots.begin(), roots.end(), s) != roots.end();
  };
  RemoveSources(ctx, [&](const WatchedSource& w) {
    if (w.root) return !named(w.source);
    return std::none_of(roots.begin(), roots.end(), [&](const ProgramSource& r) {
      return r.kind == w.source.kind && Below(w.source.path, r.path, sep);
    });
  });
  for (const ProgramSource& root : roots) {
    const bool known = std::any_of(ctx.index.sources.begin(), ctx.index.sources.end(),
                                   [&](const WatchedSource& w) { return w.source == root; });
    if (!known) ctx.index.sources.push_back({root, std::nullopt, false, true});
  }
}

void BeginReading(Context& ctx, uint32_t source) {
  ProgramIndexState& index = ctx.index;
  SourceReading reading;
  reading.source = source;
  const ProgramSource where = index.sources[source].source;
  reading.stamp = ctx.os.SourceStamp(where);
  SourceListing listing;
  if (reading.stamp) listing = ctx.os.ListSource(where);
  reading.entries = std::move(listing.entries);
  // Subfolders are sources of their own, watched by their own stamps.
  const char16_t sep = ctx.os.PathSeparator();
  RemoveSources(ctx, [&](const WatchedSource& w) {
    if (w.root || w.source.kind != where.kind) return false;
    // Below this source, and not (below) one of the subfolders it lists now.
    if (!Below(w.source.path, where.path, sep)) return false;
    return std::none_of(listing.subfolders.begin(), listing.subfolders.end(),
                        [&](const std::u16string& sub) {
                          return w.source.path == sub || Below(w.source.path, sub, sep);
                        });
  });
  for (std::u16string& sub : listing.subfolders) {
    const ProgramSource s{where.kind, std::move(sub)};
    const bool known = std::any_of(index.sources.begin(), index.sources.end(),
                                   [&](const WatchedSource& w) { return w.source == s; });
    if (!known) index.sources.push_back({s, std::nullopt, false, false});
  }
  // RemoveSources may have renumbered this source.
  for (uint32_t i = 0; i < index.sources.size(); ++i) {
    if (index.sources[i].source == where) reading.source = i;
  }
  index.reading = std::move(reading);
}

void FinishReading(Context& ctx) {
  ProgramIndexState& index = ctx.index;
  SourceReading reading = std::move(*index.reading);
  index.reading.reset();
  // The programs stay in the order of their sources, so that the earlier source wins a name.
  const auto first =
      std::lower_bound(index.programs.begin(), index.programs.end(), reading.source,
                       [](const IndexedProgram& p, uint32_t s) { return p.source < s; });
  const auto last = std::upper_bound(first, index.programs.end(), reading.source,
                                     [](uint32_t s, const IndexedProgram& p) { return s < p.source; });
  const auto at = index.programs.erase(first, last);
  index.programs.insert(at, std::make_move_iterator(reading.found.begin()),
                        std::make_move_iterator(reading.found.end()));
  WatchedSource& source = index.sources[reading.source];
  source.stamp = reading.stamp;
  source.read = true;
  index.changed = true;
  AssignNames(ctx);
}

// Reads entries while `more` allows; true when the reading is done.
bool ReadEntries(Context& ctx, const std::function<bool()>& more) {
  SourceReading& r = *ctx.index.reading;
  const ProgramSource source = ctx.index.sources[r.source].source;
  while (r.next < r.entries.size()) {
    if (!more()) return false;
    if (auto found = ctx.os.ReadProgram(source, r.entries[r.next])) {
      if (!found->launch_name.empty()) r.found.push_back({std::move(*found), r.source, {}});
    }
    ++r.next;
  }
  FinishReading(ctx);
  return true;
}

// The next source whose stamp changed since it was read (or never read), from next_check on.
// `settled` tells that every source was looked at and none had changed.
std::optional<uint32_t> NextChanged(Context& ctx, const std::function<bool()>& more,
                                    bool& settled) {
  ProgramIndexState& index = ctx.index;
  const size_t n = index.sources.size();
  for (size_t looked = 0; looked < n; ++looked) {
    if (!more()) return std::nullopt;
    const size_t i = index.next_check % n;
    index.next_check = (i + 1) % n;
    const WatchedSource& w = index.sources[i];
    if (!w.read || ctx.os.SourceStamp(w.source) != w.stamp) return static_cast<uint32_t>(i);
  }
  settled = true;
  return std::nullopt;
}


void Clear(ProgramIndexState& index) {
  index.loaded = false;
  index.file.clear();
  index.file_at = 0;
  index.programs.clear();
  index.sources.clear();
  index.reading.reset();
  index.next_check = 0;
  index.changed = false;
}

// Goes on reading the kept file while `more` allows; once it is read, the sources the system
// names now are taken in. True when the index is loaded.
bool Load(Context& ctx, const std::function<bool()>& more) {
  ProgramIndexState& index = ctx.index;
  if (index.loaded) return true;
  if (!ReadIndexFile(ctx, more)) return false;
  TakeRoots(ctx);
  AssignNames(ctx);
  index.loaded = true;
  return true;
}

bool Always() { return true; }

}  // namespace

std::u16string QuotedWord(std::u16string_view text) {
  if (text.find(u' ') == std::u16string_view::npos) return std::u16string(text);
  return u"\"" + std::u16string(text) + u"\"";
}

const LaunchRecord* LaunchesOf(const Context& ctx, const IndexedProgram& program) {
  const auto it = ctx.index.launches.find(program.found.program);
  return it == ctx.index.launches.end() ? nullptr : &it->second;
}

void LoadProgramIndex(Context& ctx) {
  ProgramIndexState& index = ctx.index;
  Clear(index);
  index.launches.clear();
  index.last_serial = 0;
  index.on = false;
  SwitchProgramIndex(
      ctx, EqualsIgnoreCase(ReadIni(ctx, u"SET", u"INDEX", u"OFF", ctx.paths.config), u"ON"));
}

void SwitchProgramIndex(Context& ctx, bool on) {
  ProgramIndexState& index = ctx.index;
  if (on == index.on) return;
  Clear(index);
  index.on = on;
  if (!on) return;
  index.launches.clear();
  index.last_serial = 0;
}

size_t RebuildProgramIndex(Context& ctx) {
  ProgramIndexState& index = ctx.index;
  Load(ctx, Always);
  index.reading.reset();
  TakeRoots(ctx);
  for (WatchedSource& w : index.sources) w.read = false;
  // Reading a source can add its subfolders behind it: the loop reaches them too.
  for (uint32_t i = 0; i < index.sources.size(); ++i) {
    BeginReading(ctx, i);
    const uint32_t at = index.reading->source;
    ReadEntries(ctx, [] { return true; });
    i = std::max(i, at);
  }
  SaveIndex(ctx);
  return index.programs.size();
}

void ProgramIndexTick(Context& ctx) {
  ProgramIndexState& index = ctx.index;
  if (!index.on) return;
  const uint32_t start = ctx.os.TickCount();
  const std::function<bool()> more = [&] { return ctx.os.TickCount() - start < kIndexSliceMs; };
  if (!Load(ctx, more)) return;
  bool settled = false;
  while (more()) {
    if (!index.reading) {
      const std::optional<uint32_t> changed = NextChanged(ctx, more, settled);
      if (!changed) break;
      BeginReading(ctx, *changed);
    }
    if (!ReadEntries(ctx, more)) return;
  }
  // Written once everything that changed is read, not after every source.
  if (settled && index.changed) SaveIndex(ctx);
}

bool ProgramIndexReady(Context& ctx) {
  return ctx.index.on && Load(ctx, Always);
}

const IndexedProgram* FindIndexedProgram(Context& ctx, std::u16string_view word) {
  if (!ProgramIndexReady(ctx)) return nullptr;
  const std::u16string_view name = Unquoted(word);
  if (name.empty()) return nullptr;
  for (const IndexedProgram& p : ctx.index.programs) {
    if (EqualsIgnoreCase(p.Name(), name)) return &p;
  }
  for (const IndexedProgram& p : ctx.index.programs) {
    if (p.naming == IndexedNaming::kNone) continue;
    if (EqualsIgnoreCase(p.found.display_name, name) ||
        (!p.found.other_name.empty() && EqualsIgnoreCase(p.found.other_name, name))) {
      return &p;
    }
  }
  return nullptr;
}

int32_t LaunchIndexedProgram(Context& ctx, const IndexedProgram& program,
                             std::u16string_view arguments) {
  // A copy: counting the launch renames, and may reorder, the programs.
  const FoundProgram found = program.found;
  const char16_t sep = ctx.os.PathSeparator();
  const size_t cut = found.program.rfind(sep);
  const std::u16string folder =
      cut == std::u16string::npos ? std::u16string() : found.program.substr(0, cut + 1);
  std::u16string parameters = found.arguments;
  if (!arguments.empty()) {
    if (!parameters.empty()) parameters += u' ';
    parameters += arguments;
  }
  ShowAnswer(ctx, u"SH_WAIT", kAnswerUntilReplaced);
  constexpr int32_t kShowNormal = 1;
  const int32_t result =
      ctx.os.ShellExecute(ctx.main_form->Surface().NativeHandle(), u"OPEN", found.program,
                          parameters, folder, kShowNormal);
  ClearAnswer(ctx);
  if (result > 32) {
    LaunchRecord& record = ctx.index.launches[found.program];
    ++record.count;
    record.serial = ++ctx.index.last_serial;
    AssignNames(ctx);
    SaveIndex(ctx);
  }
  return result;
}

}  // namespace qrx
