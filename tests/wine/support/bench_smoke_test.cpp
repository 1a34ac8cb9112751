// The Wine test bench itself: a display, a desktop and a working registry.
#include <windows.h>
#include <gtest/gtest.h>

TEST(WineBench, HasADesktopAndARegistry) {
  EXPECT_GT(GetSystemMetrics(SM_CXSCREEN), 0);
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion", 0, KEY_READ, &key), ERROR_SUCCESS);
  RegCloseKey(key);
}
