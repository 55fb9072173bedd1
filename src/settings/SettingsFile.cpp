#include "settings/SettingsFile.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <limits>
#include <optional>
#include <string_view>
#include <system_error>

#include "core/ConfigFolder.h"
#include "core/PathText.h"
#include "histogram/TestSource.h"
#include "options/OptionsCommands.h"
#include "settings/SettingsStore.h"

namespace sorvant {

namespace fs = std::filesystem;

namespace {

// Port numbers the serial port component takes; any other marks the file as damaged.
constexpr int kLowestPort = 1;
constexpr int kHighestPort = 255;
// The stored variation is one below the real one, and the step-up that follows wraps only upwards:
// anything below this would leave a variation under -179 that no rule expects.
constexpr int kLowestStoredVariation = -180;
// No value needs more; a longer line is not a settings file.
constexpr std::size_t kLongestLine = 256;

// The lines of a settings text, one at a time, as views into the text.
class Lines {
 public:
  explicit Lines(std::string_view text) : text_(text) {}

  // The next line without its line end: CRLF as written, a lone LF as other editors leave it. None
  // at the end of the text and for an overlong line: the file is then short or bad.
  std::optional<std::string_view> next() {
    const std::size_t end = text_.find('\n', at_);
    const bool last = end == std::string_view::npos;
    std::string_view line(text_.data() + at_, (last ? text_.size() : end) - at_);
    if (line.size() > kLongestLine) return std::nullopt;
    if (last) {
      at_ = text_.size();
      if (line.empty()) return std::nullopt;
      return line;  // the last line may lack its line end
    }
    at_ = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
  }

 private:
  std::string_view text_;
  std::size_t at_ = 0;
};

bool blank(char c) { return c == ' ' || c == '\t'; }

std::string_view withoutBlanks(std::string_view s) {
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

// A decimal number (sign, digits, at most one point), rounded ties-to-even, within lo..hi. Anything
// else on the line, a comma or an exponent included, makes it unreadable: the fixed format reads
// digits with at most one point after an optional minus, and the number must use the whole line.
std::optional<int32_t> wholeNumber(std::optional<std::string_view> line, double lo, double hi) {
  if (!line) return std::nullopt;
  std::string_view s = withoutBlanks(*line);
  if (!s.empty() && s.front() == '+') {
    s.remove_prefix(1);  // from_chars takes no plus sign, nor a minus after it
    if (!s.empty() && s.front() == '-') return std::nullopt;
  }
  double value = 0;
  const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value, std::chars_format::fixed);
  // Infinity and NaN are words, not digits.
  if (error != std::errc() || end != s.data() + s.size() || !std::isfinite(value)) return std::nullopt;
  const double rounded = roundEven(value);
  if (rounded < lo || rounded > hi) return std::nullopt;
  return static_cast<int32_t>(rounded);
}

// A text between double quotes, taken verbatim; blanks outside the quotes are allowed.
std::optional<std::string_view> quotedText(std::optional<std::string_view> line) {
  if (!line) return std::nullopt;
  const std::string_view s = withoutBlanks(*line);
  if (s.size() < 2 || s.front() != '"' || s.back() != '"') return std::nullopt;
  return s.substr(1, s.size() - 2);
}

// The heading source as a stored "GPS" sets it: unlike the dialog's command, no GPS watchdog stamp
// and the speed warning is left alone.
void selectGpsHeading(System& sys) {
  MainControls& m = sys.main;
  sys.opt.CmdButton_HEADING.caption = kHeadingGps;
  sys.st.GPS_TIMER = true;
  m.Frame_GPS_FAIL.visible = false;
  m.CmdButton_HDG_CCW.visible = false;
  m.CmdButton_HDG_CW.visible = false;
  m.Label_HDG.caption = "GPS " + rightChars(m.Label_HDG.caption, 7);
}

// Applies one file's values in file order. False at the first value that cannot be read or
// stored; what was applied before it stays applied.
bool applyFile(System& sys, std::string_view text) {
  Lines in(text);
  constexpr double kLong = std::numeric_limits<int32_t>::max();
  constexpr double kInteger = std::numeric_limits<int16_t>::max();
  for (int set = 1; set <= 5; ++set) {
    for (int slot = 1; slot <= 8; ++slot) {
      const auto colour = wholeNumber(in.next(), -kLong - 1, kLong);
      if (!colour) return false;
      sys.colors.COLOR_TABLE[set][slot] = *colour;
    }
  }
  sys.colors.COLOR_SET = 1;
  const auto port = wholeNumber(in.next(), kLowestPort, kHighestPort);
  if (!port) return false;
  sys.MSComm1.setCommPort(*port);
  const auto baud = wholeNumber(in.next(), -kInteger - 1, kInteger);
  if (!baud) return false;
  sys.opt.BAUD_RATE = static_cast<int16_t>(*baud);

  // Acquisition before test mode: the test command must see the acquisition mode already applied.
  const auto acquire = quotedText(in.next());
  if (!acquire) return false;
  if (*acquire == kAcquireOff) CmdButton_ACQUIRE_Click(sys);
  const auto test = quotedText(in.next());
  if (!test) return false;
  if (*test == kTestOff) CmdButton_TEST_Click(sys);
  const auto heading = quotedText(in.next());
  if (!heading) return false;
  if (*heading == kHeadingGps) selectGpsHeading(sys);

  const auto variation = wholeNumber(in.next(), kLowestStoredVariation, kInteger);
  if (!variation) return false;
  // The step-up command's read-out and the main window's copy are built from the stored value.
  sys.opt.HEADING_CORRECTION = static_cast<int16_t>(*variation);
  applyStoredVariation(sys);
  return true;
}

// A port opened by the test command of a read that then failed: it must not stay open while the
// next read changes its number under it.
bool releasePort(System& sys) {
  if (!sys.MSComm1.portOpen()) return false;
  sys.MSComm1.close();
  return true;
}

// Every fault with a file is told once in a run, however often the file is met again.
void tellOnce(System& sys, const fs::path& path, const std::string& message) {
  if (!sys.run.settingsTold.emplace(path, message).second) return;
  std::cerr << "sorvant: " << message << "\n";
}

void tellNotSaved(System& sys, const fs::path& path, const std::string& protection) {
  tellOnce(sys, path, pathText(path) + " " + protection + ": the settings are read from it but will not be saved");
}

void applyBuiltInDefaults(System& sys) { applyFile(sys, defaultSettingsText()); }

void addNumber(std::string& text, long value) {
  char line[24];  // a sign, up to 19 digits, CR LF
  char* end = std::to_chars(line, line + sizeof line - 2, value).ptr;
  *end++ = '\r';
  *end++ = '\n';
  text.append(line, end);
}
void addText(std::string& text, const std::string& value) {
  text += '"';
  text += value;
  text += "\"\r\n";
}

}  // namespace

fs::path settingsPath() { return configFolder() / "Sorvant.ini"; }

fs::path settingsFileOf(const System& sys) { return sys.settingsFile.empty() ? settingsPath() : sys.settingsFile; }

std::string defaultSettingsText() {
  // Built once: start-up falls back on it for every damaged file, and it never changes.
  static const std::string text = [] {
    std::string lines;
    for (int set = 1; set <= 5; ++set)
      for (int slot = 1; slot <= 8; ++slot) addNumber(lines, kDefaultColors[slot]);
    addNumber(lines, 1);
    addNumber(lines, 4800);
    addText(lines, kAcquireOn);
    addText(lines, kTestOn);
    addText(lines, kHeadingManual);
    addNumber(lines, -1);
    return lines;
  }();
  return text;
}

void readSettings(System& sys, const fs::path& path) {
  SettingsStore& store = settingsStoreOf(sys);
  sys.run.settingsTold.erase(path);
  sys.run.settingsLeftAlone.erase(path);
  bool portReleased = false;
  bool replaced = false;
  const std::string protection = store.protection(path);
  for (;;) {
    const FileRead file = store.read(path);
    if (file.status == FileRead::Status::Read) {
      if (applyFile(sys, file.text)) break;
    }
    portReleased = releasePort(sys) || portReleased;
    if (file.status == FileRead::Status::NotAFile || file.status == FileRead::Status::Unreadable) {
      // Neither damaged nor missing: whatever stands there is left as it is, now and at shutdown.
      sys.run.settingsLeftAlone.insert(path);
      const std::string what = file.status == FileRead::Status::NotAFile ? " is " + file.reason + ", not a regular file"
                                                                         : " cannot be read (" + file.reason + ")";
      tellOnce(
          sys, path,
          pathText(path) + what + ": nothing was read, the default settings are in use and changes will not be saved");
      applyBuiltInDefaults(sys);
      break;
    }
    // A write-protected file is the operator's to change: even a damaged one stays as it is.
    if (!protection.empty()) {
      if (file.status == FileRead::Status::Read)
        tellOnce(sys, path,
                 pathText(path) + " is damaged and " + protection +
                     ": it was left as it is, the default settings are in use and changes will not be saved");
      applyBuiltInDefaults(sys);
      break;
    }
    if (!replaced) {
      // Only what was there is damage; a missing file (a link to one included) has nothing to keep.
      if (file.status == FileRead::Status::Read) {
        if (const std::error_code ec = store.keepAside(path)) {
          // No copy of the damage can be kept: it stays in place until shutdown saves over it.
          tellOnce(sys, path,
                   pathText(path) + " is damaged and could not be kept aside (" + ec.message() +
                       "): the default settings are in use and will replace it at the end of the run");
          applyBuiltInDefaults(sys);
          break;
        }
      }
      const ReplaceResult defaults = store.replace(path, defaultSettingsText());
      replaced = defaults.status == ReplaceStatus::Written;
      if (replaced) continue;
      // No file can be made there (C:/ to a standard account without the installer's file). A link
      // to a file that does not exist yet (a USB stick not plugged in) is not told now: the stick
      // may be there by the end of the run, and shutdown says so if the settings cannot be saved.
      const bool linkToNothing = file.status == FileRead::Status::Missing && file.viaLink;
      if (defaults.status == ReplaceStatus::Failed && !linkToNothing)
        tellOnce(sys, path,
                 "the settings cannot be kept: " + defaults.reason +
                     "; the default settings are in use and changes will not be saved");
    }
    // One replacement at most: defaults that cannot be written, or not read back, end the retries
    // and the same defaults apply from memory.
    applyBuiltInDefaults(sys);
    break;
  }
  if (!protection.empty()) tellNotSaved(sys, path, protection);
  // Standard error reaches no one when the program is started from a menu, and never on Windows: the
  // same words rest on the QUIT button, where an operator looks before ending a run.
  const auto said = sys.run.settingsTold.find(path);
  sys.main.CmdButton_QUIT.toolTip = said == sys.run.settingsTold.end() ? std::string() : said->second;
  // The modes the failed read left (test source off, acquisition on) want the receiver; it is
  // heard again on the port number now in force.
  const MainControls& m = sys.main;
  if (portReleased && m.CmdButton_TEST.caption == kTestOff && m.CmdButton_ACQUIRE.caption == kAcquireOn)
    openPortForAcquisition(sys);
}

bool writeSettings(System& sys, const fs::path& path) {
  ColorTable& c = sys.colors;
  for (int slot = 1; slot <= 8; ++slot) c.COLOR_TABLE[1][slot] = sys.opt.color(slot);
  std::string text;
  text.reserve(768);  // the 46 lines, whatever their values
  for (int set = 1; set <= 5; ++set)
    for (int slot = 1; slot <= 8; ++slot) addNumber(text, c.COLOR_TABLE[set][slot]);
  addNumber(text, sys.MSComm1.commPort());
  addNumber(text, sys.opt.BAUD_RATE);
  addText(text, sys.main.CmdButton_ACQUIRE.caption);
  addText(text, sys.main.CmdButton_TEST.caption);
  addText(text, sys.opt.CmdButton_HEADING.caption);
  // The file holds the variation less one; the reader's step-up puts the one back.
  sys.opt.HEADING_CORRECTION = static_cast<int16_t>(sys.opt.HEADING_CORRECTION - 1);
  addNumber(text, sys.opt.HEADING_CORRECTION);
  if (sys.run.settingsLeftAlone.count(path) != 0) return false;  // start-up has said why
  SettingsStore& store = settingsStoreOf(sys);
  const ReplaceResult result = store.replace(path, text);
  if (result.status == ReplaceStatus::ReadOnly) {
    const std::string protection = store.protection(path);
    tellNotSaved(sys, path, protection.empty() ? "is write-protected" : protection);
  }
  if (result.status == ReplaceStatus::NotAFile) tellOnce(sys, path, "the settings were not saved: " + result.reason);
  if (result.status == ReplaceStatus::Failed)
    std::cerr << "sorvant: the settings were not saved: " << result.reason << "\n";
  return result.status == ReplaceStatus::Written;
}

}  // namespace sorvant
