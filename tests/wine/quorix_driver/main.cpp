// Reads and drives quorix's main window from another process, the way accessibility tools
// do: the top-level window of class "QuorixMain", its caption, its command box (id 1001) and
// answer line (id 1002), and the process's message boxes, balloon and popup boxes.
//
// usage: quorix_driver [--pid PID] COMMAND [ARGS] [-- COMMAND [ARGS]]...
// The commands are the rows of kCommands (MS is a time limit in milliseconds); the first that
// fails ends the run. --pid limits the windows to one Windows process. Keys are posted as the
// keyboard delivers them (WM_KEYDOWN with its scan code, then the key-up), so TranslateMessage
// makes the WM_CHAR, in order with the characters "type" posts as an input method does.
// Output is UTF-8, one line per result, control characters and backslashes as \xHH.
// Exit code: 0 done, 1 a wait ran out or a condition failed, 2 usage, 3 no window.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <algorithm>
#include <climits>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "base/text.h"
#include "platform/win32/scoped_win.h"
#include "ui/layout.h"
#include "ui/win32/balloon_window.h"
#include "ui/win32/japanese_font.h"
#include "ui/win32/plain_window.h"

namespace {

constexpr int kCommandBoxId = 1001;
constexpr int kAnswerLineId = 1002;
constexpr UINT kReadTimeoutMs = 5000;

enum Exit { kOk = 0, kFailed = 1, kUsage = 2, kNoWindow = 3 };

using Args = std::vector<std::wstring>;
struct UsageError {};

std::string Narrow(const std::wstring& w) {
  return qrx::Utf16ToUtf8(std::u16string(w.begin(), w.end()));
}

std::string Escape(const std::wstring& text) {
  std::string out;
  std::wstring plain;
  for (const wchar_t c : text) {
    if (c == L'\\' || c < 0x20 || c == 0x7f || (c >= 0x80 && c <= 0x9f)) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned>(c));
      out += Narrow(plain) + hex;
      plain.clear();
    } else {
      plain += c;
    }
  }
  return out + Narrow(plain);
}

int Print(const std::string& line) {
  return std::fputs((line + "\n").c_str(), stdout), std::fflush(stdout), kOk;
}

int Fail(const std::string& line) {
  std::fputs(("quorix_driver: " + line + "\n").c_str(), stderr);
  return std::fflush(stderr), kFailed;
}

std::string Hex(unsigned long value, int digits) {
  char text[32];
  return std::snprintf(text, sizeof text, "%0*lX", digits, value), text;
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[256] = {};
  GetClassNameW(hwnd, name, 256);
  return name;
}

DWORD ProcessOf(HWND hwnd) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  return pid;
}

// The caption the system keeps: read without a message, so a busy window cannot block it.
std::wstring StoredText(HWND hwnd) {
  std::wstring text(4096, L'\0');
  const int n = InternalGetWindowText(hwnd, text.data(), static_cast<int>(text.size()));
  text.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return text;
}

// WM_GETTEXT through the window's own thread: what a control really holds.
bool SentText(HWND hwnd, UINT timeout_ms, std::wstring* text) {
  DWORD_PTR length = 0, copied = 0;
  if (SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, timeout_ms, &length) == 0) {
    return false;
  }
  std::wstring buffer(length + 64, L'\0');
  if (SendMessageTimeoutW(hwnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                          SMTO_NORMAL, timeout_ms, &copied) == 0) {
    return false;
  }
  buffer.resize(copied);
  *text = buffer;
  return true;
}

std::string RectText(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) +
         " " + std::to_string(r.bottom);
}

template <typename Ready>
bool WaitFor(DWORD timeout_ms, Ready ready) {
  const ULONGLONG start = GetTickCount64();
  while (!ready()) {
    if (GetTickCount64() - start >= timeout_ms) return false;
    Sleep(10);
  }
  return true;
}

long Number(const std::wstring& text, long least = 0) {
  wchar_t* end = nullptr;
  const long value = std::wcstol(text.c_str(), &end, 10);
  if (text.empty() || *end != L'\0' || value < least) throw UsageError{};
  return value;
}

DWORD Ms(const std::wstring& text) {
  return static_cast<DWORD>(Number(text));
}

// One command's view: the process it is limited to, the main window and its arguments.
struct Call {
  DWORD pid;
  HWND main;
  Args a;

  // Top-level windows of a class, front to back: of --pid, or (pid 0) of any process.
  std::vector<HWND> Windows(const wchar_t* class_name, bool visible_only, DWORD of) const {
    struct Search {
      const wchar_t* name;
      DWORD pid;
      bool visible_only;
      std::vector<HWND> found;
    } s{class_name, of, visible_only, {}};
    EnumWindows(
        [](HWND hwnd, LPARAM p) {
          auto* s = reinterpret_cast<Search*>(p);
          if (ClassOf(hwnd) == s->name && (s->pid == 0 || ProcessOf(hwnd) == s->pid) &&
              (!s->visible_only || IsWindowVisible(hwnd))) {
            s->found.push_back(hwnd);
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&s));
    return s.found;
  }

  // The main window: a visible one when there is one, else any (a hidden window answers too).
  HWND FindMain(bool visible_only) const {
    const auto all = Windows(L"QuorixMain", false, pid);
    for (HWND w : all) {
      if (IsWindowVisible(w)) return w;
    }
    return visible_only || all.empty() ? nullptr : all.front();
  }

  // The process of the balloon and the popups: --pid, else the main window's.
  DWORD Owner() const {
    if (pid != 0) return pid;
    HWND m = FindMain(false);
    return m != nullptr ? ProcessOf(m) : 0;
  }

  std::vector<HWND> OwnWindows(const wchar_t* class_name, bool visible_only) const {
    const DWORD owner = Owner();
    return owner == 0 ? std::vector<HWND>{} : Windows(class_name, visible_only, owner);
  }

  HWND Balloon() const { return First(OwnWindows(L"QuorixBalloon", true)); }

  // A message box (#32770): of --pid, or of any process (also before a main window exists).
  HWND Box() const { return First(Windows(L"#32770", true, pid)); }

  static HWND First(const std::vector<HWND>& windows) {
    return windows.empty() ? nullptr : windows.front();
  }

  std::optional<std::wstring> Control(int id) const {
    HWND m = FindMain(false);
    HWND control = m != nullptr ? GetDlgItem(m, id) : nullptr;
    std::wstring text;
    if (control == nullptr || !SentText(control, kReadTimeoutMs, &text)) return std::nullopt;
    return text;
  }

  // The texts the wait commands watch; nothing while there is none to read.
  std::optional<std::wstring> Watched(const std::wstring& what) const {
    if (what == L"answer") return Control(kAnswerLineId);
    if (what == L"command-text") return Control(kCommandBoxId);
    HWND w = what == L"caption" ? FindMain(false) : Balloon();
    return w != nullptr ? std::optional(StoredText(w)) : std::nullopt;
  }
};

// The text of a box: its first Static control that holds text and is no icon.
std::wstring BoxText(HWND box) {
  std::wstring text;
  EnumChildWindows(
      box,
      [](HWND hwnd, LPARAM p) {
        std::wstring t;
        if (lstrcmpiW(ClassOf(hwnd).c_str(), L"Static") != 0 ||
            (GetWindowLongW(hwnd, GWL_STYLE) & SS_TYPEMASK) == SS_ICON ||
            !SentText(hwnd, kReadTimeoutMs, &t) || t.empty()) {
          return TRUE;
        }
        *reinterpret_cast<std::wstring*>(p) = t;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&text));
  return text;
}

// wait-answer, wait-command-text, wait-caption, wait-balloon (the visible balloon's text):
// [--contains] TEXT MS. Prints the text seen.
int WaitText(const Call& c, const std::wstring& what) {
  Args a = c.a;
  const bool contains = a.size() == 3 && a[0] == L"--contains";
  if (contains) a.erase(a.begin());
  if (a.size() != 2) throw UsageError{};
  std::optional<std::wstring> seen;
  if (WaitFor(Ms(a[1]), [&] {
        return (seen = c.Watched(what)) &&
               (contains ? seen->find(a[0]) != std::wstring::npos : *seen == a[0]);
      })) {
    return Print(Escape(*seen));
  }
  return Fail("timed out waiting for the " + Narrow(what) + " \"" + Escape(a[0]) +
              "\"; last seen " + (seen ? "\"" + Escape(*seen) + "\"" : "nothing"));
}

bool PostKey(HWND box, const std::wstring& name) {
  static const struct {
    const wchar_t* name;
    UINT vk;
    bool extended;
  } kKeys[] = {{L"ENTER", VK_RETURN, false},
               {L"ESC", VK_ESCAPE, false},
               {L"TAB", VK_TAB, false},
               {L"UP", VK_UP, true},
               {L"DOWN", VK_DOWN, true}};
  for (const auto& key : kKeys) {
    if (name != key.name) continue;
    const LPARAM down =
        1 | (static_cast<LPARAM>(MapVirtualKeyW(key.vk, MAPVK_VK_TO_VSC) & 0xff) << 16) |
        (key.extended ? 1 << 24 : 0);
    PostMessageW(box, WM_KEYDOWN, key.vk, down);
    PostMessageW(box, WM_KEYUP, key.vk, down | (1 << 30) | (static_cast<LPARAM>(1) << 31));
    return true;
  }
  return false;
}

// ping COUNT INTERVAL_MS LIMIT_MS: COUNT WM_GETTEXT round trips to the answer line; prints
// the slowest in ms and fails when one took longer than LIMIT_MS.
int Ping(const Call& c) {
  const long count = Number(c.a[0], 1), interval = Number(c.a[1]), limit = Number(c.a[2], 1);
  HWND line = GetDlgItem(c.main, kAnswerLineId);
  double slowest = 0;
  bool all_answered = true;
  for (long i = 0; i < count; ++i) {
    if (i > 0) Sleep(static_cast<DWORD>(interval));
    const ULONGLONG before = GetTickCount64();
    std::wstring text;
    all_answered = SentText(line, static_cast<UINT>(limit), &text) && all_answered;
    slowest = std::max(slowest, static_cast<double>(GetTickCount64() - before));
  }
  Print(std::to_string(static_cast<long>(slowest)));
  if (!all_answered || slowest > static_cast<double>(limit)) {
    return Fail("slowest WM_GETTEXT " + std::to_string(slowest) + " ms" +
                (all_answered ? "" : ", some got no reply"));
  }
  return kOk;
}

// stamp: the time as Unix seconds, for timing from outside.
int Stamp() {
  FILETIME ft;
  GetSystemTimePreciseAsFileTime(&ft);
  const ULONGLONG ticks =
      (ULONGLONG{ft.dwHighDateTime} << 32 | ft.dwLowDateTime) - 116444736000000000ULL;
  char figure[64];
  std::snprintf(figure, sizeof figure, "%llu.%06llu", ticks / 10000000, ticks % 10000000 / 10);
  return Print(figure);
}

// dismiss-box MS: presses OK (Cancel when there is none) in the next message box, waits
// until it is gone and prints "TITLE<TAB>TEXT".
int DismissBox(const Call& c) {
  HWND box = nullptr;
  if (!WaitFor(Ms(c.a[0]), [&] { return (box = c.Box()) != nullptr; })) {
    return Fail("no message box within " + Narrow(c.a[0]) + " ms");
  }
  std::wstring text;  // the box may be visible before its text is set
  WaitFor(1000, [&] { return !(text = BoxText(box)).empty(); });
  const std::string shown = Escape(StoredText(box)) + "\t" + Escape(text);
  HWND ok = GetDlgItem(box, IDOK);
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(ok != nullptr ? IDOK : IDCANCEL, BN_CLICKED),
               reinterpret_cast<LPARAM>(ok));
  if (!WaitFor(5000, [&] { return !IsWindow(box) || !IsWindowVisible(box); })) {
    return Fail("the message box did not close");
  }
  return Print(shown);
}

// style: the main window's style and extended style, and when it is layered its colour key
// (RRGGBB) and layered flags.
int Style(const Call& c) {
  std::string line = Hex(static_cast<unsigned long>(GetWindowLongW(c.main, GWL_STYLE)), 8) + " " +
                     Hex(static_cast<unsigned long>(GetWindowLongW(c.main, GWL_EXSTYLE)), 8);
  COLORREF key = 0;
  BYTE alpha = 0;
  DWORD flags = 0;
  if (GetLayeredWindowAttributes(c.main, &key, &alpha, &flags)) {
    line += " " + Hex((GetRValue(key) << 16) | (GetGValue(key) << 8) | GetBValue(key), 6) + " " +
            Hex(flags, 1);
  }
  return Print(line);
}

int DoubleClickBalloon(const Call& c) {
  HWND b = c.Balloon();
  if (b == nullptr) return Fail("no visible balloon");
  RECT r{};
  GetClientRect(b, &r);
  const LPARAM at = MAKELPARAM(r.right / 2, r.bottom / 2);
  // The order a window of class style CS_DBLCLKS gets for a double click.
  for (const auto& [message, keys] : {std::pair{WM_LBUTTONDOWN, MK_LBUTTON},
                                      {WM_LBUTTONUP, 0},
                                      {WM_LBUTTONDBLCLK, MK_LBUTTON},
                                      {WM_LBUTTONUP, 0}}) {
    PostMessageW(b, message, keys, at);
  }
  return kOk;
}

// wait-popups COUNT MS: until exactly COUNT popup boxes are visible; prints their texts,
// oldest first.
int WaitPopups(const Call& c) {
  const long count = Number(c.a[0]);
  std::vector<HWND> boxes;
  if (!WaitFor(Ms(c.a[1]), [&] {
        boxes = c.OwnWindows(L"QuorixPopup", true);
        return static_cast<long>(boxes.size()) == count;
      })) {
    std::string seen;
    for (HWND b : boxes) seen += "\n  " + Escape(StoredText(b));
    return Fail(std::to_string(boxes.size()) + " popup boxes, not " + std::to_string(count) + seen);
  }
  for (auto it = boxes.rbegin(); it != boxes.rend(); ++it) Print(Escape(StoredText(*it)));
  return kOk;
}

// text-fit answer|balloon, measured with the font the program makes for the window: the
// answer line from where the edit control puts its text down to the font's line bottom,
// against its inside; the balloon's text against its box. Prints "TOP BOTTOM LIMIT".
int TextFit(const Call& c) {
  long top = 0, bottom = 0, limit = qrx::BalloonWindow::kTextHeight;
  if (c.a[0] == L"answer") {
    HWND line = GetDlgItem(c.main, kAnswerLineId);
    const qrx::win32::ScopedWindowDc screen;
    const auto font = qrx::PlainWindow::BoxFont(
        true, qrx::layout::TwipsPerPixel(GetDeviceCaps(screen.Get(), LOGPIXELSY)));
    const qrx::win32::ScopedSelection selected(screen.Get(), font.Get());
    const int height = qrx::win32::LineHeight(screen.Get());
    DWORD_PTR at = 0;
    SendMessageTimeoutW(line, EM_POSFROMCHAR, 0, 0, SMTO_NORMAL, kReadTimeoutMs, &at);
    RECT inside{};
    if (!GetClientRect(line, &inside)) return Fail("no answer line");
    top = static_cast<short>(HIWORD(at));
    bottom = top + height;
    limit = inside.bottom;
  } else {
    HWND balloon = c.Balloon();
    if (balloon == nullptr) return Fail("no visible balloon");
    const std::wstring text = StoredText(balloon);
    bottom = qrx::BalloonWindow::TextHeight(qrx::BalloonWindow::FitFont(text).Get(), text);
  }
  Print(std::to_string(top) + " " + std::to_string(bottom) + " " + std::to_string(limit));
  return top >= 0 && bottom <= limit ? kOk : kFailed;
}

// Waits for a condition; on time-out fails with "WHAT after MS ms".
template <typename Ready>
int Until(const Call& c, const std::wstring& ms, const char* what, Ready ready) {
  return WaitFor(Ms(ms), [&] { return ready(c); })
             ? kOk
             : Fail(std::string(what) + " after " + Narrow(ms) + " ms");
}

struct Command {
  const wchar_t* name;
  int arity;          // -1: the handler checks its arguments
  bool needs_window;  // there must be a main window, handed over as Call::main
  int (*run)(const Call& c);
};

const Command kCommands[] = {
    // wait-window MS: until a visible QuorixMain window exists; prints its caption.
    {L"wait-window", 1, false,
     [](const Call& c) {
       HWND main = nullptr;
       if (!WaitFor(Ms(c.a[0]), [&] { return (main = c.FindMain(true)) != nullptr; })) {
         return Fail("no visible QuorixMain window within " + Narrow(c.a[0]) + " ms");
       }
       return Print(Escape(StoredText(main)));
     }},
    {L"answer", 0, true,
     [](const Call& c) {
       const auto text = c.Control(kAnswerLineId);
       return text ? Print(Escape(*text)) : Fail("no WM_GETTEXT reply");
     }},
    {L"wait-answer", -1, false, [](const Call& c) { return WaitText(c, L"answer"); }},
    {L"wait-command-text", -1, false, [](const Call& c) { return WaitText(c, L"command-text"); }},
    {L"wait-caption", -1, false, [](const Call& c) { return WaitText(c, L"caption"); }},
    {L"wait-balloon", -1, false, [](const Call& c) { return WaitText(c, L"balloon"); }},
    // type TEXT: one WM_CHAR per UTF-16 unit.
    {L"type", 1, true,
     [](const Call& c) {
       for (const wchar_t ch : c.a[0])
         PostMessageW(GetDlgItem(c.main, kCommandBoxId), WM_CHAR, ch, 1);
       return int{kOk};
     }},
    // key ENTER|ESC|TAB|UP|DOWN
    {L"key", 1, true,
     [](const Call& c) {
       return PostKey(GetDlgItem(c.main, kCommandBoxId), c.a[0]) ? int{kOk} : throw UsageError{};
     }},
    {L"close", 0, true,
     [](const Call& c) { return PostMessageW(c.main, WM_CLOSE, 0, 0) ? int{kOk} : int{kFailed}; }},
    // wait-gone MS: until no QuorixMain window is left.
    {L"wait-gone", 1, false,
     [](const Call& c) {
       return Until(c, c.a[0], "the QuorixMain window is still there",
                    [](const Call& c) { return c.FindMain(false) == nullptr; });
     }},
    {L"dismiss-box", 1, false, DismissBox},
    // no-box MS: no message box shows up within MS.
    {L"no-box", 1, false,
     [](const Call& c) {
       HWND box = nullptr;
       return WaitFor(Ms(c.a[0]), [&] { return (box = c.Box()) != nullptr; })
                  ? Fail("a message box is shown: " + Escape(StoredText(box)) + "\t" +
                         Escape(BoxText(box)))
                  : kOk;
     }},
    {L"pid", 0, true, [](const Call& c) { return Print(std::to_string(ProcessOf(c.main))); }},
    // window-rect: "LEFT TOP RIGHT BOTTOM".
    {L"window-rect", 0, true, [](const Call& c) { return Print(RectText(c.main)); }},
    // wait-window-size W H MS: until the main window is W x H pixels; prints its rectangle.
    {L"wait-window-size", 3, true,
     [](const Call& c) {
       const long width = Number(c.a[0]), height = Number(c.a[1]);
       RECT r{};
       if (!WaitFor(Ms(c.a[2]), [&] {
             GetWindowRect(c.main, &r);
             return r.right - r.left == width && r.bottom - r.top == height;
           })) {
         return Fail("the window is " + std::to_string(r.right - r.left) + " x " +
                     std::to_string(r.bottom - r.top));
       }
       return Print(RectText(c.main));
     }},
    // move X Y: the main window's top-left corner.
    {L"move", 2, true,
     [](const Call& c) {
       return SetWindowPos(c.main, nullptr, static_cast<int>(Number(c.a[0], LONG_MIN)),
                           static_cast<int>(Number(c.a[1], LONG_MIN)), 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE)
                  ? kOk
                  : Fail("SetWindowPos failed");
     }},
    {L"style", 0, true, Style},
    // balloon: "visible|hidden<TAB>LEFT TOP RIGHT BOTTOM<TAB>TEXT<TAB>EXSTYLE" of the balloon.
    {L"balloon", 0, false,
     [](const Call& c) {
       const auto balloons = c.OwnWindows(L"QuorixBalloon", false);
       if (balloons.empty()) return Fail("no balloon window");
       HWND b = balloons.front();
       return Print(std::string(IsWindowVisible(b) ? "visible" : "hidden") + "\t" + RectText(b) +
                    "\t" + Escape(StoredText(b)) + "\t" +
                    Hex(static_cast<unsigned long>(GetWindowLongW(b, GWL_EXSTYLE)), 8));
     }},
    {L"wait-balloon-hidden", 1, false,
     [](const Call& c) {
       return Until(c, c.a[0], "the balloon is still visible",
                    [](const Call& c) { return c.Balloon() == nullptr; });
     }},
    // double-click-balloon: a left double click in the middle of the visible balloon.
    {L"double-click-balloon", 0, false, DoubleClickBalloon},
    // middle-click X Y: at (X, Y) of the main window's client area.
    {L"middle-click", 2, true,
     [](const Call& c) {
       const LPARAM at = MAKELPARAM(Number(c.a[0]), Number(c.a[1]));
       PostMessageW(c.main, WM_MBUTTONDOWN, MK_MBUTTON, at);
       PostMessageW(c.main, WM_MBUTTONUP, 0, at);
       return int{kOk};
     }},
    {L"wait-popups", 2, false, WaitPopups},
    {L"ping", 3, true, Ping},
    {L"text-fit", 1, true, TextFit},
    {L"stamp", 0, false, [](const Call&) { return Stamp(); }},
    {L"sleep", 1, false, [](const Call& c) { return Sleep(Ms(c.a[0])), int{kOk}; }},
};

int Run(DWORD pid, const Args& line) {
  for (const Command& command : kCommands) {
    if (line[0] != command.name) continue;
    try {
      const Call c{pid, nullptr, Args(line.begin() + 1, line.end())};
      if (command.arity >= 0 && c.a.size() != static_cast<size_t>(command.arity))
        throw UsageError{};
      if (!command.needs_window) return command.run(c);
      HWND main = c.FindMain(false);
      if (main == nullptr) return Fail("no QuorixMain window"), kNoWindow;
      return command.run(Call{pid, main, c.a});
    } catch (const UsageError&) {
      return Fail("wrong arguments for " + Narrow(line[0])), kUsage;
    }
  }
  return Fail("unknown command " + Narrow(line[0])), kUsage;
}

}  // namespace

int main() {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr) return kUsage;
  Args all(argv + 1, argv + argc);
  LocalFree(argv);
  DWORD pid = 0;
  if (all.size() >= 2 && all[0] == L"--pid") {
    try {
      pid = static_cast<DWORD>(Number(all[1], 1));
    } catch (const UsageError&) {
      return Fail("--pid needs a process id"), kUsage;
    }
    all.erase(all.begin(), all.begin() + 2);
  }
  Args current;
  for (size_t i = 0; i <= all.size(); ++i) {
    if (i < all.size() && all[i] != L"--") {
      current.push_back(all[i]);
      continue;
    }
    if (current.empty())
      return Fail("usage: quorix_driver [--pid PID] COMMAND [ARGS] [-- COMMAND [ARGS]]..."), kUsage;
    if (const int rc = Run(pid, current); rc != kOk) return rc;
    current.clear();
  }
  return kOk;
}
