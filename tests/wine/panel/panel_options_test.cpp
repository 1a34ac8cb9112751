// The Options window of the real panel: opened from its button on dialog 103 and from the tray
// menu, every control showing its stored key, every change stored in Quillon.cfg and handed to
// the library at once, all of it read back at the next start; the "Add" menu offering running
// programs; the settings file shown with its full path.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "latchkin_contract.h"
#include "panel_test_support.h"
#include "resource.h"

namespace {

constexpr DWORD kAnswerMs = 5000;

LRESULT SendTo(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kAnswerMs, &result);
  return static_cast<LRESULT>(result);
}

// Types into an edit as the user would: the text changes (the window hears EN_CHANGE), then a
// key (Enter applies the box; a posted key goes through the panel's message loop as a typed one).
void Type(HWND options, int id, const wchar_t* text, WPARAM key = VK_RETURN) {
  SendMessageTimeoutW(GetDlgItem(options, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                      kAnswerMs, nullptr);
  if (key != 0) PostMessageW(GetDlgItem(options, id), WM_KEYDOWN, key, 0);
}

std::vector<std::wstring> ListedNames(HWND options) {
  HWND list = GetDlgItem(options, IDC_OPT_EXCLUDED_LIST);
  std::vector<std::wstring> names;
  const int count = static_cast<int>(SendTo(list, LB_GETCOUNT));
  for (int i = 0; i < count; ++i) {
    wchar_t name[256] = {};
    if (SendTo(list, LB_GETTEXTLEN, i) < 255) SendTo(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(name));
    names.push_back(name);
  }
  return names;
}

// Every key of the window, as stored before and as changed by the test.
struct KeyRow {
  const wchar_t* key;
  int editId;           // 0: a switch or another control
  const wchar_t* stored;
  const wchar_t* typed;
};
const KeyRow kIntervalRows[] = {
    {L"LButtonUpDownIntervalTime", IDC_OPT_UPDOWN_FIRST + 0, L"51", L"61"},
    {L"RButtonUpDownIntervalTime", IDC_OPT_UPDOWN_FIRST + 1, L"52", L"62"},
    {L"MButtonUpDownIntervalTime", IDC_OPT_UPDOWN_FIRST + 2, L"53", L"63"},
    {L"XButton1UpDownIntervalTime", IDC_OPT_UPDOWN_FIRST + 3, L"54", L"64"},
    {L"XButton2UpDownIntervalTime", IDC_OPT_UPDOWN_FIRST + 4, L"55", L"0"},
    {L"LButtonDbClickIntervalTime", IDC_OPT_DBCLICK_FIRST + 0, L"251", L"261"},
    {L"RButtonDbClickIntervalTime", IDC_OPT_DBCLICK_FIRST + 1, L"252", L"262"},
    {L"MButtonDbClickIntervalTime", IDC_OPT_DBCLICK_FIRST + 2, L"253", L"263"},
    {L"XButton1DbClickIntervalTime", IDC_OPT_DBCLICK_FIRST + 3, L"254", L"264"},
    {L"XButton2DbClickIntervalTime", IDC_OPT_DBCLICK_FIRST + 4, L"0", L"9999"},
};
struct SwitchRow {
  const wchar_t* key;
  int id;
  bool stored;
};
const SwitchRow kSwitchRows[] = {
    {L"HookMButton", IDC_OPT_SWITCH_MIDDLE, true}, {L"HookXButton1", IDC_OPT_SWITCH_X1, false},
    {L"HookXButton2", IDC_OPT_SWITCH_X2, true},    {L"ReleaseGuard", IDC_OPT_RELEASEGUARD, false},
    {L"DragHold", IDC_OPT_DRAGHOLD, true},         {L"PressConfirm", IDC_OPT_PRESSCONFIRM, false},
};
constexpr WORD kStoredHotKey = MAKEWORD('P', HOTKEYF_CONTROL | HOTKEYF_ALT);  // 1616
constexpr WORD kTypedHotKey = MAKEWORD(VK_F9, HOTKEYF_SHIFT);

std::wstring StoredSettings() {
  std::vector<std::wstring> lines = {L"AutoHook=1", L"ExcludedPrograms=game.exe; C:\\Tools\\Draw.exe",
                                     L"DragHoldTime=45", L"PressConfirmTime=30", L"PauseHotKey=" + std::to_wstring(kStoredHotKey)};
  for (const KeyRow& row : kIntervalRows) lines.push_back(std::wstring(row.key) + L"=" + row.stored);
  for (const SwitchRow& row : kSwitchRows) lines.push_back(std::wstring(row.key) + L"=" + (row.stored ? L"1" : L"0"));
  return OptionsSection(lines);
}

// What the window shows, compared with the rows: intervals (0 shows as an empty box), switches,
// drag-hold time, the list and the hot key.
void ExpectShown(HWND options, bool changed, const std::vector<std::wstring>& names, const char* when) {
  for (const KeyRow& row : kIntervalRows) {
    const std::wstring value = changed ? row.typed : row.stored;
    EXPECT_EQ(WindowText(GetDlgItem(options, row.editId)), value == L"0" ? L"" : value)
        << when << ": " << std::string(row.key, row.key + wcslen(row.key));
  }
  for (const SwitchRow& row : kSwitchRows)
    EXPECT_EQ(BoxChecked(GetDlgItem(options, row.id)), changed ? !row.stored : row.stored)
        << when << ": switch " << row.id;
  EXPECT_EQ(WindowText(GetDlgItem(options, IDC_OPT_DRAGHOLD_EDIT)), changed ? L"20" : L"45") << when;
  EXPECT_EQ(WindowText(GetDlgItem(options, IDC_OPT_PRESSCONFIRM_EDIT)), changed ? L"15" : L"30") << when;
  EXPECT_EQ(ListedNames(options), names) << when;
  EXPECT_EQ(SendTo(GetDlgItem(options, IDC_OPT_HOTKEY), HKM_GETHOTKEY), changed ? kTypedHotKey : kStoredHotKey)
      << when;
}

TEST(PanelOptions, EveryControlStoresAndRestoresItsKey) {
  PanelProcess panel;
  PanelFiles files;
  files.languageFile = true;
  files.settings = StoredSettings();
  ASSERT_TRUE(panel.Start(L"panel-options", files));
  LibraryCopy library(panel.Folder());
  ASSERT_TRUE(library.Loaded());
  ASSERT_TRUE(panel.Eventually([&] { return library.HookInstalled(); }));

  ASSERT_TRUE(panel.Click(IDC_OPTIONS_OPEN));
  HWND options = FindOptionsWindow(panel.Process().Pid());
  ASSERT_NE(options, nullptr);
  EXPECT_EQ(WindowText(options), ShippedText(L"NEUTRAL", L"TEXT_OPTIONS"));
  // The settings file in use, with its full path.
  EXPECT_EQ(CompareStringOrdinal(WindowText(GetDlgItem(options, IDC_OPT_SETTINGSFILE)).c_str(), -1,
                                 (panel.Folder() + L"Quillon.cfg").c_str(), -1, TRUE),
            CSTR_EQUAL)
      << std::string(panel.Folder().begin(), panel.Folder().end());
  ExpectShown(options, false, {L"C:\\Tools\\Draw.exe", L"game.exe"}, "as stored");
  // The stored values reached the library when the panel started.
  std::uint32_t upDown = 0, dbClick = 0;
  ASSERT_NE(library.GetButtonIntervalTime, nullptr);
  library.GetButtonIntervalTime(kButtonMiddle, &upDown, &dbClick);
  EXPECT_EQ(upDown, 53u);
  EXPECT_EQ(dbClick, 253u);
  EXPECT_EQ(library.HookType() & 0x38, kSourceMiddleButton | kSourceXButton2);

  // Change every control as the user would.
  for (const KeyRow& row : kIntervalRows) Type(options, row.editId, row.typed);
  for (const SwitchRow& row : kSwitchRows) SendTo(GetDlgItem(options, row.id), BM_CLICK);
  Type(options, IDC_OPT_DRAGHOLD_EDIT, L"20");
  Type(options, IDC_OPT_PRESSCONFIRM_EDIT, L"15");
  SendTo(GetDlgItem(options, IDC_OPT_HOTKEY), HKM_SETHOTKEY, kTypedHotKey);
  SendTo(options, WM_COMMAND, MAKEWPARAM(IDC_OPT_HOTKEY, EN_CHANGE),
         reinterpret_cast<LPARAM>(GetDlgItem(options, IDC_OPT_HOTKEY)));
  HWND list = GetDlgItem(options, IDC_OPT_EXCLUDED_LIST);
  SendTo(list, LB_SETCURSEL, 1);  // game.exe (the list is sorted)
  SendTo(options, WM_COMMAND, MAKEWPARAM(IDC_OPT_EXCLUDED_LIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
  SendTo(GetDlgItem(options, IDC_OPT_EXCLUDED_REMOVE), BM_CLICK);

  // Stored at once, under the key table's names...
  for (const KeyRow& row : kIntervalRows)
    EXPECT_TRUE(panel.Eventually([&] { return panel.Setting(L"Options", row.key) == row.typed; }))
        << std::string(row.key, row.key + wcslen(row.key));
  for (const SwitchRow& row : kSwitchRows)
    EXPECT_EQ(panel.Setting(L"Options", row.key), row.stored ? L"0" : L"1")
        << std::string(row.key, row.key + wcslen(row.key));
  EXPECT_TRUE(panel.Eventually([&] { return panel.Setting(L"Options", L"DragHoldTime") == L"20"; }));
  EXPECT_TRUE(panel.Eventually([&] { return panel.Setting(L"Options", L"PressConfirmTime") == L"15"; }));
  EXPECT_EQ(panel.Setting(L"Options", L"PauseHotKey"), std::to_wstring(kTypedHotKey));
  EXPECT_EQ(panel.Setting(L"Options", L"ExcludedPrograms"), L"C:\\Tools\\Draw.exe");
  // ...and in the library.
  library.GetButtonIntervalTime(kButtonX2, &upDown, &dbClick);
  EXPECT_EQ(upDown, 0u);
  EXPECT_EQ(dbClick, 9999u);
  EXPECT_EQ(library.HookType() & 0x38, kSourceXButton1);

  // Closed and opened from the tray menu's item: the same values.
  ASSERT_TRUE(panel.Click(IDC_OPTIONS_OPEN));  // brings the open window forward, no second one
  EXPECT_EQ(FindOptionsWindow(panel.Process().Pid()), options);
  SendTo(GetDlgItem(options, IDC_OPT_CLOSE), BM_CLICK);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(options); }, kAnswerMs));
  panel.Send(WM_COMMAND, IDM_OPTIONS);
  options = FindOptionsWindow(panel.Process().Pid());
  ASSERT_NE(options, nullptr);
  ExpectShown(options, true, {L"C:\\Tools\\Draw.exe"}, "reopened");

  // Read back at the next start.
  ASSERT_TRUE(panel.ExitCleanly());
  ASSERT_TRUE(panel.Launch());
  ASSERT_TRUE(panel.Click(IDC_OPTIONS_OPEN));
  options = FindOptionsWindow(panel.Process().Pid());
  ASSERT_NE(options, nullptr);
  ExpectShown(options, true, {L"C:\\Tools\\Draw.exe"}, "after a restart");
  EXPECT_TRUE(panel.ExitCleanly());
}

// Every number box follows the main dialog's rule: typed characters (a fifth digit too) reach the
// strict reader when the user is done with the box (Enter or Tab, after a real click into it);
// what the box cannot take is refused with the main dialog's balloon, nothing is stored and the
// box shows the value in force. Enter keeps the window open; Esc closes it.
TEST(PanelOptions, NumberBoxesRefuseWhatTheyCannotTake) {
  PanelProcess panel;
  PanelFiles files;
  files.settings = OptionsSection({L"LButtonUpDownIntervalTime=51", L"LButtonDbClickIntervalTime=251",
                                   L"DragHoldTime=45"});
  ASSERT_TRUE(panel.Start(L"panel-options-refusal", files));
  ASSERT_TRUE(panel.Click(IDC_OPTIONS_OPEN));
  HWND options = FindOptionsWindow(panel.Process().Pid());
  ASSERT_NE(options, nullptr);
  struct Row {
    const char* name;
    int id;
    const wchar_t* key;
    const wchar_t* typed;
    WPARAM done;
    const wchar_t* refusal;  // the balloon's text key, or null
    const wchar_t* stored;   // shown and stored afterwards
  };
  const Row rows[] = {
      {"10000, Tab", IDC_OPT_UPDOWN_FIRST, L"LButtonUpDownIntervalTime", L"10000", VK_TAB, L"TEXT_OWNREFUSED", L"51"},
      {"99999, Enter", IDC_OPT_UPDOWN_FIRST, L"LButtonUpDownIntervalTime", L"99999", VK_RETURN, L"TEXT_OWNREFUSED", L"51"},
      {"9999, Enter", IDC_OPT_UPDOWN_FIRST, L"LButtonUpDownIntervalTime", L"9999", VK_RETURN, nullptr, L"9999"},
      {"empty: the shared interval", IDC_OPT_DBCLICK_FIRST, L"LButtonDbClickIntervalTime", L"", VK_TAB, nullptr, L"0"},
      {"hold 200", IDC_OPT_DRAGHOLD_EDIT, L"DragHoldTime", L"200", VK_RETURN, L"TEXT_DRAGHOLDREFUSED", L"45"},
      {"hold 4", IDC_OPT_DRAGHOLD_EDIT, L"DragHoldTime", L"4", VK_TAB, L"TEXT_DRAGHOLDREFUSED", L"45"},
      {"hold 100", IDC_OPT_DRAGHOLD_EDIT, L"DragHoldTime", L"100", VK_RETURN, nullptr, L"100"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    HWND edit = GetDlgItem(options, row.id);
    RECT box = {};
    GetWindowRect(edit, &box);
    MoveCursorTo({box.right - 4, (box.top + box.bottom) / 2});
    SendClick(MouseButton::Left);  // the caret after the text
    Type(options, row.id, L"", 0);
    for (const wchar_t* c = row.typed; *c; ++c) PostMessageW(edit, WM_CHAR, *c, 0);
    PostMessageW(edit, WM_KEYDOWN, row.done, 0);
    const std::wstring shown = std::wstring(row.stored) == L"0" ? L"" : row.stored;
    EXPECT_TRUE(WaitUntil([&] { return WindowText(edit) == shown && panel.Setting(L"Options", row.key) == row.stored; },
                          kAnswerMs))
        << WindowText(edit).size();
    const std::vector<std::wstring> balloon =
        row.refusal ? std::vector<std::wstring>{row.refusal} : std::vector<std::wstring>{};
    EXPECT_EQ(VisibleTooltipTexts(panel.Process().Pid()), balloon);
    EXPECT_TRUE(IsWindowVisible(options)) << "Enter closed the window";
  }
  PostMessageW(GetDlgItem(options, IDC_OPT_DRAGHOLD_EDIT), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(options); }, kAnswerMs));
  EXPECT_TRUE(panel.ExitCleanly());
}

// "Add" offers the programs that show a window now, then "Browse...".
TEST(PanelOptions, AddOffersRunningProgramsAndAFilePicker) {
  MouseTarget target;
  ASSERT_TRUE(target.Start());
  PanelProcess panel;
  PanelFiles files;
  files.languageFile = true;
  ASSERT_TRUE(panel.Start(L"panel-options-add", files));
  ASSERT_TRUE(panel.Click(IDC_OPTIONS_OPEN));
  HWND options = FindOptionsWindow(panel.Process().Pid());
  ASSERT_NE(options, nullptr);
  // Posted: the menu's loop holds a sent message until it closes.
  PostMessageW(GetDlgItem(options, IDC_OPT_EXCLUDED_ADD), BM_CLICK, 0, 0);
  const std::vector<MenuItem> items = ReadOpenMenu(panel.Process().Pid(), kAnswerMs);
  CloseOpenMenu(panel.Process().Pid());
  ASSERT_FALSE(items.empty());
  bool targetOffered = false, panelOffered = false;
  for (const MenuItem& item : items) {
    targetOffered |= CompareStringOrdinal(item.text.c_str(), -1, L"mouse_target.exe", -1, TRUE) == CSTR_EQUAL;
    panelOffered |= CompareStringOrdinal(item.text.c_str(), -1, L"Quillon.exe", -1, TRUE) == CSTR_EQUAL;
  }
  EXPECT_TRUE(targetOffered);
  EXPECT_FALSE(panelOffered) << "the panel offers itself";
  EXPECT_EQ(items.back().text, ShippedText(L"NEUTRAL", L"TEXT_BROWSE"));
  EXPECT_EQ(items[items.size() - 2].id, 0u) << "no separator before Browse";
  EXPECT_TRUE(panel.ExitCleanly());
}

// A list longer than the library keeps: the window says so, until it fits again.
TEST(PanelOptions, ACutListIsShownAsCut) {
  std::wstring list;
  for (int i = 0; i < 33; ++i) list += L"program" + std::to_wstring(100 + i) + L".exe;";
  PanelProcess panel;
  PanelFiles files;
  files.languageFile = true;
  files.settings = OptionsSection({L"ExcludedPrograms=" + list});
  ASSERT_TRUE(panel.Start(L"panel-options-cut", files));
  ASSERT_TRUE(panel.Click(IDC_OPTIONS_OPEN));
  HWND options = FindOptionsWindow(panel.Process().Pid());
  ASSERT_NE(options, nullptr);
  HWND note = GetDlgItem(options, IDC_OPT_EXCLUDED_NOTE);
  EXPECT_TRUE(IsWindowVisible(note));
  EXPECT_EQ(WindowText(note), ShippedText(L"NEUTRAL", L"TEXT_EXCLUDEDCUT"));
  EXPECT_EQ(ListedNames(options).size(), 33u);
  HWND listBox = GetDlgItem(options, IDC_OPT_EXCLUDED_LIST);
  SendTo(listBox, LB_SETCURSEL, 0);
  SendTo(options, WM_COMMAND, MAKEWPARAM(IDC_OPT_EXCLUDED_LIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(listBox));
  SendTo(GetDlgItem(options, IDC_OPT_EXCLUDED_REMOVE), BM_CLICK);
  EXPECT_FALSE(IsWindowVisible(note)) << "32 names fit";
  EXPECT_TRUE(panel.ExitCleanly());
}

// No Language key: the panel speaks the display language the run names (QUILLON_DISPLAY_SECTION,
// set beside LC_ALL, from which Wine takes it; English otherwise). The Options list stores a
// choice and the dialog, the Options window and the mouse check speak it at once; "Windows
// display language" removes the key and brings the display language back.
TEST(PanelOptions, LanguageFollowsTheDisplayLanguageUntilChosen) {
  wchar_t named[32] = L"NEUTRAL";
  GetEnvironmentVariableW(L"QUILLON_DISPLAY_SECTION", named, 32);
  const std::wstring display = named, chosen = display == L"FRENCH" ? L"GERMAN" : L"FRENCH";
  PanelProcess panel;
  PanelFiles files;
  files.languageFile = true;
  files.settings = OptionsSection({L"AutoHook=1"});
  // A folder per display language: a previous run's library may still be mapped by hooked
  // processes, so its folder cannot always be emptied yet.
  ASSERT_TRUE(panel.Start((L"panel-options-language-" + display).c_str(), files));
  const auto speaks = [&](const std::wstring& section) {
    return [&panel, section] { return panel.Caption() == ShippedText(section.c_str(), L"TEXT_APPNAME"); };
  };
  EXPECT_TRUE(panel.Eventually(speaks(display))) << "the display language is not spoken";
  ASSERT_TRUE(panel.Click(IDC_MOUSECHECK_OPEN));
  HWND check = FindWindowWithItem(panel.Process().Pid(), IDC_MOUSECHECK_CLOSE);
  ASSERT_TRUE(panel.Click(IDC_OPTIONS_OPEN));
  HWND options = FindOptionsWindow(panel.Process().Pid());
  ASSERT_TRUE(options && check);

  // "Windows display language" first (chosen), then every section by its own name.
  HWND list = GetDlgItem(options, IDC_OPT_LANGUAGE);
  const auto itemText = [&](LRESULT item) {
    wchar_t text[256] = {};
    if (SendTo(list, CB_GETLBTEXTLEN, item) < 255) SendTo(list, CB_GETLBTEXT, item, reinterpret_cast<LPARAM>(text));
    return std::wstring(text);
  };
  EXPECT_EQ(SendTo(list, CB_GETCURSEL), 0);
  LRESULT chosenItem = -1;
  for (LRESULT i = 1; i < SendTo(list, CB_GETCOUNT); ++i)
    if (itemText(i) == ShippedText(chosen.c_str(), L"LANG_NAME")) chosenItem = i;
  ASSERT_GT(chosenItem, 0) << "no item names the language itself";

  const auto chooseAndExpect = [&](LRESULT item, const std::wstring& section) {
    SCOPED_TRACE(std::string(section.begin(), section.end()));
    SendTo(list, CB_SETCURSEL, static_cast<WPARAM>(item));
    SendTo(options, WM_COMMAND, MAKEWPARAM(IDC_OPT_LANGUAGE, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    const auto text = [&](const wchar_t* key) { return ShippedText(section.c_str(), key); };
    EXPECT_EQ(panel.Caption(), text(L"TEXT_APPNAME"));
    EXPECT_EQ(panel.Text(IDC_ACTION), text(L"TEXT_UNHOOK"));
    EXPECT_EQ(WindowText(options), text(L"TEXT_OPTIONS"));
    EXPECT_EQ(itemText(0), text(L"TEXT_DISPLAYLANGUAGE"));
    EXPECT_EQ(WindowText(GetDlgItem(check, IDC_MOUSECHECK_CLOSE)), text(L"TEXT_MC_CLOSE"));
    EXPECT_EQ(SendTo(list, CB_GETCURSEL), item);
  };
  chooseAndExpect(chosenItem, chosen);
  EXPECT_EQ(panel.Setting(L"Main", L"Language"), chosen);
  chooseAndExpect(0, display);
  const std::vector<std::wstring> mainKeys = panel.SettingKeys(L"Main");
  EXPECT_EQ(std::find(mainKeys.begin(), mainKeys.end(), L"Language"), mainKeys.end()) << "the key stays";

  // Stored at once: the next start speaks the choice.
  chooseAndExpect(chosenItem, chosen);
  ASSERT_TRUE(panel.ExitCleanly());
  ASSERT_TRUE(panel.Launch());
  EXPECT_TRUE(panel.Eventually(speaks(chosen)));
  EXPECT_TRUE(panel.ExitCleanly());
}

}  // namespace
