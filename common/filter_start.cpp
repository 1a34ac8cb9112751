// Both programs' start of the filter (see filter_start.h).
#include "filter_start.h"

#include "program_folder.h"
#include "unique_handle.h"

namespace {

// Per session (Local\), so each signed-in user's copies agree among themselves only; 32- and
// 64-bit programs see the same names. The lock keeps a claim's look and write together.
constexpr wchar_t kClaimName[] = L"Local\\QuillonFilterCopy";
constexpr wchar_t kClaimLockName[] = L"Local\\QuillonFilterCopyLock";
// A claim's look and write take microseconds; a holder frozen longer than this is not waited for.
constexpr DWORD kClaimLockWaitMs = 2000;
constexpr DWORD kFolderCapacity = MAX_PATH * 4;

struct CopyClaim {
  wchar_t Folder[kFolderCapacity];  // the claiming copy's folder, ending in a backslash
};

UniqueHandle Claim;  // held while this process's own hook filters

// True when the session's claim is (now) this copy's. A claim that cannot be read (made by a
// program with rights this one lacks) is another's.
bool ClaimForThisCopy() {
  if (Claim) return true;
  wchar_t folder[kFolderCapacity];
  if (!ProgramFolder(folder, kFolderCapacity)) return true;  // no folder to tell copies apart by
  UniqueHandle lock(CreateMutexW(nullptr, FALSE, kClaimLockName));
  const DWORD waited = lock ? WaitForSingleObject(lock.get(), kClaimLockWaitMs) : WAIT_FAILED;
  const bool locked = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
  UniqueHandle mapping(
      CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(CopyClaim), kClaimName));
  bool ours = false;
  if (mapping) {
    if (auto* claim = static_cast<CopyClaim*>(MapViewOfFile(mapping.get(), FILE_MAP_WRITE, 0, 0, sizeof(CopyClaim)))) {
      // A new area is all zero; an emptied one was left by a claimer that ended half-way.
      if (claim->Folder[0] == L'\0') lstrcpynW(claim->Folder, folder, kFolderCapacity);
      ours = lstrcmpiW(claim->Folder, folder) == 0;
      UnmapViewOfFile(claim);
    }
  }
  if (locked) ReleaseMutex(lock.get());
  if (ours) Claim = std::move(mapping);
  return ours;
}

FilterStart StartOf(std::uint8_t holder) {
  switch (holder) {
    case kHookHolderNone:
      return FilterStart::Failed;
    case kHookHolderOtherSession:
      return FilterStart::HeldByOtherUser;
    default:
      return FilterStart::HeldHere;
  }
}

}  // namespace

std::uint8_t FilterHolder(const HookLibrary& library) {
  if (library.QueryHookHolder) return library.QueryHookHolder();
  if (library.QueryHookState() == 0) return kHookHolderNone;
  return library.IsSelf() != 0 ? kHookHolderThisProcess : kHookHolderThisSession;
}

FilterStart StartOwnFilter(const HookLibrary& library, std::uint8_t filterOwnProcess) {
  const std::uint8_t holder = FilterHolder(library);
  if (holder != kHookHolderNone) return StartOf(holder);
  if (!ClaimForThisCopy()) return FilterStart::HeldByOtherCopy;
  if (library.InstallHook(filterOwnProcess) != 0) return FilterStart::Installed;
  ReleaseFilterClaim();
  return StartOf(FilterHolder(library));  // another program's install came first
}

void ReleaseFilterClaim() { Claim.reset(); }

const wchar_t* FilterStartTextKey(FilterStart start) {
  switch (start) {
    case FilterStart::Installed:
      return L"TEXT_HOOKSUCCESSFULLY";
    case FilterStart::HeldHere:
      return L"TEXT_FILTERHELDHERE";
    case FilterStart::HeldByOtherUser:
      return L"TEXT_FILTEROTHERUSER";
    case FilterStart::HeldByOtherCopy:
      return L"TEXT_FILTEROTHERCOPY";
    case FilterStart::Failed:
      break;
  }
  return L"TEXT_HOOKFAILED";
}
