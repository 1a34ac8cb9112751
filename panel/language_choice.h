// The Options window's choice of language: "Windows display language" (no [Main] Language key),
// then every section of "Language.cfg" by its own LANG_NAME. A choice is stored at once and the
// panel's open windows, its tray icon and its next menus speak the new language at once.
#pragma once
#include <windows.h>

// Fills the drop-down list (or, when it is filled already, renames its first item in the language
// now in force) and selects the language in force.
void ShowLanguageList(HWND list);
// CBN_SELCHANGE of the list: stores the chosen item and shows every text anew.
void OnLanguageListChoice(HWND list);
