// Exercises the operating system's platform on real files and prints one line per result,
// "check NAME ok" or "check NAME FAIL DETAIL" (UTF-8). The exit code is 1 when one failed.
//
// usage: platform_check WORK
// WORK (an ASCII path in the platform's own form) was prepared by the caller: WORK/find/
// only.txt, .hidden.txt (hidden), a_folder.txt/ (a folder) and 日本語ファイル.dat,
// WORK/日本語フォルダ/; with QRX_CHECK_ATTRIBUTES=1 WORK/attr/hidden.txt and system.txt that
// carry those attributes. The program runs as WORK/bin/platform_check beside beside.txt and
// 日本語.txt, in WORK/cwd (holding incwd.txt), with QRX_CHECK_JP=日本語テキスト and
// QRX_CHECK_EMPTY set to the empty text.
#include <chrono>
#include <cstdio>
#include <ctime>
#include <optional>
#include <string>
#include <thread>

#include "base/text.h"
#include "platform/os_platform.h"
#include "unit/hmac_vectors.h"

namespace {

using qrx::Utf16ToUtf8;

int failures = 0;

void Check(const char* name, bool ok, const std::string& detail = {}) {
  if (!ok) ++failures;
  std::printf("check %s %s\n", name, ok ? "ok" : ("FAIL " + detail).c_str());
}

// A check that a text came out as expected, with both in the report when it did not.
void CheckText(const char* name, const std::optional<std::u16string>& got,
               const std::optional<std::u16string>& want) {
  auto show = [](const std::optional<std::u16string>& t) {
    return t ? "\"" + Utf16ToUtf8(*t) + "\"" : std::string("(nothing)");
  };
  Check(name, got == want, "got " + show(got) + ", want " + show(want));
}

std::string Hex(const std::string& bytes) {
  std::string out;
  char two[3];
  for (const unsigned char c : bytes) out += (std::snprintf(two, sizeof two, "%02x", c), two);
  return out;
}

void CheckAnsi(qrx::Platform& os) {
  const std::u16string japanese = u"日本語テキスト、ｶﾀｶﾅ①ー";
  CheckText("ansi.round-trip", os.FromAnsi(os.ToAnsi(japanese)), japanese);
  const std::string nihon = os.ToAnsi(u"日本");
  Check("ansi.code-page-932", nihon == "\x93\xfa\x96\x7b", Hex(nihon));
  const std::string lost = os.ToAnsi(u"a한é€b");
  // '€' is 0x80 in some code pages but not in 932.
  Check("ansi.unrepresentable", lost == "a???b", Hex(lost));
  Check("ansi.empty", os.ToAnsi(u"").empty() && os.FromAnsi("").empty());
}

void CheckClock(qrx::Platform& os) {
  const uint32_t first = os.TickCount();
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  const uint32_t elapsed = os.TickCount() - first;
  Check("clock.tick", elapsed >= 90 && elapsed < 5000, std::to_string(elapsed) + " ms");
  const qrx::LocalTime now = os.Now();
  Check("clock.now", now.year >= 2024 && now.month >= 1 && now.month <= 12 && now.day >= 1 &&
                         now.day <= 31 && now.hour >= 0 && now.hour < 24);
}

std::u16string Lower(std::u16string text) {
  for (char16_t& c : text) c = c >= u'A' && c <= u'Z' ? c + 32 : c;
  return text;
}

void CheckProcess(qrx::Platform& os, const std::u16string& work) {
  CheckText("env.japanese", os.GetEnv(u"QRX_CHECK_JP"), u"日本語テキスト");
  CheckText("env.empty", os.GetEnv(u"QRX_CHECK_EMPTY"), u"");
  CheckText("env.undefined", os.GetEnv(u"QRX_CHECK_UNDEFINED"), std::nullopt);
  CheckText("program-dir", os.ProgramDirectory(), work + u"\\bin");
  CheckText("current-dir", os.CurrentDirectory(), work + u"\\cwd");
  CheckText("windows-dir", Lower(os.WindowsDirectory()), u"c:\\windows");
  CheckText("system-dir", Lower(os.SystemDirectory()), u"c:\\windows\\system32");
}

void CheckSearchPath(qrx::Platform& os, const std::u16string& work) {
  const std::u16string program = os.ProgramDirectory();
  const std::u16string cwd = os.CurrentDirectory();
  CheckText("search.beside-program", os.SearchPath(u"beside.txt"), program + u"\\beside.txt");
  CheckText("search.japanese-name", os.SearchPath(u"日本語.txt"), program + u"\\日本語.txt");
  CheckText("search.current-folder", os.SearchPath(u"incwd.txt"), cwd + u"\\incwd.txt");
  CheckText("search.missing", os.SearchPath(u"qrx-no-such-file.txt"), u"");
  CheckText("search.no-extension-added", os.SearchPath(u"beside"), u"");

  // Full paths of exactly 254 and 255 bytes: the second does not fit the lookup's buffer.
  const std::u16string stem = work + u"\\";
  if (stem.size() + 10 < 254) {
    const std::u16string fits = stem + std::u16string(254 - stem.size() - 4, u'a') + u".txt";
    const std::u16string too_long = stem + std::u16string(255 - stem.size() - 4, u'b') + u".txt";
    Check("search.long-files-written", os.WriteFile(fits, "x") && os.WriteFile(too_long, "x"));
    CheckText("search.254-bytes-found", os.SearchPath(fits), fits);
    CheckText("search.255-bytes-not-found", os.SearchPath(too_long), u"");
  } else {
    Check("search.work-folder-short-enough", false, Utf16ToUtf8(work));
  }
}

void CheckFind(qrx::Platform& os, const std::u16string& work) {
  const std::u16string find = work + u"\\find\\", nowhere = work + u"\\nowhere\\";
  const struct {
    const char* name;
    std::u16string pattern;
    std::optional<std::u16string> first;
  } kFinds[] = {{"find.skips-folder-and-hidden", find + u"*.txt", u"only.txt"},
                {"find.question-mark", find + u"?nly.tx?", u"only.txt"},
                {"find.japanese", find + u"日本*", u"日本語ファイル.dat"},
                {"find.no-match", find + u"*.none", std::nullopt},
                {"find.missing-folder", nowhere + u"*", std::nullopt},
                {"find.skips-hidden-by-name", find + u".hidden.txt", std::nullopt}};
  for (const auto& f : kFinds) CheckText(f.name, os.FindFirstFile(f.pattern), f.first);
  // Existence is not a search: hidden files exist, folders and patterns are no files.
  const struct {
    const char* name;
    std::u16string path;
    bool exists;
  } kExists[] = {{"exists.folder-is-no-file", find + u"a_folder.txt", false},
                 {"exists.hidden", find + u".hidden.txt", true},
                 {"exists.plain-name", find + u"only.txt", true},
                 {"exists.pattern-is-no-name", find + u"*.txt", false},
                 {"exists.missing", find + u"none.txt", false},
                 {"exists.missing-folder", nowhere + u"only.txt", false}};
  for (const auto& e : kExists) Check(e.name, os.FileExists(e.path) == e.exists);
  // Files marked hidden or system by the file system's attributes, where it keeps them.
  if (os.GetEnv(u"QRX_CHECK_ATTRIBUTES") == u"1") {
    const std::u16string attr = work + u"\\attr\\";
    CheckText("find.skips-hidden-and-system", os.FindFirstFile(attr + u"*.txt"), std::nullopt);
    Check("exists.hidden-and-system-attribute",
          os.FileExists(attr + u"hidden.txt") && os.FileExists(attr + u"system.txt"));
  }
}

void CheckFiles(qrx::Platform& os, const std::u16string& work) {
  const std::u16string data = work + u"\\data.bin";
  const std::string bytes("a\0b\r\n\x82\xa0\xff", 8);
  Check("files.write", os.WriteFile(data, bytes));
  Check("files.read-back", os.ReadFile(data) == bytes);
  Check("files.rewrite-shorter", os.WriteFile(data, "new") && os.ReadFile(data) == "new");
  Check("files.write-missing-folder", !os.WriteFile(work + u"\\nowhere\\f", "x"));
  Check("files.read-missing", !os.ReadFile(work + u"\\nothing.bin"));
  Check("files.read-folder", !os.ReadFile(work + u"\\find"));

  const std::u16string copy = work + u"\\copy.bin";
  Check("files.copy", os.CopyFile(data, copy) && os.ReadFile(copy) == "new");
  Check("files.copy-replaces",
        os.WriteFile(data, "newer") && os.CopyFile(data, copy) && os.ReadFile(copy) == "newer");
  Check("files.copy-missing",
        !os.CopyFile(work + u"\\nothing.bin", copy) && os.ReadFile(copy) == "newer");

  const std::u16string japanese = work + u"\\日本語.txt";
  Check("files.japanese-name",
        os.WriteFile(japanese, "\x93\xfa\x96\x7b") && os.ReadFile(japanese) == "\x93\xfa\x96\x7b");
}

void CheckLaunch(qrx::Platform& os, const std::u16string& work) {
  // A working folder that is not there refuses the launch ("path not found"); nothing runs.
  const int32_t result = os.ShellExecute(0, u"OPEN", os.SystemDirectory() + u"\\cmd.exe",
                                         u"/c exit", work + u"\\nowhere\\", 0);
  Check("launch.missing-folder-refused", result == 3, "result " + std::to_string(result));
}

void CheckCurrentFolder(qrx::Platform& os, const std::u16string& work) {
  const std::u16string before = os.CurrentDirectory();
  const std::u16string find = work + u"\\find";
  Check("cwd.set", os.SetCurrentDirectory(find));
  CheckText("cwd.reported", os.CurrentDirectory(), find);
  const std::u16string japanese = work + u"\\日本語フォルダ";
  Check("cwd.set-japanese", os.SetCurrentDirectory(japanese));
  CheckText("cwd.reported-japanese", os.CurrentDirectory(), japanese);
  Check("cwd.set-missing", !os.SetCurrentDirectory(work + u"\\nowhere"));
  CheckText("cwd.unchanged-after-failure", os.CurrentDirectory(), japanese);
  Check("cwd.restore", os.SetCurrentDirectory(before));
}

// HMAC-SHA-256 from the system's library with the RFC 4231 tags, its random source, the
// clock two machines compare, and a key file that only its owner reads.
void CheckSigning(qrx::Platform& os, const std::u16string& work) {
  for (const qrx::test::HmacVector& v : qrx::test::Rfc4231Vectors()) {
    Check((std::string("hmac.rfc4231-") + v.name).c_str(),
          qrx::test::TagMatches(v, os.HmacSha256(v.key, v.data)),
          Hex(os.HmacSha256(v.key, v.data)));
  }
  const auto a = os.RandomBytes(32);
  const auto b = os.RandomBytes(32);
  Check("random.bytes", a && b && a->size() == 32 && *a != *b);
  const int64_t skew = os.UnixTime() - static_cast<int64_t>(std::time(nullptr));
  Check("clock.unix-time", skew >= -2 && skew <= 2, std::to_string(skew) + " s");
  const std::u16string key = work + u"\\secret.key";
  Check("secret.write", os.WriteFile(key, "old") && os.WriteSecretFile(key, "new key") &&
                            os.ReadFile(key) == "new key");
  const auto stamp = os.StampOf(key);
  Check("stamp.changes", stamp && os.WriteFile(key, "changed!") && os.StampOf(key) != stamp);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: platform_check WORK\n", stderr);
    return 2;
  }
  const std::unique_ptr<qrx::Platform> os = qrx::CreateOsPlatform();
  const std::u16string work = qrx::Utf8ToUtf16(argv[1]);
  CheckAnsi(*os);
  CheckClock(*os);
  CheckProcess(*os, work);
  CheckSearchPath(*os, work);
  CheckFind(*os, work);
  CheckFiles(*os, work);
  CheckLaunch(*os, work);
  CheckCurrentFolder(*os, work);
  CheckSigning(*os, work);
  return failures == 0 ? 0 : 1;
}
