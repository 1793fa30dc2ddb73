// Reads and drives quorix's main window from another process, the way accessibility tools
// do: finds the top-level window of class "QuorixMain", reads its caption, its command box
// (control id 1001) and its answer line (id 1002), puts keys into the command box, closes the
// window, and finds and answers the process's message boxes.
//
// usage: quorix_driver [--pid PID] COMMAND [ARGS] [-- COMMAND [ARGS]]...
//   --pid PID                  only windows of this Windows process id
//   wait-window MS             until a visible QuorixMain window exists; prints its caption
//   caption                    prints the caption
//   wait-caption TEXT MS       until the caption is TEXT; prints it
//   answer                     prints the answer line
//   wait-answer [--contains] TEXT MS
//                              until the answer line is (or contains) TEXT; prints it
//   command-text               prints the command box
//   wait-command-text TEXT MS  until the command box holds TEXT; prints it
//   type TEXT                  TEXT into the command box, one WM_CHAR per UTF-16 unit
//   key [--via post|input] NAME
//                              one key: ENTER UP DOWN LEFT RIGHT ESC TAB BACK DELETE HOME END
//                              PGUP PGDN INSERT SPACE F1..F24 A..Z 0..9, optionally after
//                              SHIFT+ CTRL+ ALT+ (see Keys below for how it is delivered)
//   close                      posts WM_CLOSE to the window
//   wait-gone MS               until no QuorixMain window is left (of --pid, if given)
//   box MS                     waits for a message box of the process; prints "TITLE<TAB>TEXT"
//   dismiss-box MS             waits for a message box of the process, presses OK (Cancel
//                              when it has no OK) and waits until it is gone; prints its text
//   no-box MS                  succeeds when no message box of the process shows up within MS
//   pid                        prints the Windows process id of the window
//   window-rect                prints the main window's rectangle: "LEFT TOP RIGHT BOTTOM"
//   wait-window-size W H MS    until the main window is W x H pixels; prints its rectangle
//   move X Y                   moves the main window's top-left corner to (X, Y)
//   style                      prints the main window's style and extended style in hex
//   layered                    prints the main window's colour key as RRGGBB and the
//                              layered flags in hex (fails when it is not layered)
//   balloon                    prints the message balloon: "visible|hidden<TAB>LEFT TOP
//                              RIGHT BOTTOM<TAB>TEXT" (fails when there is none)
//   wait-balloon TEXT MS       until the balloon is visible with TEXT; prints its rectangle
//   wait-balloon-hidden MS     until no balloon of the process is visible
//   double-click-balloon       a left double click in the middle of the visible balloon
//   middle-click X Y           a middle-button click at (X, Y) of the main window's client area
//   balloon-style              prints the visible balloon's extended style in hex
//   wait-popups COUNT MS       until exactly COUNT popup boxes of the process are visible;
//                              prints their texts, one per line, oldest first
//   ping COUNT INTERVAL_MS LIMIT_MS
//                              COUNT WM_GETTEXT round trips to the answer line, INTERVAL_MS
//                              apart; prints the slowest in ms; fails when one took longer
//                              than LIMIT_MS (or got no reply)
//   text-fit answer|balloon    the text of the answer line or of the visible balloon lies
//                              inside it, measured with the font the program makes for it;
//                              prints "TOP BOTTOM LIMIT" in pixels
//   stamp                      prints the time as Unix seconds (for timing from outside)
//   sleep MS
//
// "The process" of the box commands: --pid when given, else the process of the QuorixMain
// window and every process whose program file is quorix.exe.
//
// Keys: by default a key is posted to the command box as the keyboard would deliver it
// (WM_KEYDOWN / WM_SYSKEYDOWN with its scan code, then the matching key-up); the window's
// message loop runs TranslateMessage on it, which makes the WM_CHAR (Enter's "\r", for
// example), so every way a window can watch keys (the message loop, a subclassed box, the
// character message) sees what a real key press gives. Posted keys reach the command box
// whatever window is in front or has the focus (no foreground rights are needed, and a stray
// window cannot catch them), and they stay in order with the characters "type" posts
// (hardware input and posted messages are taken from the queue in different turns).
// Posting cannot hold a modifier down (GetKeyState in the window would not see it), so a key
// with SHIFT+, CTRL+ or ALT+ goes through SendInput after the window was brought to the
// front and the command box was focused (the driver attaches to the window's input to set
// the focus and checks that both took). "--via post" or "--via input" forces one way. Text
// from "type" is posted as characters, as an input method delivers it.
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

std::u16string FromWide(const std::wstring& w) {
  return std::u16string(w.begin(), w.end());
}

std::string Escape(const std::wstring& text) {
  std::u16string plain;
  std::string out;
  auto flush = [&] {
    out += qrx::Utf16ToUtf8(plain);
    plain.clear();
  };
  for (const wchar_t wc : text) {
    const char16_t c = static_cast<char16_t>(wc);
    const char* named = nullptr;
    switch (c) {
      case u'\\':
        named = "\\\\";
        break;
      case u'\t':
        named = "\\t";
        break;
      case u'\r':
        named = "\\r";
        break;
      case u'\n':
        named = "\\n";
        break;
      default:
        break;
    }
    if (named != nullptr) {
      flush();
      out += named;
    } else if (c < 0x20 || c == 0x7f || (c >= 0x80 && c <= 0x9f)) {
      flush();
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned>(c));
      out += hex;
    } else {
      plain += c;
    }
  }
  flush();
  return out;
}

void Print(const std::string& line) {
  const std::string out = line + "\n";
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fflush(stdout);
}

void Error(const std::string& line) {
  const std::string out = "quorix_driver: " + line + "\n";
  std::fwrite(out.data(), 1, out.size(), stderr);
  std::fflush(stderr);
}

std::string Narrow(const std::wstring& w) {
  return qrx::Utf16ToUtf8(FromWide(w));
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

HWND RequireMain() {
  HWND hwnd = FindMain(false);
  if (hwnd == nullptr) Error("no QuorixMain window");
  return hwnd;
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

// ---- keys ----------------------------------------------------------------------------

struct KeyStroke {
  UINT vk = 0;
  bool shift = false, ctrl = false, alt = false;
};

bool IsExtended(UINT vk) {
  switch (vk) {
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_INSERT:
    case VK_DELETE:
      return true;
    default:
      return false;
  }
}

bool ParseKey(std::wstring name, KeyStroke* key) {
  for (auto& c : name) c = static_cast<wchar_t>(towupper(c));
  for (;;) {
    if (name.rfind(L"SHIFT+", 0) == 0) {
      key->shift = true;
      name.erase(0, 6);
    } else if (name.rfind(L"CTRL+", 0) == 0) {
      key->ctrl = true;
      name.erase(0, 5);
    } else if (name.rfind(L"ALT+", 0) == 0) {
      key->alt = true;
      name.erase(0, 4);
    } else
      break;
  }
  static const struct {
    const wchar_t* name;
    UINT vk;
  } kNames[] = {
      {L"ENTER", VK_RETURN}, {L"RETURN", VK_RETURN},  {L"UP", VK_UP},
      {L"DOWN", VK_DOWN},    {L"LEFT", VK_LEFT},      {L"RIGHT", VK_RIGHT},
      {L"ESC", VK_ESCAPE},   {L"ESCAPE", VK_ESCAPE},  {L"TAB", VK_TAB},
      {L"BACK", VK_BACK},    {L"BACKSPACE", VK_BACK}, {L"DELETE", VK_DELETE},
      {L"HOME", VK_HOME},    {L"END", VK_END},        {L"PGUP", VK_PRIOR},
      {L"PGDN", VK_NEXT},    {L"INSERT", VK_INSERT},  {L"SPACE", VK_SPACE},
  };
  for (const auto& entry : kNames) {
    if (name == entry.name) {
      key->vk = entry.vk;
      return true;
    }
  }
  if (name.size() == 1 &&
      ((name[0] >= L'A' && name[0] <= L'Z') || (name[0] >= L'0' && name[0] <= L'9'))) {
    key->vk = name[0];
    return true;
  }
  long n = 0;
  if (name.size() >= 2 && name[0] == L'F' && ParseNumber(name.substr(1), &n) && n >= 1 && n <= 24) {
    key->vk = VK_F1 + static_cast<UINT>(n - 1);
    return true;
  }
  return false;
}

LPARAM KeyParam(UINT vk, bool up, bool alt) {
  const UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
  LPARAM param = 1 | (static_cast<LPARAM>(scan & 0xff) << 16);
  if (IsExtended(vk)) param |= 1 << 24;
  if (alt) param |= 1 << 29;
  if (up) param |= (1 << 30) | (static_cast<LPARAM>(1) << 31);
  return param;
}

// Posted modifiers: their own key messages around the key, so that a window that follows
// the messages sees them; GetKeyState in the window does not (use --via input for that).
// With Alt held (and no Ctrl) the keys are system keys, as Windows sends them.
void PostKey(HWND box, const KeyStroke& key) {
  const bool sys = key.alt && !key.ctrl;
  const UINT down = sys ? WM_SYSKEYDOWN : WM_KEYDOWN;
  const UINT up = sys ? WM_SYSKEYUP : WM_KEYUP;
  if (key.ctrl) PostMessageW(box, WM_KEYDOWN, VK_CONTROL, KeyParam(VK_CONTROL, false, false));
  if (key.shift) PostMessageW(box, WM_KEYDOWN, VK_SHIFT, KeyParam(VK_SHIFT, false, false));
  if (key.alt) PostMessageW(box, down, VK_MENU, KeyParam(VK_MENU, false, true));
  PostMessageW(box, down, key.vk, KeyParam(key.vk, false, key.alt));
  PostMessageW(box, up, key.vk, KeyParam(key.vk, true, key.alt));
  if (key.alt) PostMessageW(box, WM_KEYUP, VK_MENU, KeyParam(VK_MENU, true, false));
  if (key.shift) PostMessageW(box, WM_KEYUP, VK_SHIFT, KeyParam(VK_SHIFT, true, false));
  if (key.ctrl) PostMessageW(box, WM_KEYUP, VK_CONTROL, KeyParam(VK_CONTROL, true, false));
}

INPUT KeyInput(UINT vk, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = static_cast<WORD>(vk);
  in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  in.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (IsExtended(vk) ? KEYEVENTF_EXTENDEDKEY : 0);
  return in;
}

// Brings the window to the front and the focus into the command box; true when both hold.
bool FocusCommandBox(HWND main, HWND box) {
  const DWORD target = GetWindowThreadProcessId(main, nullptr);
  const DWORD self = GetCurrentThreadId();
  const bool attached = AttachThreadInput(self, target, TRUE) != 0;
  SetForegroundWindow(main);
  SetFocus(box);
  if (attached) AttachThreadInput(self, target, FALSE);
  return WaitFor(2000, [&] {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetForegroundWindow() == main && GetGUIThreadInfo(target, &info) &&
           info.hwndFocus == box;
  });
}

bool InputKey(HWND main, HWND box, const KeyStroke& key) {
  if (!FocusCommandBox(main, box)) {
    Error("could not bring the command box to the front with the focus");
    return false;
  }
  std::vector<INPUT> inputs;
  std::vector<UINT> mods;
  if (key.ctrl) mods.push_back(VK_CONTROL);
  if (key.shift) mods.push_back(VK_SHIFT);
  if (key.alt) mods.push_back(VK_MENU);
  for (const UINT m : mods) inputs.push_back(KeyInput(m, false));
  inputs.push_back(KeyInput(key.vk, false));
  inputs.push_back(KeyInput(key.vk, true));
  for (auto it = mods.rbegin(); it != mods.rend(); ++it) inputs.push_back(KeyInput(*it, true));
  const UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  if (sent != inputs.size()) {
    Error("SendInput took " + std::to_string(sent) + " of " + std::to_string(inputs.size()) +
          " events");
    return false;
  }
  return true;
}

// ---- commands --------------------------------------------------------------------------

using Args = std::vector<std::wstring>;

bool Need(const Args& args, size_t n, const char* usage) {
  if (args.size() == n + 1) return true;
  Error(std::string("usage: ") + usage);
  return false;
}

bool TimeoutArg(const std::wstring& text, DWORD* ms) {
  long value = 0;
  if (!ParseNumber(text, &value) || value < 0) {
    Error("not a time in ms: " + Narrow(text));
    return false;
  }
  *ms = static_cast<DWORD>(value);
  return true;
}

bool ReadControl(int id, std::wstring* text) {
  HWND main = FindMain(false);
  if (main == nullptr) return false;
  HWND control = GetDlgItem(main, id);
  return control != nullptr && SentText(control, kReadTimeoutMs, text);
}

// wait-answer / wait-command-text
int WaitControl(int id, const Args& args, const char* usage) {
  bool contains = false;
  Args rest(args.begin() + 1, args.end());
  if (!rest.empty() && rest[0] == L"--contains") {
    contains = true;
    rest.erase(rest.begin());
  }
  DWORD ms = 0;
  if (rest.size() != 2) {
    Error(std::string("usage: ") + usage);
    return kUsage;
  }
  if (!TimeoutArg(rest[1], &ms)) return kUsage;
  const std::wstring& want = rest[0];
  std::wstring seen;
  bool read_once = false;
  const bool ok = WaitFor(ms, [&] {
    std::wstring text;
    if (!ReadControl(id, &text)) return false;
    read_once = true;
    seen = text;
    return contains ? text.find(want) != std::wstring::npos : text == want;
  });
  if (ok) {
    Print(Escape(seen));
    return kOk;
  }
  Error("timed out waiting for \"" + Escape(want) + "\"; last seen " +
        (read_once ? "\"" + Escape(seen) + "\"" : std::string("nothing (no window)")));
  return kFailed;
}

// text-fit answer|balloon, measured with the font the program makes for the window: the
// answer line from where the edit control puts its text down to the font's real line bottom
// (descenders included), against its inside; the balloon's text against its box.
int TextFit(const Args& args) {
  const bool answer = args.size() == 2 && args[1] == L"answer";
  if (args.size() != 2 || (!answer && args[1] != L"balloon")) return kUsage;
  long top = 0, bottom = 0, limit = qrx::BalloonWindow::kTextHeight;
  if (answer) {
    HWND line = GetDlgItem(RequireMain(), kAnswerLineId);
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
    if (!GetClientRect(line, &inside)) return kNoWindow;
    top = static_cast<short>(HIWORD(at));
    bottom = top + height;
    limit = inside.bottom;
  } else {
    const std::vector<HWND> balloons = WindowsOfClass(L"QuorixBalloon", true);
    if (balloons.empty()) return kNoWindow;
    const std::wstring text = StoredText(balloons.front());
    bottom = qrx::BalloonWindow::TextHeight(qrx::BalloonWindow::FitFont(text).Get(), text);
  }
  Print(std::to_string(top) + " " + std::to_string(bottom) + " " + std::to_string(limit));
  return top >= 0 && bottom <= limit ? kOk : kFailed;
}

int Run(const Args& args) {
  const std::wstring& cmd = args[0];
  DWORD ms = 0;
  if (cmd == L"text-fit") return TextFit(args);
  if (cmd == L"wait-window") {
    if (!Need(args, 1, "wait-window MS") || !TimeoutArg(args[1], &ms)) return kUsage;
    HWND main = nullptr;
    if (!WaitFor(ms, [&] { return (main = FindMain(true)) != nullptr; })) {
      Error("no visible QuorixMain window within " + Narrow(args[1]) + " ms");
      return kFailed;
    }
    Print(Escape(StoredText(main)));
    return kOk;
  }
  if (cmd == L"caption") {
    if (!Need(args, 0, "caption")) return kUsage;
    HWND main = RequireMain();
    if (main == nullptr) return kNoWindow;
    Print(Escape(StoredText(main)));
    return kOk;
  }
  if (cmd == L"wait-caption") {
    if (!Need(args, 2, "wait-caption TEXT MS") || !TimeoutArg(args[2], &ms)) return kUsage;
    std::wstring seen;
    if (!WaitFor(ms, [&] {
          HWND main = FindMain(false);
          if (main == nullptr) return false;
          seen = StoredText(main);
          return seen == args[1];
        })) {
      Error("timed out waiting for the caption \"" + Escape(args[1]) + "\"; last seen \"" +
            Escape(seen) + "\"");
      return kFailed;
    }
    Print(Escape(seen));
    return kOk;
  }
  if (cmd == L"answer" || cmd == L"command-text") {
    if (!Need(args, 0, "answer | command-text")) return kUsage;
    if (RequireMain() == nullptr) return kNoWindow;
    std::wstring text;
    if (!ReadControl(cmd == L"answer" ? kAnswerLineId : kCommandBoxId, &text)) {
      Error("the window did not answer WM_GETTEXT");
      return kFailed;
    }
    Print(Escape(text));
    return kOk;
  }
  if (cmd == L"wait-answer") {
    return WaitControl(kAnswerLineId, args, "wait-answer [--contains] TEXT MS");
  }
  if (cmd == L"wait-command-text") {
    return WaitControl(kCommandBoxId, args, "wait-command-text [--contains] TEXT MS");
  }
  if (cmd == L"type") {
    if (!Need(args, 1, "type TEXT")) return kUsage;
    HWND main = RequireMain();
    if (main == nullptr) return kNoWindow;
    HWND box = GetDlgItem(main, kCommandBoxId);
    for (const wchar_t c : args[1]) PostMessageW(box, WM_CHAR, c, 1);
    return kOk;
  }
  if (cmd == L"key") {
    Args rest(args.begin() + 1, args.end());
    bool via_input = false;
    bool via_given = false;
    if (rest.size() == 3 && rest[0] == L"--via") {
      via_given = true;
      if (rest[1] != L"post" && rest[1] != L"input") {
        Error("--via post or --via input");
        return kUsage;
      }
      via_input = rest[1] == L"input";
      rest.erase(rest.begin(), rest.begin() + 2);
    }
    KeyStroke key;
    if (rest.size() != 1 || !ParseKey(rest[0], &key)) {
      Error("usage: key [--via post|input] [SHIFT+][CTRL+][ALT+]NAME");
      return kUsage;
    }
    HWND main = RequireMain();
    if (main == nullptr) return kNoWindow;
    HWND box = GetDlgItem(main, kCommandBoxId);
    // Posting cannot hold a modifier down (GetKeyState would not see it): such keys go
    // through SendInput unless --via says otherwise.
    if (!via_given) via_input = key.shift || key.ctrl || key.alt;
    if (via_input) return InputKey(main, box, key) ? kOk : kFailed;
    PostKey(box, key);
    return kOk;
  }
  if (cmd == L"close") {
    if (!Need(args, 0, "close")) return kUsage;
    HWND main = RequireMain();
    if (main == nullptr) return kNoWindow;
    PostMessageW(main, WM_CLOSE, 0, 0);
    return kOk;
  }
  if (cmd == L"wait-gone") {
    if (!Need(args, 1, "wait-gone MS") || !TimeoutArg(args[1], &ms)) return kUsage;
    if (!WaitFor(ms, [] { return FindMain(false) == nullptr; })) {
      Error("the QuorixMain window is still there after " + Narrow(args[1]) + " ms");
      return kFailed;
    }
    return kOk;
  }
  if (cmd == L"box" || cmd == L"dismiss-box") {
    if (!Need(args, 1, "box | dismiss-box MS") || !TimeoutArg(args[1], &ms)) return kUsage;
    HWND box = nullptr;
    if (!WaitFor(ms, [&] { return (box = FindBox()) != nullptr; })) {
      Error("no message box within " + Narrow(args[1]) + " ms");
      return kFailed;
    }
    // The box may be visible before its text is set: wait until it has some.
    std::wstring text;
    WaitFor(1000, [&] { return !(text = BoxText(box)).empty(); });
    if (cmd == L"box") {
      Print(Escape(StoredText(box)) + "\t" + Escape(text));
      return kOk;
    }
    HWND ok = GetDlgItem(box, IDOK);
    const WORD id = ok != nullptr ? static_cast<WORD>(IDOK) : static_cast<WORD>(IDCANCEL);
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
    if (!WaitFor(5000, [&] { return !IsWindow(box) || !IsWindowVisible(box); })) {
      Error("the message box did not close");
      return kFailed;
    }
    Print(Escape(text));
    return kOk;
  }
  if (cmd == L"no-box") {
    if (!Need(args, 1, "no-box MS") || !TimeoutArg(args[1], &ms)) return kUsage;
    HWND box = nullptr;
    if (WaitFor(ms, [&] { return (box = FindBox()) != nullptr; })) {
      Error("a message box is shown: " + Escape(StoredText(box)) + "\t" + Escape(BoxText(box)));
      return kFailed;
    }
    return kOk;
  }
  if (cmd == L"pid") {
    if (!Need(args, 0, "pid")) return kUsage;
    HWND main = RequireMain();
    if (main == nullptr) return kNoWindow;
    Print(std::to_string(ProcessOf(main)));
    return kOk;
  }
  if (cmd == L"window-rect" || cmd == L"style" || cmd == L"layered") {
    if (!Need(args, 0, "window-rect | style | layered")) return kUsage;
    HWND main = RequireMain();
    if (main == nullptr) return kNoWindow;
    if (cmd == L"window-rect") {
      Print(RectText(main));
    } else if (cmd == L"style") {
      Print(Hex(static_cast<unsigned long>(GetWindowLongW(main, GWL_STYLE)), 8) + " " +
            Hex(static_cast<unsigned long>(GetWindowLongW(main, GWL_EXSTYLE)), 8));
    } else {
      COLORREF key = 0;
      BYTE alpha = 0;
      DWORD flags = 0;
      if ((GetWindowLongW(main, GWL_EXSTYLE) & WS_EX_LAYERED) == 0 ||
          !GetLayeredWindowAttributes(main, &key, &alpha, &flags)) {
        Error("the window is not layered");
        return kFailed;
      }
      Print(Hex((static_cast<unsigned long>(GetRValue(key)) << 16) |
                    (static_cast<unsigned long>(GetGValue(key)) << 8) | GetBValue(key),
                6) +
            " " + Hex(flags, 1));
    }
    return kOk;
  }
  if (cmd == L"wait-window-size") {
    long width = 0, height = 0;
    if (!Need(args, 3, "wait-window-size W H MS") || !ParseNumber(args[1], &width) ||
        !ParseNumber(args[2], &height) || !TimeoutArg(args[3], &ms)) {
      return kUsage;
    }
    HWND main = RequireMain();
    if (main == nullptr) return kNoWindow;
    RECT r{};
    if (!WaitFor(ms, [&] {
          GetWindowRect(main, &r);
          return r.right - r.left == width && r.bottom - r.top == height;
        })) {
      Error("the window is " + std::to_string(r.right - r.left) + " x " +
            std::to_string(r.bottom - r.top) + ", not " + Narrow(args[1]) + " x " +
            Narrow(args[2]));
      return kFailed;
    }
    Print(RectText(main));
    return kOk;
  }
  if (cmd == L"move") {
    long x = 0, y = 0;
    if (!Need(args, 2, "move X Y") || !ParseNumber(args[1], &x) || !ParseNumber(args[2], &y)) {
      return kUsage;
    }
    HWND main = RequireMain();
    if (main == nullptr) return kNoWindow;
    if (!SetWindowPos(main, nullptr, static_cast<int>(x), static_cast<int>(y), 0, 0,
                      SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE)) {
      Error("SetWindowPos failed");
      return kFailed;
    }
    return kOk;
  }
  if (cmd == L"middle-click") {
    long x = 0, y = 0;
    if (!Need(args, 2, "middle-click X Y") || !ParseNumber(args[1], &x) ||
        !ParseNumber(args[2], &y)) {
      return kUsage;
    }
    HWND main = RequireMain();
    if (main == nullptr) return kNoWindow;
    const LPARAM at = MAKELPARAM(x, y);
    PostMessageW(main, WM_MBUTTONDOWN, MK_MBUTTON, at);
    PostMessageW(main, WM_MBUTTONUP, 0, at);
    return kOk;
  }
  if (cmd == L"balloon") {
    if (!Need(args, 0, "balloon")) return kUsage;
    const std::vector<HWND> balloons = WindowsOfClass(L"QuorixBalloon", false);
    if (balloons.empty()) {
      Error("no balloon window");
      return kFailed;
    }
    HWND b = balloons.front();
    Print(std::string(IsWindowVisible(b) ? "visible" : "hidden") + "\t" + RectText(b) + "\t" +
          Escape(StoredText(b)));
    return kOk;
  }
  if (cmd == L"wait-balloon") {
    if (!Need(args, 2, "wait-balloon TEXT MS") || !TimeoutArg(args[2], &ms)) return kUsage;
    std::wstring seen = L"(none visible)";
    HWND shown = nullptr;
    if (!WaitFor(ms, [&] {
          for (HWND b : WindowsOfClass(L"QuorixBalloon", true)) {
            seen = StoredText(b);
            if (seen == args[1]) {
              shown = b;
              return true;
            }
          }
          return false;
        })) {
      Error("no visible balloon with \"" + Escape(args[1]) + "\"; last seen \"" + Escape(seen) +
            "\"");
      return kFailed;
    }
    Print(RectText(shown));
    return kOk;
  }
  if (cmd == L"wait-balloon-hidden") {
    if (!Need(args, 1, "wait-balloon-hidden MS") || !TimeoutArg(args[1], &ms)) return kUsage;
    if (!WaitFor(ms, [] { return WindowsOfClass(L"QuorixBalloon", true).empty(); })) {
      Error("the balloon is still visible after " + Narrow(args[1]) + " ms");
      return kFailed;
    }
    return kOk;
  }
  if (cmd == L"double-click-balloon" || cmd == L"balloon-style") {
    if (!Need(args, 0, "double-click-balloon | balloon-style")) return kUsage;
    const std::vector<HWND> balloons = WindowsOfClass(L"QuorixBalloon", true);
    if (balloons.empty()) {
      Error("no visible balloon");
      return kFailed;
    }
    HWND b = balloons.front();
    if (cmd == L"balloon-style") {
      Print(Hex(static_cast<unsigned long>(GetWindowLongW(b, GWL_EXSTYLE)), 8));
      return kOk;
    }
    RECT r{};
    GetClientRect(b, &r);
    const LPARAM at = MAKELPARAM(r.right / 2, r.bottom / 2);
    // The order a window of class style CS_DBLCLKS gets for a double click.
    PostMessageW(b, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(b, WM_LBUTTONUP, 0, at);
    PostMessageW(b, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    PostMessageW(b, WM_LBUTTONUP, 0, at);
    return kOk;
  }
  if (cmd == L"wait-popups") {
    long count = 0;
    if (!Need(args, 2, "wait-popups COUNT MS") || !ParseNumber(args[1], &count) || count < 0 ||
        !TimeoutArg(args[2], &ms)) {
      return kUsage;
    }
    std::vector<HWND> boxes;
    if (!WaitFor(ms, [&] {
          boxes = WindowsOfClass(L"QuorixPopup", true);
          return static_cast<long>(boxes.size()) == count;
        })) {
      Error(std::to_string(boxes.size()) + " popup boxes, not " + std::to_string(count));
      for (HWND b : boxes) Error("  " + Escape(StoredText(b)));
      return kFailed;
    }
    // Front to back is newest first.
    for (auto it = boxes.rbegin(); it != boxes.rend(); ++it) Print(Escape(StoredText(*it)));
    return kOk;
  }
  if (cmd == L"ping") {
    long count = 0, interval = 0, limit = 0;
    if (!Need(args, 3, "ping COUNT INTERVAL_MS LIMIT_MS") || !ParseNumber(args[1], &count) ||
        !ParseNumber(args[2], &interval) || !ParseNumber(args[3], &limit) || count < 1 ||
        interval < 0 || limit < 1) {
      return kUsage;
    }
    HWND main = RequireMain();
    if (main == nullptr) return kNoWindow;
    HWND line = GetDlgItem(main, kAnswerLineId);
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    double slowest = 0;
    bool all_answered = true;
    for (long i = 0; i < count; ++i) {
      if (i > 0) Sleep(static_cast<DWORD>(interval));
      LARGE_INTEGER before, after;
      QueryPerformanceCounter(&before);
      std::wstring text;
      const bool answered = SentText(line, static_cast<UINT>(limit), &text);
      QueryPerformanceCounter(&after);
      const double took = 1000.0 * static_cast<double>(after.QuadPart - before.QuadPart) /
                          static_cast<double>(frequency.QuadPart);
      if (took > slowest) slowest = took;
      if (!answered) all_answered = false;
    }
    char figure[64];
    std::snprintf(figure, sizeof figure, "%.1f", slowest);
    Print(figure);
    if (!all_answered || slowest > static_cast<double>(limit)) {
      Error(std::string("slowest WM_GETTEXT ") + figure + " ms" +
            (all_answered ? "" : ", some got no reply"));
      return kFailed;
    }
    return kOk;
  }
  if (cmd == L"stamp") {
    if (!Need(args, 0, "stamp")) return kUsage;
    FILETIME ft;
    GetSystemTimePreciseAsFileTime(&ft);
    const unsigned long long ticks =
        (static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    const unsigned long long unix_100ns = ticks - 116444736000000000ULL;
    char figure[64];
    std::snprintf(figure, sizeof figure, "%llu.%06llu", unix_100ns / 10000000ULL,
                  (unix_100ns % 10000000ULL) / 10);
    Print(figure);
    return kOk;
  }
  if (cmd == L"sleep") {
    if (!Need(args, 1, "sleep MS") || !TimeoutArg(args[1], &ms)) return kUsage;
    Sleep(ms);
    return kOk;
  }
  Error("unknown command " + Narrow(cmd));
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
      Error("--pid needs a process id");
      return kUsage;
    }
    g_pid = static_cast<DWORD>(pid);
    all.erase(all.begin(), all.begin() + 2);
  }
  if (all.empty()) {
    Error("usage: quorix_driver [--pid PID] COMMAND [ARGS] [-- COMMAND [ARGS]]...");
    return kUsage;
  }
  // Commands separated by "--" run in order; the first that fails ends the run.
  Args current;
  for (size_t i = 0; i <= all.size(); ++i) {
    if (i == all.size() || all[i] == L"--") {
      if (current.empty()) {
        Error("empty command");
        return kUsage;
      }
      const int rc = Run(current);
      if (rc != kOk) return rc;
      current.clear();
    } else {
      current.push_back(all[i]);
    }
  }
  return kOk;
}

#endif
