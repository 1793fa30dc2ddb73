// The command line as a user drives it. Each input is a few lines (separated by LF, in code
// page 932) typed one after another into quorix on the fake platform, with a few other
// events (keys, drops) mixed in. Files live in memory, and a wait moves the fake clock
// instead of sleeping. After each line the window's tick runs once and the clock moves on a
// minute, so timers and the clipboard watch get their turn. The run of an input ends with
// it or when a command ends the program.
//
// Every input starts from the same started instance: the state right after start-up is
// made once and copied into a new instance per input, which is the same as a fresh start
// without reading the configuration sixty times for every input. An input that starts with
// byte 05 brings configuration text of its own instead (up to its first NUL byte), which
// goes in front of the usual configuration; quorix then starts afresh with it.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "cpu_budget.h"
#include "fake/harness.h"
#include "interpreter/dispatcher.h"
#include "interpreter/keys.h"
#include "ui/command_box.h"

namespace {

using qrx::test::Instance;

// A short catalogue: every answer reads it whole, and the delivered one would make each run
// several times slower for no more paths through the program. Keys it lacks show as keys.
constexpr char16_t kMessages[] =
    u"[SYSTEM]\r\nSTART=#A Ver#B\r\nEND=bye\r\nNEST=nest\r\nLONG=long #A\r\nFAIL=fail #A\r\n"
    u"SAVE-ERR=#A|save.wav\r\n[ELSE]\r\nERR=no such command #0\r\n[SET]\r\n0-9=$#B=#A\r\n"
    u"CLIP=clip #A||SKIN\r\nERR1=#A?\r\n[BAT]\r\nADD=#A=#B\r\nERR=#A\r\n[LBAT]\r\nERR=#A\r\n"
    u"[CALCRPN]\r\nDONE=#A\r\nERR1=x\r\n[SHFO]\r\n2=no file #A\r\n[WAIT]\r\nWAIT=#A s\r\n";

// A configuration with a little of everything: variables, aliases that call command files,
// function keys and a timer at 12:35 (the clock starts at 12:34).
constexpr char16_t kConfig[] =
    u"[SYSTEM]\r\nVersion=0.50\r\nHIS1=ANS history\r\n"
    u"[SET]\r\n0=zero\r\n1=a.bat\r\n2=$$0 #A 変数\r\nRND=6\r\nFIG=0\r\nFPU=6\r\n"
    u"[FNC]\r\nF01=ANS F1\r\nF02=LBAT a.bat f2\r\n"
    u"[TIMER]\r\n755=ANS noon\r\n"
    u"[BAT]\r\nHELLO=\"ANS hello #A\"\r\nTWICE=\"LBAT b.bat twice\"\r\nCALC=\"CALCRPN 3\"\r\n";

// Command files in the current folder: a.bat uses its arguments, b.bat defines and runs an
// alias and calls a.bat.
constexpr char16_t kFileA[] = u"ANS a:$L\r\nIF $L == stop ANS stopped\r\nSET 5 $L\r\n";
constexpr char16_t kFileB[] = u"ALIAS INNER ANS inner #A\r\nINNER $L\r\nLBAT a.bat from-b\r\n";
constexpr char16_t kIniFile[] = u"[sec]\r\nkey=value\r\n; comment\r\n[其の他]\r\n名前=値\r\n";

// `own_config` goes in front of the usual configuration: its sections come first and win.
void PutFiles(Instance& q, std::string_view own_config = {}) {
  q.os.PutFile(u"C:\\quorix\\DEF.MSG", q.os.ToAnsi(kMessages));
  q.os.PutFile(u"C:\\quorix\\QRX_CORE.INI", std::string(own_config) + q.os.ToAnsi(kConfig));
  q.os.PutFile(u"C:\\work\\a.bat", q.os.ToAnsi(kFileA));
  q.os.PutFile(u"C:\\work\\b.bat", q.os.ToAnsi(kFileB));
  q.os.PutFile(u"C:\\work\\data.ini", q.os.ToAnsi(kIniFile));
  q.os.env = {{u"PATH", u"C:\\bin"}, {u"HOME", u"C:\\home"}};
}

void NextMinute(qrx::LocalTime& t) {
  if (++t.minute < 60) return;
  t.minute = 0;
  if (++t.hour < 24) return;
  t.hour = 0;
  t.day = t.day % 28 + 1;
}

// The size of the context whose state CopyStarted copies (clang, x86-64).
constexpr size_t kContextSize = 7952;

// Copies the state of a started instance into a new one.
void CopyStarted(const Instance& from, Instance& to) {
  // A new piece of state in the context must be copied below as well; this stops the build
  // until it is.
  static_assert(sizeof(qrx::Context) == kContextSize,
                "the context changed: copy its new state in CopyStarted, then update the size");
  to.os = from.os;
  const qrx::Context& f = from.ctx;
  qrx::Context& c = to.ctx;
  c.app = f.app;
  c.paths = f.paths;
  c.interp = f.interp;
  c.history = f.history;
  c.keys = f.keys;
  c.answer = f.answer;
  c.settings = f.settings;
  c.timers = f.timers;
  c.calc = f.calc;
  c.cd = f.cd;
  // The socket itself is not copied: the copy opens its own on first use (on the copied
  // fake network).
  c.net.remote_host = f.net.remote_host;
  c.net.remote_port = f.net.remote_port;
  c.net.bound = f.net.bound;
  c.net.bound_port = f.net.bound_port;
  c.net.taken_this_tick = f.net.taken_this_tick;
  c.net.share_started_ms = f.net.share_started_ms;
  c.net.held_back = f.net.held_back;
  c.net.event_error = f.net.event_error;
  c.net.list_stamp = f.net.list_stamp;
  c.net.list_lines = f.net.list_lines;
  c.net.in_batch = f.net.in_batch;
  c.net.list_looked_at = f.net.list_looked_at;
  c.net.key_path = f.net.key_path;
  c.net.key = f.net.key;
  c.net.key_tried = f.net.key_tried;
  c.net.nonces_seen = f.net.nonces_seen;
  c.net.nonces_swept = f.net.nonces_swept;
  c.net.refused = f.net.refused;
  c.net.refused_from = f.net.refused_from;
  c.net.refused_reported_ms = f.net.refused_reported_ms;
  c.net.waiting = f.net.waiting;
  c.index = f.index;
  c.end_sequence_done = f.end_sequence_done;
  c.write_failure_boxes = f.write_failure_boxes;
  to.window.ShowAnswerLine(from.window.AnswerLine(), 0);
  to.window.SetCaption(from.window.Caption());
  to.window.countdown = from.window.countdown;
  to.window.services_installed = from.window.services_installed;
  // The fake user interface keeps its own reference to its platform; only its record moves.
  qrx::test::FakeUi& u = to.ui;
  const qrx::test::FakeUi& v = from.ui;
  u.boxes = v.boxes;
  u.prompts = v.prompts;
  u.input_replies = v.input_replies;
  u.yes_no_replies = v.yes_no_replies;
  u.answers = v.answers;
  u.captions = v.captions;
  u.popups = v.popups;
  u.command = v.command;
  u.caret = v.caret;
  u.visible = v.visible;
  u.minimized = v.minimized;
  u.quit = v.quit;
  u.rect = v.rect;
  u.focus_requests = v.focus_requests;
  u.drags = v.drags;
  u.hot_keys = v.hot_keys;
  u.tray = v.tray;
}

// One line of an input: a line to type and enter, or one of these events when its first
// byte says so: 01 a key press (the virtual key, then Shift 1 + Ctrl 2 + Alt 4), 02 a text
// dropped on the window, 03 files dropped (names separated by "|"), 04 Enter on what the
// command box holds (after a drop or a history recall).
void RunEvent(Instance& q, std::string_view line) {
  const char kind = line.empty() ? 0 : line[0];
  const std::string_view rest = line.empty() ? line : line.substr(1);
  switch (kind) {
    case 1: {
      const uint8_t key = rest.empty() ? 0 : static_cast<uint8_t>(rest[0]);
      const uint8_t mods = rest.size() < 2 ? 0 : static_cast<uint8_t>(rest[1]);
      q.window.OnKeyDown(key, (mods & 1) != 0, (mods & 2) != 0, (mods & 4) != 0);
      return;
    }
    case 2:
      q.window.OnDrop(qrx::DropData{{}, q.os.FromAnsi(rest)});
      return;
    case 3: {
      qrx::DropData drop;
      for (std::string_view names = rest;;) {
        const size_t bar = names.find('|');
        drop.files.push_back(q.os.FromAnsi(names.substr(0, bar)));
        if (bar == std::string_view::npos) break;
        names.remove_prefix(bar + 1);
      }
      q.window.OnDrop(drop);
      return;
    }
    case 4:
      q.window.OnEnter();
      return;
    default:
      q.ui.command = q.os.FromAnsi(line);
      q.window.OnEnter();
      return;
  }
}

// Runs the lines of an input (separated by LF) until they end or the program does.
void RunLines(Instance& q, std::string_view input) {
  try {
    while (!input.empty() && !q.ui.quit) {
      const size_t end = input.find('\n');
      RunEvent(q, input.substr(0, end));
      input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
      NextMinute(q.os.now);
      q.window.Tick();
    }
  } catch (const qrx::AppEnding&) {
    // The program ended; nothing after it runs.
  }
}

// What a run leaves behind that a copied start could get wrong.
std::string Outcome(const Instance& q) {
  std::string out =
      q.os.FileBytes(u"C:\\quorix\\QRX_CORE.INI") + "|" + q.os.ToAnsi(q.window.Caption());
  for (const auto& a : q.ui.answers) out += "|" + q.os.ToAnsi(a.text);
  for (const auto& c : q.os.calls) out += "|" + c;
  return out;
}

std::unique_ptr<Instance> FreshStart(std::string_view own_config = {}) {
  auto q = std::make_unique<Instance>();
  PutFiles(*q, own_config);
  q->Start();
  return q;
}

const Instance& Started() {
  static const std::unique_ptr<Instance> started = [] {
    auto q = FreshStart();
    // Once per process: a copied start must behave as a fresh one.
    constexpr std::string_view kProbe =
        "ANS #0 $1 $2 %PATH%\nSET 7 x\nHELLO you\nTWICE\nCALC 1 2 +\nWRITE\nSET CLIPFLG ON\n"
        "SET CLIP QSCMD:SET 8 clip\nEXIT";
    auto fresh = FreshStart();
    auto copied = std::make_unique<Instance>();
    CopyStarted(*q, *copied);
    RunLines(*fresh, kProbe);
    RunLines(*copied, kProbe);
    if (Outcome(*fresh) != Outcome(*copied)) {
      std::fprintf(stderr, "a copied start differs from a fresh one:\n%s\n%s\n",
                   Outcome(*fresh).c_str(), Outcome(*copied).c_str());
      std::abort();
    }
    return q;
  }();
  return *started;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const qrx::fuzz::CpuBudget budget;
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::unique_ptr<Instance> q;
  if (!input.empty() && input[0] == 5) {
    // Configuration text of the input's own, up to the first NUL byte: start-up with it.
    const size_t end = input.find('\0');
    q = FreshStart(input.substr(1, end == std::string_view::npos ? end : end - 1));
    input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
    if (q->ui.quit) return 0;
  } else {
    q = std::make_unique<Instance>();
    CopyStarted(Started(), *q);
  }
  RunLines(*q, input);
  budget.Check();
  return 0;
}
