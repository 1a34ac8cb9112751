// The test's binding of a library copy (see library_copy.h).
#include "library_copy.h"

#include <cstring>

#include "wine_test_support.h"

bool LibraryCopy::HookInstalled() const { return QueryHookState && QueryHookState() != 0; }

bool LibraryCopy::LogState() const { return GetLogState && GetLogState() != 0; }

std::uint8_t LibraryCopy::HookType() const {
  std::uint8_t hookType = 0xFF;
  if (GetHookType) GetHookType(&hookType);
  return hookType;
}

std::vector<std::uint32_t> LibraryCopy::Intervals() const {
  std::uint32_t upDown = 0, dbClick = 0, rotReverse = 0;
  if (GetIntervalTime) GetIntervalTime(&upDown, &dbClick, &rotReverse);
  return {upDown, dbClick, rotReverse};
}

std::vector<std::uint32_t> LibraryCopy::Counts() const {
  std::uint32_t upDown = 0, dbClick = 0, rotReverse = 0;
  if (ReturnBlockedCount) ReturnBlockedCount(&upDown, &dbClick, &rotReverse);
  return {upDown, dbClick, rotReverse};
}

std::uint32_t LibraryCopy::LateReleases() const {
  std::uint32_t delivered = 0;
  if (ReturnLateReleaseCount) ReturnLateReleaseCount(&delivered, nullptr);
  return delivered;
}

std::uint32_t LibraryCopy::DroppedReleases() const {
  std::uint32_t dropped = 0;
  if (ReturnLateReleaseCount) ReturnLateReleaseCount(nullptr, &dropped);
  return dropped;
}

bool LibraryCopy::WaitForHookWithLogging() const {
  return WaitUntil([&] { return HookInstalled() && LogState(); }, 15000);
}

std::uint8_t* LibraryCopy::Section(const char* name) const {
  if (!Module) return nullptr;
  auto* base = reinterpret_cast<std::uint8_t*>(Module.get());
  const auto* headers =
      reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(headers);
  for (WORD i = 0; i < headers->FileHeader.NumberOfSections; ++i, ++section)
    if (std::strncmp(reinterpret_cast<const char*>(section->Name), name, IMAGE_SIZEOF_SHORT_NAME) == 0)
      return base + section->VirtualAddress;
  return nullptr;
}
