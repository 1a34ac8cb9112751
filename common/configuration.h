// "Quillon.cfg" through the platform's profile-string functions: the process-wide path
// strings, the [Main] stamp, the language name, and the [Options] keys of both programs.
#pragma once
#include "core/settings.h"

// Owned wide strings (wide_string.h), set once at start-up before any window or thread exists;
// only the panel's choice of language (ChooseLanguage) replaces LanguageSection later.
extern wchar_t* WorkDirectory;     // current directory at start-up, ending in a backslash
extern wchar_t* ConfigFilePath;    // WorkDirectory + "Quillon.cfg"
extern wchar_t* LanguageFilePath;  // WorkDirectory + "Language.cfg"
extern wchar_t* LanguageSection;   // [Main] Language, at most 22 characters, else the display language's

// Quillon: forms the paths, stamps the four identification keys into [Main], reads the language.
void OpenConfiguration();
// Quillon: reads every [Options] key into settings (which should start at its initial values).
void ReadSettings(Settings& settings);
// Quillrun: forms the paths and reads the language (no stamp), then its own [Options] keys.
void ReadRunnerSettings(Settings& settings);
// The panel's choice of language: section stored as [Main] Language (null: the key removed, the
// Windows display language decides), and LanguageSection replaced by it. Only the UI thread
// calls it; a lookup another thread is making keeps reading the section it started with.
void ChooseLanguage(const wchar_t* section);
// True when LanguageSection came from the Windows display language, not from a stored key.
bool LanguageFollowsDisplay();
// Writes value with "%d" under key in [Options] of ConfigFilePath. Failures are not detected.
void WriteSetting(const wchar_t* key, int value);
// The same for one setting, under the stored key the key table gives it (settings_rules.h).
void WriteSetting(bool Settings::*flag, bool value);
void WriteSetting(std::uint32_t Settings::*value, int number);
void WriteHookTypeSetting(std::uint8_t sourceBit, bool on);
// [Options] ExcludedPrograms: read whole into buffer (capacity characters with the terminator),
// and written as it stands.
void ReadExcludedPrograms(wchar_t* buffer, std::uint32_t capacity);
void WriteExcludedPrograms(const wchar_t* text);
// Releases the four path strings.
void ReleaseConfiguration();
