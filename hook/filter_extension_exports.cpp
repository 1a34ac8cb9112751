// The filter extension's exports: each button's own intervals, the excluded programs and the
// pause. The state lives in the guard's shared section (GuardData.Extension); this process's own
// exclusion state beside it here (a process's own request to pass unfiltered sets it, in
// process_unfiltered.cpp).
#include "latchkin_api.h"
#include "core/filter_extension.h"
#include "library_state.h"

// Zero-filled variables in sections of their own marked uninitialized ("b"), so their bytes are
// made by the loader instead of being stored in the file (the library stays small). Defined in
// assembly: the compiler would give a named section stored contents.
#define LATCHKIN_TEXT(x) #x
#define LATCHKIN_SYMBOL(prefix, name) LATCHKIN_TEXT(prefix) #name
#define LATCHKIN_ZERO_FILLED(section, flags, name, bytes)                                            \
  __asm__(".section " #section ",\"" flags "\"\n"                                                 \
          ".globl " LATCHKIN_SYMBOL(__USER_LABEL_PREFIX__, name) "\n"                               \
          ".balign 8\n" LATCHKIN_SYMBOL(__USER_LABEL_PREFIX__, name) ":\n"                          \
          ".space " #bytes "\n"                                                                     \
          ".text\n")

// Per process, in a section of its own ("proc_d", not shared): the only state the hook procedure
// keeps in a process besides the shared areas, where a check of the library's bytes can tell it.
LATCHKIN_ZERO_FILLED(proc_d, "bw", ThisProcess, 32);
static_assert(sizeof(ProcessExclusion) == 32, "the assembly above reserves exactly one record");

// The excluded names: a shared section of their own.
LATCHKIN_ZERO_FILLED(shared_n, "bws", ExcludedNames, 4160);
static_assert(sizeof(ExcludedProgramNames) == 4160, "the assembly above reserves exactly one table");

void WINAPI SetButtonIntervalTime(std::uint8_t button, std::uint32_t upDown, std::uint32_t dbClick) noexcept {
  if (FilterHeldByAnotherSession()) return;
  SetButtonIntervals(SharedData, GuardData.Extension, button, upDown, dbClick);
}

void WINAPI GetButtonIntervalTime(std::uint8_t button, std::uint32_t* upDown, std::uint32_t* dbClick) noexcept {
  if (button >= kButtonCount) return;
  if (upDown != nullptr) *upDown = SharedLoad(GuardData.Extension.OwnUpDownIntervalTime[button]);
  if (dbClick != nullptr) *dbClick = SharedLoad(GuardData.Extension.OwnDbClickIntervalTime[button]);
}

std::uint8_t WINAPI SetExcludedPrograms(const wchar_t* list) noexcept {
  if (FilterHeldByAnotherSession()) return 0;
  const ExcludedProgramsTaken taken = SetExcludedProgramList(
      GuardData.Extension, ExcludedNames, reinterpret_cast<const char16_t*>(list), kExcludedProgramsReadLimit, WriterWait{});
  return taken.Cut ? 0 : 1;
}

void WINAPI SetFilterPaused(std::uint8_t paused) noexcept {
  if (!FilterHeldByAnotherSession()) SetFilterPause(GuardData.Extension, paused, WriterWait{});
}

std::uint8_t WINAPI GetFilterPaused() noexcept { return SharedLoad(GuardData.Extension.Paused); }
