// file_holder.exe PATH READY_EVENT RELEASE_EVENT: holds PATH open without sharing from READY
// until RELEASE is signalled (or a minute passed). Exit code 2: the file did not open.
#include <windows.h>
#include <shellapi.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (arguments == nullptr || count != 4) return 1;
  HANDLE file = CreateFileW(arguments[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 2;
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, arguments[2]);
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, arguments[3]);
  if (ready == nullptr || release == nullptr) return 3;
  SetEvent(ready);
  WaitForSingleObject(release, 60000);
  CloseHandle(file);
  return 0;
}
