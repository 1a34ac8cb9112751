// What the Quillrun tests share: a scratch folder holding copies of the program and the library
// (bound in the test as LibraryCopy), and the machine-wide Run-key value.
#pragma once
#include <windows.h>

#include <string>

#include "library_copy.h"

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
