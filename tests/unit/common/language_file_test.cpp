// The shipped "Language.cfg" as built: its encoding, and every section complete, within each
// key's capacity and (by a width estimate) within the control that shows it, so a translator
// cannot silently overflow a button.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "display_language.h"
#include "language_text.h"
#include "panel_texts.h"

namespace {

constexpr std::uint32_t kShort = kLanguageShortCapacity - 2;  // 22
constexpr std::uint32_t kLong = kLanguageLongCapacity - 2;    // 126

// Every looked-up key, with the fewest characters any of its lookups keeps and, where it is a
// control caption, the room the caption has in dialog units (control width less its frame, the
// check box glyph or the button's margins; group box captions sit in the frame line).
struct KeyRule {
  const char* key;
  std::uint32_t capacity;
  int roomDlu;  // 0: no fixed control
};
const KeyRule kKeys[] = {
    {"TEXT_APPNAME", kLong, 0},           {"TEXT_HOOKTYPE", kLong, 109 - 16},
    {"TEXT_PARAM", kLong, 292 - 16},      {"TEXT_MISC", kLong, 228 - 16},
    {"TEXT_LBUTTON", kLong, 76 - 14},     {"TEXT_RBUTTON", kLong, 76 - 14},
    {"TEXT_WHEEL", kLong, 76 - 14},       {"TEXT_AUTOTIPS", kLong, 100 - 14},
    {"TEXT_AUTOHOOK", kLong, 100 - 14},   {"TEXT_LOGTOFILE", kShort, 100 - 14},
    {"TEXT_SET", kLong, 62 - 8},          {"TEXT_HOOK", kShort, 64 - 8},
    {"TEXT_UNHOOK", kShort, 64 - 8},      {"TEXT_EXIT", kShort, 64 - 8},
    {"TEXT_UPDOWNINTVTIME", kLong, 0},    {"TEXT_DBCLICKINTVTIME", kLong, 0},
    {"TEXT_ROTREVERSEINTVTIME", kLong, 0}, {"TEXT_MILLISECOND", kShort, 0},
    {"TEXT_UNKNOWN", kShort, 0},          {"TEXT_ACTION", kShort, 64 - 8},
    {"TEXT_AUTOREPORT", kShort, 0},       {"TEXT_SETTING", kShort, 0},
    {"TEXT_ABOUT", kShort, 0},            {"TEXT_TIPSTITLE", kLong, 0},
    {"TEXT_MINIMIZED", kShort, 0},        {"TEXT_UNHOOKED", kShort, 0},
    {"TEXT_COUNT", kShort, 0},            {"TEXT_BLOCKEDUPDOWN", kLong, 0},
    {"TEXT_BLOCKEDDBCLICK", kLong, 0},    {"TEXT_BLOCKEDROTREVERSE", kLong, 0},
    {"TEXT_HOOKSUCCESSFULLY", kLong, 0},  {"TEXT_HOOKFAILED", kLong, 0},
    {"TEXT_UNHOOKSUCCESSFULLY", kLong, 0}, {"TEXT_UNHOOKFAILED", kLong, 0},
    {"TEXT_RESULT", kShort, 0},           {"TEXT_QLNNAME", kLong, 0},
    {"TEXT_PROVIDER", kShort, 0},         {"TEXT_VERSION", kShort, 0},
    {"TEXT_RELEASEDATE", kShort, 0},      {"TEXT_LANGUAGE", kShort, 56},
    {"LANG_NAME", kShort, 150 - 18},             {"LANG_PROVIDER", kShort, 0},
    {"TEXT_CMDLINEUSAGE", kLong, 0},      {"TEXT_FORMAT", kShort, 0},
    {"TEXT_SAMPLE", kShort, 0},           {"TEXT_RUN", kLong, 0},
    {"TEXT_ADDSTARTUP", kLong, 0},        {"TEXT_REMOVESTARTUP", kLong, 0},
    // The mouse check: its button on the main dialog, its window's buttons and texts.
    {"TEXT_MOUSECHECK", kShort, 100 - 8}, {"TEXT_MC_GUIDED", kShort, 80 - 8},
    {"TEXT_MC_CLEAR", kShort, 64 - 8},    {"TEXT_MC_USE", kShort, 64 - 8},
    {"TEXT_MC_SAVE", kShort, 64 - 8},     {"TEXT_MC_CLOSE", kShort, 64 - 8},
    {"TEXT_MC_AREAHINT", kLong, 0},       {"TEXT_MC_SUGGESTED", kLong, 0},
    {"TEXT_MC_MIDDLE", kLong, 0},         {"TEXT_MC_SIDE1", kLong, 0},
    {"TEXT_MC_SIDE2", kLong, 0},          {"TEXT_MC_HOLD", kLong, 0},
    {"TEXT_MC_GAP", kLong, 0},            {"TEXT_MC_PRESSTOPRESS", kLong, 0},
    {"TEXT_MC_DIRECTIONCHANGE", kLong, 0}, {"TEXT_MC_DOWN", kShort, 0},
    {"TEXT_MC_UP", kShort, 0},            {"TEXT_MC_FORWARD", kShort, 0},
    {"TEXT_MC_BACKWARD", kShort, 0},      {"TEXT_MC_SWALLOWEDAT", kShort, 0},
    {"TEXT_MC_NOTFILTERED", kShort, 0},   {"TEXT_MC_CHATTERUPTO", kLong, 0},
    {"TEXT_MC_FASTESTCLICK", kLong, 0},   {"TEXT_MC_FASTESTDOUBLE", kLong, 0},
    {"TEXT_MC_PRESSCONFIRM", kLong, 0},
    {"TEXT_MC_FASTESTREVERSAL", kLong, 0}, {"TEXT_MC_NOCHATTER", kLong, 0},
    {"TEXT_MC_OVERLAP", kLong, 0},        {"TEXT_MC_NOTENOUGH", kLong, 0},
    {"TEXT_MC_STEP1", kLong, 0},          {"TEXT_MC_STEP2", kLong, 0},
    {"TEXT_MC_STEP3", kLong, 0},          {"TEXT_MC_STEP4", kLong, 0},
    {"TEXT_MC_DONE", kLong, 0},           {"TEXT_MC_STEPCLICKS", kLong, 0},
    {"TEXT_MC_STEPDOUBLE", kLong, 0},     {"TEXT_MC_LACKING", kLong, 0},
    {"TEXT_MC_CSVFILES", kLong, 0},
    {"TEXT_MC_SAVEFAILED", kLong, 0},     {"TEXT_MC_OWN", kShort, 0},
    {"TEXT_MC_SHARED", kShort, 0},        {"TEXT_MC_OWNBOUNCE", kLong, 0},
    {"TEXT_MC_OWNDOUBLE", kLong, 0},
    // The question Exit asks about a filter another program started.
    {"TEXT_EXITASK", kLong, 0},           {"TEXT_EXITSTOP", kLong, 0},
    {"TEXT_EXITKEEP", kLong, 0},          {"TEXT_EXITCANCEL", kLong, 0},
    {"TEXT_TRAYFILTERING", kShort, 0},    {"TEXT_TRAYOFF", kShort, 0},
    {"TEXT_TRAYSWALLOWED", kShort, 0},    {"TEXT_SETREFUSEDTITLE", kShort, 0},
    {"TEXT_SETREFUSED", kLong, 0},        {"TEXT_OWNREFUSED", kLong, 0},
    {"TEXT_DRAGHOLDREFUSED", kLong, 0},
    // The Options window, its button on the main dialog and its tray item.
    {"TEXT_OPTIONS", kLong, 132 - 8},     {"TEXT_OPT_BUTTONS", kLong, 286 - 16},
    {"TEXT_OPT_BUTTON", kLong, 110},      {"TEXT_OPT_UPDOWN", kLong, 76},
    {"TEXT_OPT_DBCLICK", kLong, 80},      {"TEXT_MBUTTON", kLong, 110 - 14},
    {"TEXT_XBUTTON1", kLong, 110 - 14},   {"TEXT_XBUTTON2", kLong, 110 - 14},
    {"TEXT_OPT_SHAREDHINT", kLong, 274},  {"TEXT_OPT_ENGINE", kLong, 286 - 16},
    {"TEXT_RELEASEGUARD", kLong, 274 - 14}, {"TEXT_DRAGHOLD", kLong, 150 - 14},
    {"TEXT_DRAGHOLDTIME", kLong, 80},     {"TEXT_EXCLUDED", kLong, 286 - 16},
    {"TEXT_ADD", kLong, 70 - 8},          {"TEXT_REMOVE", kLong, 70 - 8},
    {"TEXT_EXCLUDEDCUT", kLong, 274},     {"TEXT_PAUSEHOTKEY", kLong, 96},
    {"TEXT_HOTKEYINUSE", kLong, 83},      {"TEXT_SETTINGSFILE", kLong, 286},
    {"TEXT_CLOSE", kLong, 70 - 8},        {"TEXT_BROWSE", kShort, 0},
    {"TEXT_PROGRAMFILES", kShort, 0},     {"TEXT_PAUSED", kShort, 0},
    // The Options window's list of languages (its drop-down arrow takes 18 units).
    {"TEXT_DISPLAYLANGUAGE", kLong, 150 - 18},
    // A start that did not install: whose filter holds the library or the session.
    {"TEXT_FILTERHELDHERE", kLong, 0},    {"TEXT_FILTEROTHERUSER", kLong, 0},
    {"TEXT_FILTEROTHERCOPY", kLong, 0},
    {"TEXT_PRESSCONFIRM", kLong, 150 - 14}, {"TEXT_PRESSCONFIRMTIME", kLong, 80},
};

using Section = std::map<std::string, std::u16string>;

struct LanguageFile {
  std::vector<std::string> listedSections;  // from the opening comment
  std::vector<std::string> sectionOrder;
  std::map<std::string, Section> sections;
  std::vector<std::string> problems;  // encoding and syntax
};

std::string Ascii(const std::u16string& text) {
  std::string out;
  for (char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

std::u16string Trim(const std::u16string& text) {
  const auto blank = [](char16_t c) { return c == u' ' || c == u'\t'; };
  std::size_t begin = 0, end = text.size();
  while (begin < end && blank(text[begin])) ++begin;
  while (end > begin && blank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

LanguageFile Load() {
  LanguageFile file;
  std::ifstream in(QUILLON_LANGUAGE_FILE, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.size() < 2 || bytes[0] != '\xFF' || bytes[1] != '\xFE' || bytes.size() % 2 != 0) {
    file.problems.push_back("not UTF-16LE with a byte-order mark: " QUILLON_LANGUAGE_FILE);
    return file;
  }
  std::u16string text;
  for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
    text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
  }
  if (text.size() < 2 || text.compare(text.size() - 2, 2, u"\r\n") != 0) file.problems.push_back("last line not ended");

  std::string current;
  std::size_t lineNumber = 0;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find(u"\r\n", start);
    if (end == std::u16string::npos) end = text.size();
    const std::u16string line = text.substr(start, end - start);
    start = end + 2;
    ++lineNumber;
    const std::string where = "line " + std::to_string(lineNumber);
    if (line.find_first_of(u"\r\n") != std::u16string::npos) file.problems.push_back(where + ": bare CR or LF");
    if (line.empty()) continue;
    if (line[0] == u';') {
      const std::u16string marker = u"Sections:";
      const std::size_t at = line.find(marker);
      if (lineNumber == 1 && at != std::u16string::npos) {
        for (std::u16string rest = line.substr(at + marker.size()); !rest.empty();) {
          std::size_t comma = rest.find(u',');
          std::u16string item = Trim(rest.substr(0, comma));
          item = item.substr(0, item.find(u' '));  // "NEUTRAL (English)"
          file.listedSections.push_back(Ascii(item));
          rest = comma == std::u16string::npos ? u"" : rest.substr(comma + 1);
        }
      }
      continue;
    }
    if (line[0] == u'[') {
      current = Ascii(line.substr(1, line.find(u']') - 1));
      if (file.sections.count(current)) file.problems.push_back(where + ": section [" + current + "] again");
      file.sectionOrder.push_back(current);
      file.sections[current];
      continue;
    }
    const std::size_t equals = line.find(u'=');
    if (current.empty() || equals == std::u16string::npos) {
      file.problems.push_back(where + ": neither section, key nor comment");
      continue;
    }
    const std::string key = Ascii(Trim(line.substr(0, equals)));
    const std::u16string value = line.substr(equals + 1);
    // The profile functions trim blanks around a value, so a text cannot rely on them.
    if (Trim(value) != value) file.problems.push_back(where + ": blanks around the text of " + key);
    if (!file.sections[current].emplace(key, Trim(value)).second) {
      file.problems.push_back(where + ": " + key + " again in [" + current + "] (only the first is read)");
    }
  }
  return file;
}

const LanguageFile& Shipped() {
  static const LanguageFile file = Load();
  return file;
}

bool IsWide(char16_t c) {
  return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) ||
         (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
         (c >= 0xFFE0 && c <= 0xFFE6);
}

// A rough width in dialog units (a quarter of the dialog font's average character): full-width
// characters two averages, narrow Latin letters and punctuation about half, capitals a little
// more. An estimate with a margin, meant to catch the caption that plainly does not fit.
int EstimatedWidthDlu(const std::u16string& text) {
  int width = 0;
  for (char16_t c : text) {
    if (IsWide(c)) {
      width += 8;
    } else if (std::u16string_view(u"iIjl.,:;'!|() ").find(c) != std::u16string_view::npos) {
      width += 2;
    } else if (c == u'f' || c == u'r' || c == u't') {
      width += 3;
    } else if (c == u'm' || c == u'w' || c == u'M' || c == u'W') {
      width += 6;
    } else if ((c >= u'A' && c <= u'Z') || c == u'Ü' || c == u'É' || c == u'À') {
      width += 5;
    } else {
      width += 4;
    }
  }
  return width;
}

TEST(LanguageFile, IsUtf16WithCrLfAndWellFormed) {
  const LanguageFile& file = Shipped();
  for (const std::string& problem : file.problems) ADD_FAILURE() << problem;
  ASSERT_FALSE(file.sections.empty());
  EXPECT_EQ(file.sectionOrder.front(), "NEUTRAL");
  // The opening comment tells users which names they can put in [Main] Language.
  EXPECT_EQ(file.listedSections, file.sectionOrder);
  for (const char* required : {"NEUTRAL", "GERMAN", "FRENCH", "SPANISH", "SIMPLIFIED_CHINESE", "JAPANESE"}) {
    EXPECT_TRUE(file.sections.count(required)) << "missing section " << required;
  }
  for (const std::string& name : file.sectionOrder) {
    EXPECT_LE(name.size(), kShort) << "[Main] Language keeps only 22 characters: " << name;
  }
}

TEST(LanguageFile, EverySectionIsCompleteAndWithinCapacity) {
  std::set<std::string> known;
  for (const KeyRule& rule : kKeys) known.insert(rule.key);
  // The tabled keys, the mouse check's, the exit question's, the tray tooltip's, the refusals
  // (Set's, an own interval's, the drag-hold time's), the Options window's (with the tooltip's
  // "paused" and press confirmation), the language list's, a start's that did not install.
  ASSERT_EQ(known.size(), 48u + 43u + 4u + 3u + 4u + 26u + 1u + 3u);
  std::set<std::u16string> languageNames;
  for (const auto& [name, section] : Shipped().sections) {
    for (const KeyRule& rule : kKeys) {
      const std::string where = "[" + name + "] " + rule.key;
      auto found = section.find(rule.key);
      if (found == section.end()) {
        ADD_FAILURE() << where << " is missing";
        continue;
      }
      const std::u16string& text = found->second;
      // Code units, as the lookups count them.
      EXPECT_LE(text.size(), rule.capacity) << where << " is cut: " << text.size() << " > " << rule.capacity;
      EXPECT_FALSE(text.empty()) << where << " is empty (a balloon or caption would show nothing)";
      // Texts are never formats, so a "%" would be shown as it stands: a leftover placeholder.
      EXPECT_EQ(text.find(u'%'), std::u16string::npos) << where << " holds a % placeholder";
      EXPECT_EQ(text.find(u"TEXT_"), std::u16string::npos) << where << " looks like an untranslated key";
    }
    for (const auto& entry : section) {
      EXPECT_TRUE(known.count(entry.first)) << "[" << name << "] " << entry.first << " is no key the programs read";
    }
    if (section.count("LANG_NAME")) {
      EXPECT_TRUE(languageNames.insert(section.at("LANG_NAME")).second) << "[" << name << "] repeats a LANG_NAME";
    }
  }
}

TEST(LanguageFile, CaptionsFitTheirControls) {
  for (const auto& [name, section] : Shipped().sections) {
    for (const KeyRule& rule : kKeys) {
      if (rule.roomDlu == 0 || !section.count(rule.key)) continue;
      const std::u16string& text = section.at(rule.key);
      EXPECT_LE(EstimatedWidthDlu(text), rule.roomDlu)
          << "[" << name << "] " << rule.key << " is too wide for its control";
    }
    // The interval labels (130 units) show "<label> 9999 <unit>" or "<label> <unknown>".
    if (!section.count("TEXT_MILLISECOND") || !section.count("TEXT_UNKNOWN")) continue;
    for (const char* label : {"TEXT_UPDOWNINTVTIME", "TEXT_DBCLICKINTVTIME", "TEXT_ROTREVERSEINTVTIME"}) {
      if (!section.count(label)) continue;
      const std::u16string& text = section.at(label);
      EXPECT_LE(EstimatedWidthDlu(text + u" 9999 " + section.at("TEXT_MILLISECOND")), 130)
          << "[" << name << "] " << label << " with a value is too wide for its label";
      EXPECT_LE(EstimatedWidthDlu(text + u" " + section.at("TEXT_UNKNOWN")), 130)
          << "[" << name << "] " << label << " with the unknown text is too wide for its label";
    }
    // A balloon title holds 63 characters; the same text is the icon's tooltip.
    if (section.count("TEXT_TIPSTITLE")) {
      EXPECT_LE(section.at("TEXT_TIPSTITLE").size(), 63u) << "[" << name << "] TEXT_TIPSTITLE";
    }
  }
}

// Each shipped language is the one some Windows display language starts in, and each section a
// display language can choose is shipped (so no start shows bare keys).
TEST(LanguageFile, DisplayLanguagesReachEverySection) {
  std::set<std::string> reached;
  for (std::uint32_t id = 0; id <= 0xFFFF; ++id) reached.insert(Ascii(DisplayLanguageSection(static_cast<std::uint16_t>(id))));
  const std::set<std::string> shipped(Shipped().sectionOrder.begin(), Shipped().sectionOrder.end());
  EXPECT_EQ(reached, shipped);
}

// Every count balloon in every language reaches the notification area whole: at the largest
// counts it fits the record's 255 characters (the title's 63 are checked with the captions). A
// notification of Windows 10 and 11 shows the title and the three count lines; the panel drops
// the leading line feed there, so no line is lost to it.
TEST(LanguageFile, CountBalloonsAreShownWhole) {
  for (const auto& [name, section] : Shipped().sections) {
    SCOPED_TRACE(name);
    const char* keys[] = {"TEXT_BLOCKEDUPDOWN", "TEXT_BLOCKEDDBCLICK", "TEXT_BLOCKEDROTREVERSE", "TEXT_COUNT"};
    bool complete = true;
    for (const char* key : keys) complete = complete && section.count(key);
    if (!complete) continue;  // reported by EverySectionIsCompleteAndWithinCapacity
    const CountBalloonTexts texts{{section.at("TEXT_BLOCKEDUPDOWN").c_str(), section.at("TEXT_BLOCKEDDBCLICK").c_str(),
                                   section.at("TEXT_BLOCKEDROTREVERSE").c_str()},
                                  {4294967295u, 4294967295u, 4294967295u},
                                  section.at("TEXT_COUNT").c_str()};
    std::u16string field(kBalloonTextCapacity, u'\0');
    std::u16string roomy(4 * kBalloonTextCapacity, u'\0');
    const std::size_t shown = ComposeCountBalloon(field.data(), field.size(), texts);
    const std::size_t whole = ComposeCountBalloon(roomy.data(), roomy.size(), texts);
    EXPECT_EQ(shown, whole) << "the count balloon is cut";
  }
}

}  // namespace
