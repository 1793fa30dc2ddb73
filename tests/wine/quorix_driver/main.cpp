// Reads and drives quorix's main window from another process, the way accessibility tools
// do: finds the top-level window of class "QuorixMain", reads its caption, its command box
// (control id 1001) and its answer line (id 1002), puts keys into the command box, closes the
// window, and finds and answers the process's message boxes, balloon and popup boxes.
//
// usage: quorix_driver [--pid PID] COMMAND [ARGS] [-- COMMAND [ARGS]]...
// --pid limits the windows to one Windows process; the commands and their arguments are the
// rows of kCommands below (MS is a time limit in milliseconds). "The process" of the box
// commands: --pid when given, else the process of the QuorixMain window and every process
// whose program file is quorix.exe.
//
// Keys are posted to the command box as the keyboard delivers them (WM_KEYDOWN with its scan
// code, then the key-up); the window's message loop runs TranslateMessage on them, which makes
// the WM_CHAR (Enter's "\r"), so every way a window can watch keys sees what a real key press
// gives. Posted keys reach the box whatever window has the focus, and they stay in order with
// the characters "type" posts, as an input method delivers them.
//
// Output is UTF-8, one line per result; control characters and backslashes are escaped as
// C does (\\ \t \r \n \xHH), so "\r" in a text shows as the two characters \r.
// Exit code: 0 done, 1 a wait ran out or a condition failed, 2 usage, 3 no window.
#ifdef _WIN32
// <windows.h> must come before the headers that build on it.
// clang-format off
#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>
// clang-format on
#endif

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/text.h"
#ifdef _WIN32
#include "ui/layout.h"
#include "ui/win32/balloon_window.h"
#include "ui/win32/japanese_font.h"
#include "ui/win32/plain_window.h"
#endif

#ifndef _WIN32

int main() {
  std::fputs("quorix_driver: not on Windows\n", stderr);
  return 77;
}

#else

namespace {

constexpr int kCommandBoxId = 1001;
constexpr int kAnswerLineId = 1002;
constexpr DWORD kPollMs = 10;
constexpr UINT kReadTimeoutMs = 5000;

enum Exit { kOk = 0, kFailed = 1, kUsage = 2, kNoWindow = 3 };

DWORD g_pid = 0;  // --pid, 0 for any

std::string Narrow(const std::wstring& w) {
  return qrx::Utf16ToUtf8(std::u16string(w.begin(), w.end()));
}

std::string Escape(const std::wstring& text) {
  std::wstring plain;
  std::string out;
  for (const wchar_t c : text) {
    const char* named = c == L'\\'   ? "\\\\"
                        : c == L'\t' ? "\\t"
                        : c == L'\r' ? "\\r"
                        : c == L'\n' ? "\\n"
                                     : nullptr;
    if (named == nullptr && !(c < 0x20 || c == 0x7f || (c >= 0x80 && c <= 0x9f))) {
      plain += c;
      continue;
    }
    out += Narrow(plain);
    plain.clear();
    char hex[8];
    std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned>(c));
    out += named != nullptr ? named : hex;
  }
  return out + Narrow(plain);
}

void Print(const std::string& line) {
  std::fputs((line + "\n").c_str(), stdout);
  std::fflush(stdout);
}

int Fail(const std::string& line) {
  std::fputs(("quorix_driver: " + line + "\n").c_str(), stderr);
  std::fflush(stderr);
  return kFailed;
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

// Text of another process's window without sending it a message (the caption the system
// keeps), so that a busy window cannot block the read.
std::wstring StoredText(HWND hwnd) {
  std::wstring text(4096, L'\0');
  const int n = InternalGetWindowText(hwnd, text.data(), static_cast<int>(text.size()));
  text.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return text;
}

// WM_GETTEXT through the window's own thread: the text a control really holds. Fails when
// the thread does not answer within timeout_ms.
bool SentText(HWND hwnd, UINT timeout_ms, std::wstring* text) {
  DWORD_PTR length = 0;
  if (SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, timeout_ms, &length) == 0) {
    return false;
  }
  std::wstring buffer(length + 64, L'\0');
  DWORD_PTR copied = 0;
  if (SendMessageTimeoutW(hwnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                          SMTO_NORMAL, timeout_ms, &copied) == 0) {
    return false;
  }
  buffer.resize(copied);
  *text = buffer;
  return true;
}

struct MainSearch {
  HWND visible = nullptr;
  HWND any = nullptr;
};

BOOL CALLBACK CollectMain(HWND hwnd, LPARAM param) {
  auto* found = reinterpret_cast<MainSearch*>(param);
  if (ClassOf(hwnd) != L"QuorixMain") return TRUE;
  if (g_pid != 0 && ProcessOf(hwnd) != g_pid) return TRUE;
  if (found->any == nullptr) found->any = hwnd;
  if (found->visible == nullptr && IsWindowVisible(hwnd)) found->visible = hwnd;
  return TRUE;
}

// The main window: a visible one when there is one, else any (a hidden window still answers).
HWND FindMain(bool visible_only) {
  MainSearch found;
  EnumWindows(CollectMain, reinterpret_cast<LPARAM>(&found));
  if (found.visible != nullptr) return found.visible;
  return visible_only ? nullptr : found.any;
}

std::vector<DWORD> QuorixProcesses() {
  std::vector<DWORD> pids;
  if (g_pid != 0) {
    pids.push_back(g_pid);
    return pids;
  }
  if (HWND main = FindMain(false)) pids.push_back(ProcessOf(main));
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot != INVALID_HANDLE_VALUE) {
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
      if (lstrcmpiW(entry.szExeFile, L"quorix.exe") == 0) pids.push_back(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
  }
  return pids;
}

struct BoxSearch {
  std::vector<DWORD> pids;
  HWND box = nullptr;
};

BOOL CALLBACK CollectBox(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<BoxSearch*>(param);
  if (!IsWindowVisible(hwnd) || ClassOf(hwnd) != L"#32770") return TRUE;
  const DWORD pid = ProcessOf(hwnd);
  for (const DWORD p : search->pids) {
    if (p == pid) {
      search->box = hwnd;
      return FALSE;
    }
  }
  return TRUE;
}

HWND FindBox() {
  BoxSearch search;
  search.pids = QuorixProcesses();
  if (search.pids.empty()) return nullptr;
  EnumWindows(CollectBox, reinterpret_cast<LPARAM>(&search));
  return search.box;
}

BOOL CALLBACK FirstTextStatic(HWND hwnd, LPARAM param) {
  if (lstrcmpiW(ClassOf(hwnd).c_str(), L"Static") != 0) return TRUE;
  const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
  if ((style & SS_TYPEMASK) == SS_ICON) return TRUE;
  std::wstring text;
  if (!SentText(hwnd, kReadTimeoutMs, &text) || text.empty()) return TRUE;
  *reinterpret_cast<std::wstring*>(param) = text;
  return FALSE;
}

std::wstring BoxText(HWND box) {
  std::wstring text;
  EnumChildWindows(box, FirstTextStatic, reinterpret_cast<LPARAM>(&text));
  return text;
}

// Polls until ready() holds or timeout_ms has passed.
template <typename Ready>
bool WaitFor(DWORD timeout_ms, Ready ready) {
  const ULONGLONG start = GetTickCount64();
  for (;;) {
    if (ready()) return true;
    if (GetTickCount64() - start >= timeout_ms) return false;
    Sleep(kPollMs);
  }
}

bool ParseNumber(const std::wstring& text, long* value) {
  if (text.empty()) return false;
  wchar_t* end = nullptr;
  *value = std::wcstol(text.c_str(), &end, 10);
  return end != nullptr && *end == L'\0';
}

// ---- the skinned window's balloon and the popup boxes -------------------------------

// The process whose balloon and popups count: --pid, else the main window's.
DWORD OwnerProcess() {
  if (g_pid != 0) return g_pid;
  HWND main = FindMain(false);
  return main != nullptr ? ProcessOf(main) : 0;
}

struct ClassSearch {
  const wchar_t* class_name;
  DWORD pid;
  bool visible_only;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectClass(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<ClassSearch*>(param);
  if (ClassOf(hwnd) != search->class_name) return TRUE;
  if (search->pid != 0 && ProcessOf(hwnd) != search->pid) return TRUE;
  if (search->visible_only && !IsWindowVisible(hwnd)) return TRUE;
  search->found.push_back(hwnd);
  return TRUE;
}

// Top-level windows of a class of the quorix process, front to back.
std::vector<HWND> WindowsOfClass(const wchar_t* class_name, bool visible_only) {
  ClassSearch search{class_name, OwnerProcess(), visible_only, {}};
  if (search.pid == 0) return {};
  EnumWindows(CollectClass, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string RectText(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) +
         " " + std::to_string(r.bottom);
}

std::string Hex(unsigned long value, int digits) {
  char text[32];
  std::snprintf(text, sizeof text, "%0*lX", digits, value);
  return text;
}
// ---- commands --------------------------------------------------------------------------

using Args = std::vector<std::wstring>;  // a command's arguments, without its name

struct UsageError {};  // an argument that is not what the command takes

long Number(const std::wstring& text, long least = 0) {
  long value = 0;
  if (!ParseNumber(text, &value) || value < least) {
    Fail("not a number of at least " + std::to_string(least) + ": " + Narrow(text));
    throw UsageError{};
  }
  return value;
}

DWORD Ms(const std::wstring& text) {
  return static_cast<DWORD>(Number(text));
}

bool ReadControl(int id, std::wstring* text) {
  HWND main = FindMain(false);
  HWND control = main != nullptr ? GetDlgItem(main, id) : nullptr;
  return control != nullptr && SentText(control, kReadTimeoutMs, text);
}

// wait-answer / wait-command-text: [--contains] TEXT MS
int WaitControl(int id, Args args) {
  const bool contains = args.size() == 3 && args[0] == L"--contains";
  if (contains) args.erase(args.begin());
  if (args.size() != 2) throw UsageError{};
  const std::wstring& want = args[0];
  std::wstring seen;
  bool read_once = false;
  if (WaitFor(Ms(args[1]), [&] {
        if (!ReadControl(id, &seen)) return false;
        read_once = true;
        return contains ? seen.find(want) != std::wstring::npos : seen == want;
      })) {
    Print(Escape(seen));
    return kOk;
  }
  return Fail("timed out waiting for \"" + Escape(want) + "\"; last seen " +
              (read_once ? "\"" + Escape(seen) + "\"" : std::string("nothing (no window)")));
}

int PrintControl(int id) {
  std::wstring text;
  if (!ReadControl(id, &text)) return Fail("the window did not answer WM_GETTEXT");
  Print(Escape(text));
  return kOk;
}

HWND VisibleBalloon() {
  const std::vector<HWND> balloons = WindowsOfClass(L"QuorixBalloon", true);
  return balloons.empty() ? nullptr : balloons.front();
}

// The key names a test may press: posted with their scan codes (extended where the
// keyboard sends them so).
bool PostKey(HWND box, const std::wstring& name) {
  static const struct {
    const wchar_t* name;
    UINT vk;
    bool extended;
  } kKeys[] = {
      {L"ENTER", VK_RETURN, false}, {L"ESC", VK_ESCAPE, false}, {L"TAB", VK_TAB, false},
      {L"BACK", VK_BACK, false},    {L"UP", VK_UP, true},       {L"DOWN", VK_DOWN, true},
      {L"LEFT", VK_LEFT, true},     {L"RIGHT", VK_RIGHT, true}, {L"DELETE", VK_DELETE, true},
      {L"HOME", VK_HOME, true},     {L"END", VK_END, true},     {L"F3", VK_F3, false}};
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

int Ping(HWND main, const Args& a) {
  const long count = Number(a[0], 1), interval = Number(a[1]), limit = Number(a[2], 1);
  HWND line = GetDlgItem(main, kAnswerLineId);
  LARGE_INTEGER frequency, before, after;
  QueryPerformanceFrequency(&frequency);
  double slowest = 0;
  bool all_answered = true;
  for (long i = 0; i < count; ++i) {
    if (i > 0) Sleep(static_cast<DWORD>(interval));
    QueryPerformanceCounter(&before);
    std::wstring text;
    all_answered = SentText(line, static_cast<UINT>(limit), &text) && all_answered;
    QueryPerformanceCounter(&after);
    slowest = std::max(slowest, 1000.0 * static_cast<double>(after.QuadPart - before.QuadPart) /
                                    static_cast<double>(frequency.QuadPart));
  }
  char figure[64];
  std::snprintf(figure, sizeof figure, "%.1f", slowest);
  Print(figure);
  if (!all_answered || slowest > static_cast<double>(limit)) {
    return Fail(std::string("slowest WM_GETTEXT ") + figure + " ms" +
                (all_answered ? "" : ", some got no reply"));
  }
  return kOk;
}

int Stamp() {
  FILETIME ft;
  GetSystemTimePreciseAsFileTime(&ft);
  const unsigned long long ticks =
      ((static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime) -
      116444736000000000ULL;  // 100 ns since 1970
  char figure[64];
  std::snprintf(figure, sizeof figure, "%llu.%06llu", ticks / 10000000ULL,
                (ticks % 10000000ULL) / 10);
  Print(figure);
  return kOk;
}

// The box commands: box prints "TITLE<TAB>TEXT"; dismiss-box presses OK (Cancel when there is
// none), waits until the box is gone and prints its text.
int Box(const Args& a, bool dismiss) {
  HWND box = nullptr;
  if (!WaitFor(Ms(a[0]), [&] { return (box = FindBox()) != nullptr; })) {
    return Fail("no message box within " + Narrow(a[0]) + " ms");
  }
  // The box may be visible before its text is set: wait until it has some.
  std::wstring text;
  WaitFor(1000, [&] { return !(text = BoxText(box)).empty(); });
  if (!dismiss) {
    Print(Escape(StoredText(box)) + "\t" + Escape(text));
    return kOk;
  }
  HWND ok = GetDlgItem(box, IDOK);
  const WORD id = ok != nullptr ? static_cast<WORD>(IDOK) : static_cast<WORD>(IDCANCEL);
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
  if (!WaitFor(5000, [&] { return !IsWindow(box) || !IsWindowVisible(box); })) {
    return Fail("the message box did not close");
  }
  Print(Escape(text));
  return kOk;
}

// Prints the layered window's colour key as RRGGBB and its layered flags in hex.
int Layered(HWND main) {
  COLORREF key = 0;
  BYTE alpha = 0;
  DWORD flags = 0;
  if ((GetWindowLongW(main, GWL_EXSTYLE) & WS_EX_LAYERED) == 0 ||
      !GetLayeredWindowAttributes(main, &key, &alpha, &flags)) {
    return Fail("the window is not layered");
  }
  Print(Hex((static_cast<unsigned long>(GetRValue(key)) << 16) |
                (static_cast<unsigned long>(GetGValue(key)) << 8) | GetBValue(key),
            6) +
        " " + Hex(flags, 1));
  return kOk;
}

int DoubleClickBalloon() {
  HWND b = VisibleBalloon();
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

int WaitPopups(const Args& a) {
  const long count = Number(a[0]);
  std::vector<HWND> boxes;
  if (!WaitFor(Ms(a[1]), [&] {
        boxes = WindowsOfClass(L"QuorixPopup", true);
        return static_cast<long>(boxes.size()) == count;
      })) {
    std::string seen;
    for (HWND b : boxes) seen += "\n  " + Escape(StoredText(b));
    return Fail(std::to_string(boxes.size()) + " popup boxes, not " + std::to_string(count) + seen);
  }
  // Front to back is newest first.
  for (auto it = boxes.rbegin(); it != boxes.rend(); ++it) Print(Escape(StoredText(*it)));
  return kOk;
}

int WaitBalloon(const Args& a) {
  std::wstring seen = L"(none visible)";
  HWND shown = nullptr;
  if (!WaitFor(Ms(a[1]), [&] {
        for (HWND b : WindowsOfClass(L"QuorixBalloon", true)) {
          if ((seen = StoredText(b)) == a[0]) return (shown = b) != nullptr;
        }
        return false;
      })) {
    return Fail("no visible balloon with \"" + Escape(a[0]) + "\"; last seen \"" + Escape(seen) +
                "\"");
  }
  Print(RectText(shown));
  return kOk;
}

// text-fit answer|balloon, measured with the font the program makes for the window: the
// answer line from where the edit control puts its text down to the font's real line bottom
// (descenders included), against its inside; the balloon's text against its box. Prints
// "TOP BOTTOM LIMIT" in pixels.
int TextFit(HWND main, const Args& a) {
  long top = 0, bottom = 0, limit = qrx::BalloonWindow::kTextHeight;
  if (a[0] == L"answer") {
    HWND line = GetDlgItem(main, kAnswerLineId);
    HDC screen = GetDC(nullptr);
    const auto font = qrx::PlainWindow::BoxFont(
        true, qrx::layout::TwipsPerPixel(GetDeviceCaps(screen, LOGPIXELSY)));
    const HGDIOBJ old = SelectObject(screen, font.Get());
    const int height = qrx::win32::LineHeight(screen);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    DWORD_PTR at = 0;
    SendMessageTimeoutW(line, EM_POSFROMCHAR, 0, 0, SMTO_NORMAL, kReadTimeoutMs, &at);
    RECT inside{};
    if (!GetClientRect(line, &inside)) return Fail("no answer line");
    top = static_cast<short>(HIWORD(at));
    bottom = top + height;
    limit = inside.bottom;
  } else {
    HWND balloon = VisibleBalloon();
    if (balloon == nullptr) return Fail("no visible balloon");
    const std::wstring text = StoredText(balloon);
    bottom = qrx::BalloonWindow::TextHeight(qrx::BalloonWindow::FitFont(text).Get(), text);
  }
  Print(std::to_string(top) + " " + std::to_string(bottom) + " " + std::to_string(limit));
  return top >= 0 && bottom <= limit ? kOk : kFailed;
}

struct Command {
  const wchar_t* name;
  int arity;          // the number of arguments; -1: the handler checks them
  bool needs_window;  // the handler gets the main window, and there must be one
  int (*run)(HWND main, const Args& a);
};

const Command kCommands[] = {
    // wait-window MS: until a visible QuorixMain window exists; prints its caption.
    {L"wait-window", 1, false,
     [](HWND, const Args& a) {
       HWND main = nullptr;
       if (!WaitFor(Ms(a[0]), [&] { return (main = FindMain(true)) != nullptr; })) {
         return Fail("no visible QuorixMain window within " + Narrow(a[0]) + " ms");
       }
       Print(Escape(StoredText(main)));
       return int{kOk};
     }},
    {L"caption", 0, true,
     [](HWND main, const Args&) {
       Print(Escape(StoredText(main)));
       return int{kOk};
     }},
    // wait-caption TEXT MS: until the caption is TEXT; prints it.
    {L"wait-caption", 2, false,
     [](HWND, const Args& a) {
       std::wstring seen;
       if (!WaitFor(Ms(a[1]), [&] {
             HWND main = FindMain(false);
             return main != nullptr && (seen = StoredText(main)) == a[0];
           })) {
         return Fail("timed out waiting for the caption \"" + Escape(a[0]) + "\"; last seen \"" +
                     Escape(seen) + "\"");
       }
       Print(Escape(seen));
       return int{kOk};
     }},
    {L"answer", 0, true, [](HWND, const Args&) { return PrintControl(kAnswerLineId); }},
    {L"command-text", 0, true, [](HWND, const Args&) { return PrintControl(kCommandBoxId); }},
    {L"wait-answer", -1, false, [](HWND, const Args& a) { return WaitControl(kAnswerLineId, a); }},
    {L"wait-command-text", -1, false,
     [](HWND, const Args& a) { return WaitControl(kCommandBoxId, a); }},
    // type TEXT: one WM_CHAR per UTF-16 unit.
    {L"type", 1, true,
     [](HWND main, const Args& a) {
       for (const wchar_t c : a[0]) PostMessageW(GetDlgItem(main, kCommandBoxId), WM_CHAR, c, 1);
       return int{kOk};
     }},
    // key NAME: ENTER ESC TAB BACK UP DOWN LEFT RIGHT DELETE HOME END F3.
    {L"key", 1, true,
     [](HWND main, const Args& a) {
       if (!PostKey(GetDlgItem(main, kCommandBoxId), a[0])) throw UsageError{};
       return int{kOk};
     }},
    {L"close", 0, true,
     [](HWND main, const Args&) {
       PostMessageW(main, WM_CLOSE, 0, 0);
       return int{kOk};
     }},
    // wait-gone MS: until no QuorixMain window is left (of --pid, if given).
    {L"wait-gone", 1, false,
     [](HWND, const Args& a) {
       if (!WaitFor(Ms(a[0]), [] { return FindMain(false) == nullptr; })) {
         return Fail("the QuorixMain window is still there after " + Narrow(a[0]) + " ms");
       }
       return int{kOk};
     }},
    {L"box", 1, false, [](HWND, const Args& a) { return Box(a, false); }},
    {L"dismiss-box", 1, false, [](HWND, const Args& a) { return Box(a, true); }},
    // no-box MS: succeeds when no message box of the process shows up within MS.
    {L"no-box", 1, false,
     [](HWND, const Args& a) {
       HWND box = nullptr;
       if (WaitFor(Ms(a[0]), [&] { return (box = FindBox()) != nullptr; })) {
         return Fail("a message box is shown: " + Escape(StoredText(box)) + "\t" +
                     Escape(BoxText(box)));
       }
       return int{kOk};
     }},
    {L"pid", 0, true,
     [](HWND main, const Args&) {
       Print(std::to_string(ProcessOf(main)));
       return int{kOk};
     }},
    // window-rect: "LEFT TOP RIGHT BOTTOM".
    {L"window-rect", 0, true,
     [](HWND main, const Args&) {
       Print(RectText(main));
       return int{kOk};
     }},
    // wait-window-size W H MS: until the main window is W x H pixels; prints its rectangle.
    {L"wait-window-size", 3, true,
     [](HWND main, const Args& a) {
       const long width = Number(a[0]), height = Number(a[1]);
       RECT r{};
       if (!WaitFor(Ms(a[2]), [&] {
             GetWindowRect(main, &r);
             return r.right - r.left == width && r.bottom - r.top == height;
           })) {
         return Fail("the window is " + std::to_string(r.right - r.left) + " x " +
                     std::to_string(r.bottom - r.top) + ", not " + Narrow(a[0]) + " x " +
                     Narrow(a[1]));
       }
       Print(RectText(main));
       return int{kOk};
     }},
    // move X Y: the main window's top-left corner.
    {L"move", 2, true,
     [](HWND main, const Args& a) {
       if (!SetWindowPos(main, nullptr, static_cast<int>(Number(a[0], LONG_MIN)),
                         static_cast<int>(Number(a[1], LONG_MIN)), 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE)) {
         return Fail("SetWindowPos failed");
       }
       return int{kOk};
     }},
    // style: the main window's style and extended style in hex.
    {L"style", 0, true,
     [](HWND main, const Args&) {
       Print(Hex(static_cast<unsigned long>(GetWindowLongW(main, GWL_STYLE)), 8) + " " +
             Hex(static_cast<unsigned long>(GetWindowLongW(main, GWL_EXSTYLE)), 8));
       return int{kOk};
     }},
    {L"layered", 0, true, [](HWND main, const Args&) { return Layered(main); }},
    // balloon: "visible|hidden<TAB>LEFT TOP RIGHT BOTTOM<TAB>TEXT" of the message balloon.
    {L"balloon", 0, false,
     [](HWND, const Args&) {
       const std::vector<HWND> balloons = WindowsOfClass(L"QuorixBalloon", false);
       if (balloons.empty()) return Fail("no balloon window");
       HWND b = balloons.front();
       Print(std::string(IsWindowVisible(b) ? "visible" : "hidden") + "\t" + RectText(b) + "\t" +
             Escape(StoredText(b)));
       return int{kOk};
     }},
    // wait-balloon TEXT MS: until the balloon is visible with TEXT; prints its rectangle.
    {L"wait-balloon", 2, false, [](HWND, const Args& a) { return WaitBalloon(a); }},
    {L"wait-balloon-hidden", 1, false,
     [](HWND, const Args& a) {
       if (!WaitFor(Ms(a[0]), [] { return VisibleBalloon() == nullptr; })) {
         return Fail("the balloon is still visible after " + Narrow(a[0]) + " ms");
       }
       return int{kOk};
     }},
    // double-click-balloon: a left double click in the middle of the visible balloon.
    {L"double-click-balloon", 0, false, [](HWND, const Args&) { return DoubleClickBalloon(); }},
    // balloon-style: the visible balloon's extended style in hex.
    {L"balloon-style", 0, false,
     [](HWND, const Args&) {
       HWND b = VisibleBalloon();
       if (b == nullptr) return Fail("no visible balloon");
       Print(Hex(static_cast<unsigned long>(GetWindowLongW(b, GWL_EXSTYLE)), 8));
       return int{kOk};
     }},
    // middle-click X Y: at (X, Y) of the main window's client area.
    {L"middle-click", 2, true,
     [](HWND main, const Args& a) {
       const LPARAM at = MAKELPARAM(Number(a[0]), Number(a[1]));
       PostMessageW(main, WM_MBUTTONDOWN, MK_MBUTTON, at);
       PostMessageW(main, WM_MBUTTONUP, 0, at);
       return int{kOk};
     }},
    // wait-popups COUNT MS: until exactly COUNT popup boxes of the process are visible;
    // prints their texts, one per line, oldest first.
    {L"wait-popups", 2, false, [](HWND, const Args& a) { return WaitPopups(a); }},
    // ping COUNT INTERVAL_MS LIMIT_MS: COUNT WM_GETTEXT round trips to the answer line,
    // INTERVAL_MS apart; prints the slowest in ms; fails when one took longer than LIMIT_MS.
    {L"ping", 3, true, [](HWND main, const Args& a) { return Ping(main, a); }},
    // stamp: the time as Unix seconds (for timing from outside).
    {L"text-fit", 1, true, [](HWND main, const Args& a) { return TextFit(main, a); }},
    {L"stamp", 0, false, [](HWND, const Args&) { return Stamp(); }},
    {L"sleep", 1, false,
     [](HWND, const Args& a) {
       Sleep(Ms(a[0]));
       return int{kOk};
     }},
};

int Run(const Args& line) {
  const Args args(line.begin() + 1, line.end());
  for (const Command& c : kCommands) {
    if (line[0] != c.name) continue;
    try {
      if (c.arity >= 0 && args.size() != static_cast<size_t>(c.arity)) throw UsageError{};
      HWND main = c.needs_window ? FindMain(false) : nullptr;
      if (c.needs_window && main == nullptr) {
        Fail("no QuorixMain window");
        return kNoWindow;
      }
      return c.run(main, args);
    } catch (const UsageError&) {
      Fail("wrong arguments for " + Narrow(line[0]));
      return kUsage;
    }
  }
  Fail("unknown command " + Narrow(line[0]));
  return kUsage;
}

}  // namespace

int main() {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr) return kUsage;
  Args all(argv + 1, argv + argc);
  LocalFree(argv);
  if (all.size() >= 2 && all[0] == L"--pid") {
    long pid = 0;
    if (!ParseNumber(all[1], &pid) || pid <= 0) {
      Fail("--pid needs a process id");
      return kUsage;
    }
    g_pid = static_cast<DWORD>(pid);
    all.erase(all.begin(), all.begin() + 2);
  }
  // Commands separated by "--" run in order; the first that fails ends the run.
  Args current;
  for (size_t i = 0; i <= all.size(); ++i) {
    if (i < all.size() && all[i] != L"--") {
      current.push_back(all[i]);
      continue;
    }
    if (current.empty()) {
      Fail("usage: quorix_driver [--pid PID] COMMAND [ARGS] [-- COMMAND [ARGS]]...");
      return kUsage;
    }
    const int rc = Run(current);
    if (rc != kOk) return rc;
    current.clear();
  }
  return kOk;
}

#endif
