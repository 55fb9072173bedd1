#pragma once
// Every caption the controls model can hold, written as patterns: a control's caption is either its
// design caption or one of the texts the program writes into it. A caption outside these (a cut
// number, a stray blank, text of another control) is a fault the fuzz targets report.
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/Captions.h"
#include "core/MainControls.h"
#include "core/OptionsControls.h"
#include "core/System.h"
#include "histogram/Accumulation.h"

namespace sorvant::fuzz {

// Pattern characters: '#' one digit, '~' one digit or decimal point, '*' one or more digits; every
// other character stands for itself.
inline bool matchesPattern(std::string_view pattern, std::string_view text) {
  const auto digit = [](char c) { return c >= '0' && c <= '9'; };
  std::size_t t = 0;
  for (std::size_t p = 0; p < pattern.size(); ++p) {
    const char c = pattern[p];
    if (c == '*') {
      // As many digits as the rest of the pattern leaves, one at least.
      const std::string_view rest(pattern.data() + p + 1, pattern.size() - p - 1);
      while (t < text.size() && digit(text[t])) {
        ++t;
        if (matchesPattern(rest, std::string_view(text.data() + t, text.size() - t))) return true;
      }
      return false;
    }
    if (t == text.size()) return false;
    const char x = text[t++];
    const bool ok = c == '#' ? digit(x) : c == '~' ? digit(x) || x == '.' : c == x;
    if (!ok) return false;
  }
  return t == text.size();
}

inline const std::map<std::string, std::vector<std::string>>& captionPatterns() {
  static const std::map<std::string, std::vector<std::string>> patterns = [] {
    std::map<std::string, std::vector<std::string>> p;
    p["CmdButton_ACQUIRE"] = {kAcquireOn, kAcquireOff};
    p["CmdButton_TEST"] = {kTestOn, kTestOff};
    p["CmdButton_DECAY"] = {kDecayOn, kDecayOff};
    p["CmdButton_VAR"] = {kVarOn, kVarOff};
    for (int w : {4, 6, 8, 12, 18, 24, 36, 48, 72, 108}) p["CmdButton_SECTOR"].push_back(sectorCaption(w));
    p["Label_SOURCE"] = {kSourceTest, kSourceDf, "SOURCE : MEM#"};
    p["Label_LAST_BRG"] = {"LAST BRG : ~~~"};
    p["Label_TOTAL_BRG"] = {"TOTAL BRG : 000", "TOTAL BRG : ####", "TOTAL BRG :  *"};
    p["Label_TOTAL_TIME"] = {"TOTAL TIME : ####", "TOTAL TIME :  *"};
    p["Label_TIME"] = {"00:00:00 AM", "TIME : ##:##:##"};
    p["Label_HDG"] = {"MAN ### TRU", "MAN ### MAG", "GPS ### TRU", "GPS ### MAG"};
    p["Label_RANGE"] = {"RANGE : 60 BRGS ", "RANGE  * BRGS"};
    p["Label_CURSOR"] = {"CURSOR : 000 TRU", "CURSOR ### TRU"};
    p["Label_DECAY_RATE"] = {"0.## @  # SEC", "0.## @ ## SEC"};
    p["Label_COMM"] = {"COM# @ #### BAUD", "COM* @ #### BAUD"};
    p["Label_COMPANY"] = {kCompanyText, kCreditsText};
    p["CmdButton_COMM_PORT"] = {"COMM PORT : COM *"};
    p["CmdButton_BAUD_RATE"] = {"BAUD RATE : 1200", "BAUD RATE : 2400", "BAUD RATE : 4800", "BAUD RATE : 9600"};
    p["CmdButton_HEADING"] = {kHeadingManual, kHeadingGps};
    p["Label_HEADING_CORRECTION"] = {"### WEST", "### EAST"};
    p["CmdButton_FRAC"] = {"FRAC 0.##"};
    p["CmdButton_TIME"] = {"@  # SEC", "@ ## SEC"};
    return p;
  }();
  return patterns;
}

// The patterns of one control, or none when only its design caption is right.
inline const std::vector<std::string>* patternsOf(const std::string& name) {
  const auto& patterns = captionPatterns();
  const auto found = patterns.find(name);
  return found == patterns.end() ? nullptr : &found->second;
}

// True when the caption is one the program can write into a control with these patterns.
inline bool captionProducible(const std::vector<std::string>* patterns, const std::string& design,
                              const std::string& caption) {
  if (caption == design) return true;
  if (patterns == nullptr) return false;
  for (const std::string& p : *patterns)
    if (matchesPattern(p, caption)) return true;
  return false;
}

// Each control of a window in order, with its design caption and its patterns.
struct CaptionRule {
  std::string design;
  const std::vector<std::string>* patterns;
};
template <typename Window>
std::vector<CaptionRule> captionRules() {
  Window design;
  std::vector<CaptionRule> rules;
  for (Control* c : design.all()) rules.push_back({c->caption, patternsOf(c->name)});
  return rules;
}

// The first control of either window whose caption the program cannot produce, as "name: caption";
// empty when every caption is one it writes.
inline std::string captionFault(System& sys) {
  static const std::vector<CaptionRule> mainRules = captionRules<MainControls>();
  static const std::vector<CaptionRule> optionRules = captionRules<OptionsControls>();
  const std::vector<Control*> main = sys.main.all();
  for (std::size_t i = 0; i < main.size(); ++i)
    if (!captionProducible(mainRules[i].patterns, mainRules[i].design, main[i]->caption))
      return main[i]->name + ": " + main[i]->caption;
  const std::vector<Control*> opt = sys.opt.all();
  for (std::size_t i = 0; i < opt.size(); ++i)
    if (!captionProducible(optionRules[i].patterns, optionRules[i].design, opt[i]->caption))
      return opt[i]->name + ": " + opt[i]->caption;
  return {};
}

}  // namespace sorvant::fuzz
