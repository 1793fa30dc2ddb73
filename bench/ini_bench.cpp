// Reading one key of a configuration-sized INI file through the POSIX platform, as quorix does
// for each setting: the file on disk is checked on every call (one stat) and the parsed copy
// kept from the first reading answers while the file stays the same.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "base/text.h"
#include "platform/posix/cp932.h"
#include "platform/posix/posix_platform.h"

namespace {

// 1,000 keys in 10 sections; every tenth value is Japanese, so the code page is used too.
class ThousandKeyFile {
 public:
  ThousandKeyFile() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "qrx-ini-bench-XXXXXX").string();
    if (::mkdtemp(tmpl.data()) == nullptr) std::abort();
    folder_ = tmpl;
    std::u16string text;
    for (int s = 0; s < 10; ++s) {
      text += u"[SECTION" + qrx::Decimal(s) + u"]\r\n";
      for (int k = 0; k < 100; ++k) {
        text += u"KEY" + qrx::Decimal(s * 100 + k) + u"=" +
                (k % 10 == 9 ? u"日本語の値" : u"value of a setting ") + qrx::Decimal(k) + u"\r\n";
      }
    }
    std::ofstream(folder_ + "/bench.ini", std::ios::binary) << qrx::Cp932Encode(text);
    path_ = qrx::Utf8ToUtf16(folder_ + "/bench.ini");
    // A file written a moment ago is read afresh at every call (its times cannot yet tell a
    // later write from this one); the measurement is of a configuration that sits on disk.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ~ThousandKeyFile() { std::filesystem::remove_all(folder_); }
  const std::u16string& path() const { return path_; }

 private:
  std::string folder_;
  std::u16string path_;
};

// range(0): which key (0 = the first line of the file, 999 = the last one).
void BM_ReadIniOfThousandKeyFile(benchmark::State& state) {
  const ThousandKeyFile file;
  qrx::PosixPlatform os;
  const int key = static_cast<int>(state.range(0));
  const std::u16string section = u"SECTION" + qrx::Decimal(key / 100);
  const std::u16string name = u"KEY" + qrx::Decimal(key);
  if (os.ProfileGetString(section, name, u"", file.path()).empty()) {
    state.SkipWithError("key not found");
    return;
  }
  for (auto _ : state) {
    auto value = os.ProfileGetString(section, name, u"", file.path());
    benchmark::DoNotOptimize(value);
  }
}
BENCHMARK(BM_ReadIniOfThousandKeyFile)->Arg(0)->Arg(500)->Arg(999)->Unit(benchmark::kMicrosecond);

}  // namespace
