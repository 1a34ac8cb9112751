// The stored settings into the library (see filter_extension_push.h).
#include "filter_extension_push.h"

#include "configuration.h"
#include "core/settings_rules.h"
#include "release_delivery.h"

bool PushExcludedPrograms(const HookLibrary& library) {
  if (!library.SetExcludedPrograms) return true;
  wchar_t list[kExcludedProgramsTextCapacity];
  ReadExcludedPrograms(list, kExcludedProgramsTextCapacity);
  return library.SetExcludedPrograms(list) != 0;
}

bool PushFilterExtension(const HookLibrary& library, const Settings& settings) {
  if (!library.SetButtonIntervalTime) return true;
  for (std::uint8_t b = 0; b < kButtonCount; ++b)
    library.SetButtonIntervalTime(b, settings.*kButtonIntervalSettings[b].UpDown,
                                  settings.*kButtonIntervalSettings[b].DbClick);
  return PushExcludedPrograms(library);
}

bool ApplySettingsToLibrary(const HookLibrary& library, const Settings& settings) {
  library.SetHookType(settings.HookTypeBits);
  library.SetIntervalTime(settings.UpDownIntervalTime, settings.DbClickIntervalTime, settings.RotReverseIntervalTime);
  return PushFilterExtension(library, settings);
}

void StartInstalledHook(const HookLibrary& library, const Settings& settings, bool logToFile) {
  StartReleaseDelivery(library, settings);
  library.SetLogState(logToFile ? 1 : 0);
}
