// What the Quillrun tests share: a scratch folder holding copies of the program and the library,
// the test's own binding of that library copy, and the machine-wide Run-key value.
#pragma once
#include <windows.h>

#include <string>

#include "hook_library.h"

// A fresh scratch folder holding Quillrun.exe and, when withLibrary, Latchkin.dll from bin.
// Quillrun reads its settings beside itself and loads the library beside itself, so every test
// runs its own copy.
std::wstring PrepareQuillrunFolder(const wchar_t* name, bool withLibrary = true);
std::wstring QuillrunIn(const std::wstring& folder);

// Writes a profile ("[Options]\r\nKey=Value\r\n...") as Windows reads it as Unicode: UTF-16LE
// with its byte-order mark.
bool WriteProfile(const std::wstring& path, const std::wstring& text);

// Runs Quillrun from folder with the arguments and working directory; returns its exit code, or
// STILL_ACTIVE when it did not end within timeoutMs (it is killed then).
DWORD RunQuillrun(const std::wstring& folder, const std::wstring& arguments, const std::wstring& workingDirectory,
                  DWORD timeoutMs = 15000);

// The library copy in a folder, loaded into this process. The shared section belongs to the
// library file, so this copy sees what a Quillrun started from that folder installed.
class LibraryCopy {
 public:
  LibraryCopy() = default;
  ~LibraryCopy();
  LibraryCopy(const LibraryCopy&) = delete;
  LibraryCopy& operator=(const LibraryCopy&) = delete;

  // True when the copy loaded and all 13 exports were found.
  bool Load(const std::wstring& folder);
  const HookLibrary* operator->() const { return &library_; }

  // Waits until a hook is installed with logging on, as a Quillrun told to log leaves it once
  // started; false when that did not happen within 15 s.
  bool WaitForHookWithLogging() const;
  std::uint8_t HookType() const;
  // The release guard's counts: late releases delivered, and pending ones given up.
  std::uint32_t LateReleases() const;
  std::uint32_t DroppedReleases() const;
  // "up/down, double click, wheel reversal", for readable comparisons.
  std::string Intervals() const;

 private:
  HookLibrary library_;
};

// The value "Quillrun" under HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Run.
struct RunValue {
  bool present = false;
  DWORD type = 0;
  DWORD bytes = 0;
  std::wstring data;
  std::string raw;  // the stored bytes, exactly as many as the value holds
};
RunValue ReadRunValue();
void DeleteRunValue();
bool WriteRunValue(const std::wstring& data);
// Number of values in the Run key, to show that nothing else was added.
DWORD CountRunValues();
