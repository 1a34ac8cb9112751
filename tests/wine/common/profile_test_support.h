// Shared ground of the settings and language Wine tests: each test runs in its own scratch
// folder as the current directory and releases the path strings afterwards.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "configuration.h"
#include "wine_test_support.h"

class ProfileFolderTest : public ::testing::Test {
 protected:
  void TearDown() override {
    ReleaseConfiguration();
    // A current directory cannot be deleted; step out first.
    SetCurrentDirectoryW(BinDirectory().c_str());
    if (!folder_.empty()) RemoveFolder(folder_);
  }

  // Makes and enters a fresh folder named after the running test.
  std::wstring EnterScratchFolder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string name = std::string("profile-") + info->test_suite_name() + "-" + info->name();
    folder_ = MakeScratchFolder(std::wstring(name.begin(), name.end()).c_str());
    EXPECT_FALSE(folder_.empty());
    EXPECT_TRUE(SetCurrentDirectoryW(folder_.c_str()));
    return folder_;
  }

  std::wstring folder_;
};

// A file as text: UTF-16LE when it starts with the byte-order mark, otherwise one byte a character.
inline std::wstring ReadFileText(const std::wstring& path) {
  const std::string bytes = ReadFileBytes(path);
  std::wstring text;
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
      text += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
    }
  } else {
    for (char c : bytes) text += static_cast<wchar_t>(static_cast<unsigned char>(c));
  }
  return text;
}
