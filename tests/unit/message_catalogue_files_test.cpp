// The message catalogues in data/: DEF.MSG (code page 932, copied and merged by the program)
// and EN.MSG (English, for a user to copy over the .MSG file). They are read with a reader of
// the test's own, so that a fault in the files cannot hide behind one of the INI engine.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "base/text.h"
#include "core/message_catalogue.h"
#include "platform/posix/cp932.h"

namespace qrx {
namespace {

// Every key the program shows, per section: "KEY:params", the answer parameters (#A ... #J)
// the command sets first. A text may use only those (any other shows a value left from an
// earlier answer), and must show the upper case ones. Digit keys are result codes (#A).
constexpr const char* kRequired[] = {
    "SYSTEM START:AB END XYW INILOAD INPUT NEST LONG:A FAIL:A SAVE-ERR:a TRAY-ERR",
    "KEY BACK FORWARD",
    "BOX UPGRADE DOWNGRADE NEWFILE:A WRITE-ERR:A DROP-ERR SOCKET-ERR",
    "ELSE ERR",
    "MODE DIRECT NORMAL",
    "SET ERR1:A ERR2 CLIP:a CLIP-ERR:a 0-9:AB RND:a POSTYPE:a FIG:a FPU:a F01-15:AB "
    "CLIPFLG-ON:a CLIPFLG-OFF:a TIMER-ADD:AB TIMER-DEL:ab TIMER-ERR:Ab SKIN-ON:a SKIN-OFF "
    "MOVE-ON:a MOVE-OFF:a INDEX-ON:a INDEX-OFF:a LINKIP:a LINKPORT:a MYPORT:a MYPORT-ERR:AB MYPORT-BOUND MYPORT-RANGE "
    "LINKKEY:A LINKKEY-NEW:A LINKKEY-OFF:a LINKKEY-ERR:AB",
    "ACTIVEKEY SET:a DEL:a ERR:A NONE:A",
    "BAT ADD:ab DEL:ab VIEW:AB ERR:ab",
    "LBAT ERR:A",
    "WAIT WAIT:a",
    "SH WAIT ERR:AB FILE-ERR:A",
    "SHFO ERR:A NOOPT 0 1 2 3 5 50 113 117 120 124 1026 1223 ASK-DEL:A ASK-TRASH:A "
    "ASK-REPLACE:A ASK-DEL-MATCHES:AB ASK-TRASH-MATCHES:AB",
    "PROPERTY ERR:A",
    "LHA32 ERR:A NONE 0 32773 32780 32787 32792 32793 32796 32799 32800",
    "CONV CHG DONE ERR1 ERR2 ERR3 ERR4",
    "ECHO ADD:ab ERR",
    "INI R-OK:abcDE W-OK:abcd ERR:abcd",
    "SEARCH ERR:A",
    "KABE CHG:a ERR:a",
    "SS ON OFF ERR:a",
    "SKIN NOSKINMODE PICTURE-ERR:A",
    "CDDA OPEN PLAY STOP CLOSE RP:A RP-ERR:A ERR NONE:a",
    "MCI OK:ab ERR:AB NONE:a EMPTY UNKNOWN",
    "LINK SEND:ab ERR KEY-ERR:AB KEY-UNREADABLE KEY-SHORT KEY-RANDOM KEY-WRITE REFUSED:AB",
    "LL ADD:a ERR:A ADD-ERR:AB ADD-ADDRESS ADD-UNICAST ADD-WRITE:A",
    "WOL SEND ERR",
    "CALCRPN DONE:AB ERR1 ERR2 ERR3 ERR4 ERR5",
    "TAB LIST:AB",
    "INDEX WAIT DONE:A OFF",
};

// "SECTION_KEY" -> params.
std::map<std::string, std::string> Required() {
  std::map<std::string, std::string> out;
  for (const char* line : kRequired) {
    std::istringstream in(line);
    std::string section, word;
    for (in >> section; in >> word;) {
      const size_t colon = word.find(':');
      out[section + "_" + word.substr(0, colon)] =
          colon == std::string::npos ? "" : word.substr(colon + 1);
    }
  }
  return out;
}

struct Catalogue {
  std::string name;
  std::string bytes;
  std::u16string text;
  std::map<std::string, std::u16string> texts;  // "SECTION_KEY" -> text
  std::vector<std::string> problems;
};

// Sections "[NAME]", entries "KEY=text", comments ";..." and empty lines, each section and
// key once. Names are upper case ASCII: a "_" in one would split the message key wrongly.
Catalogue Load(const std::string& name) {
  Catalogue c{name, {}, {}, {}, {}};
  std::ifstream file(std::string(QRX_DATA_DIR) + "/" + name, std::ios::binary);
  c.bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  c.text = name == "DEF.MSG" ? Cp932Decode(c.bytes) : Utf8ToUtf16(c.bytes);
  static const std::regex kLine(R"(\[([A-Z0-9]+)\]|([A-Z0-9-]+)=(.*)|;.*|)");
  std::istringstream in(Utf16ToUtf8(c.text));
  std::set<std::string> sections;
  std::string line, section;
  for (std::smatch m; std::getline(in, line);) {
    if (line.ends_with('\r')) line.pop_back();
    bool ok = std::regex_match(line, m, kLine);
    if (ok && m[1].matched) ok = sections.insert(section = m[1]).second;
    if (ok && m[2].matched) {
      ok = !section.empty() &&
           c.texts.emplace(section + "_" + m[2].str(), Utf8ToUtf16(m[3].str())).second;
    }
    if (!ok) c.problems.push_back(line);
  }
  return c;
}

const std::vector<Catalogue>& Files() {
  static const std::vector<Catalogue> files = {Load("DEF.MSG"), Load("EN.MSG")};
  return files;
}

// The answer parameters a text uses, read as the answer pass reads "#" and one character:
// A to J a parameter, 0 to 9 a variable, "##" a literal "#"; anything else goes in `bad`.
std::string Params(std::u16string_view text, std::string* bad) {
  std::string used;
  for (size_t i = text.find(u'#'); i < text.size(); i = text.find(u'#', i + 2)) {
    const char16_t c = i + 1 < text.size() ? text[i + 1] : u' ';
    if (c >= u'A' && c <= u'J') {
      used += static_cast<char>(c);
    } else if ((c < u'0' || c > u'9') && c != u'#') {
      *bad += " #" + Utf16ToUtf8(std::u16string(1, c));
    }
  }
  std::sort(used.begin(), used.end());
  used.erase(std::unique(used.begin(), used.end()), used.end());
  return used;
}

TEST(MessageFiles, EncodingsAndLineEnds) {
  const Catalogue& def = Files()[0];
  // Invalid bytes decode to "?" or U+30FB: encoding back would not give the same bytes.
  const std::string back = Cp932Encode(def.text);
  EXPECT_TRUE(back == def.bytes)
      << "not code page 932 at byte "
      << std::mismatch(back.begin(), back.end(), def.bytes.begin(), def.bytes.end()).second -
             def.bytes.begin();
  // The program reads EN.MSG in code page 932 too: only ASCII reads the same in both.
  const std::string& en = Files()[1].bytes;
  EXPECT_TRUE(std::all_of(en.begin(), en.end(), [](char c) {
    return (c >= 0x20 && c < 0x7F) || c == '\r' || c == '\n';
  }));
  for (const Catalogue& f : Files()) {
    EXPECT_TRUE(f.bytes.starts_with(";")) << f.name << ": no byte-order mark";
    ASSERT_TRUE(f.bytes.ends_with("\r\n")) << f.name << ": the last line must end too";
    for (size_t i = 0; i < f.bytes.size(); ++i) {
      ASSERT_EQ(f.bytes[i] == '\r', f.bytes[i + 1] == '\n') << f.name << " bare CR or LF @" << i;
    }
  }
}

TEST(MessageFiles, EveryKeyShownHasTextWithTheParametersOfItsAnswer) {
  const auto required = Required();
  for (const Catalogue& f : Files()) {
    SCOPED_TRACE(f.name);
    for (const std::string& p : f.problems) ADD_FAILURE() << p;
    for (const auto& [id, params] : required) EXPECT_TRUE(f.texts.count(id)) << id << " is missing";
    for (const auto& [id, text] : f.texts) {
      // Keys of digits only in SHFO and LHA32 are result codes ("2", never "02").
      const size_t cut = id.find('_') + 1;
      const bool code = (id.starts_with("SHFO_") || id.starts_with("LHA32_")) &&
                        id.find_first_not_of("0123456789", cut) == std::string::npos &&
                        (id[cut] != '0' || id.size() == cut + 1);
      // A misspelt key ("TIMER_ADD") leaves the real one to show as its own name.
      EXPECT_TRUE(code || required.count(id)) << id << ": the program never asks for it";
      const std::string params = code ? "a" : required.count(id) ? required.at(id) : "";
      std::string bad;
      const std::string used = Params(text, &bad);
      for (char p : used) {
        EXPECT_NE(params.find_first_of({p, static_cast<char>(p - 'A' + 'a')}), std::string::npos)
            << id << " uses #" << p;
      }
      for (char p : params) {
        if (p >= 'A' && p <= 'J') {
          EXPECT_NE(used.find(p), std::string::npos) << id << " does not show #" << p;
        }
      }
      EXPECT_EQ(bad, "") << id;
      // Both languages have the same keys, each showing the same parameters.
      const Catalogue& other = Files()[&f == &Files()[0] ? 1 : 0];
      EXPECT_TRUE(other.texts.count(id) && Params(other.texts.at(id), &bad) == used) << id;
      EXPECT_FALSE(text.empty()) << id;
      EXPECT_EQ(text.find(u'|'), std::u16string::npos) << id << ": '|' starts the sound field";
    }
  }
}

TEST(MessageFiles, TextsThatTheProgramBringsAlongAreTheDeliveredOnes) {
  // They stand in for these keys in catalogues made before the keys existed.
  const Catalogue& def = Files()[0];
  for (const BuiltInText& built_in : BuiltInTexts()) {
    const std::string key = Utf16ToUtf8(built_in.key);
    ASSERT_TRUE(def.texts.count(key)) << key;
    EXPECT_TRUE(def.texts.at(key) == built_in.text) << key;
  }
}

}  // namespace
}  // namespace qrx
