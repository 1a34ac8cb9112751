// Quillrun without a usable hook library, or with the hook already taken: it ends at once,
// silently, with exit code 0, and never touches a library found anywhere but beside itself.
#include "quillrun_test_support.h"
#include "wine_test_support.h"

#include <gtest/gtest.h>

namespace {

constexpr wchar_t kLackingLibrary[] = L"latchkin_lacking_export.dll";

bool PlaceLackingLibrary(const std::wstring& folder) {
  return CopyFileW((BinDirectory() + kLackingLibrary).c_str(), (folder + L"Latchkin.dll").c_str(), FALSE) != 0;
}

TEST(QuillrunLibrary, EndsSilentlyWithoutAUsableLibrary) {
  struct Row {
    const char* name;
    bool lackingLibraryBeside;
    bool expectLoaded;
  };
  const Row rows[] = {
      {"no Latchkin.dll", false, false},
      {"Latchkin.dll without ClearLogCahce", true, true},
  };
  const std::wstring elsewhere = MakeScratchFolder(L"quillrun-library-cwd");
  for (const Row& row : rows) {
    const std::wstring folder = PrepareQuillrunFolder(L"quillrun-library", false);
    ASSERT_FALSE(folder.empty());
    ASSERT_TRUE(WriteProfile(folder + L"Quillon.cfg", L"[Options]\r\nLogToFile=1\r\n"));
    if (row.lackingLibraryBeside) {
      ASSERT_TRUE(PlaceLackingLibrary(folder)) << row.name;
    }

    ChildProcess runner = ChildProcess::Start(QuillrunIn(folder), L"", elsewhere);
    ASSERT_TRUE(runner.Started()) << row.name;
    EXPECT_EQ(FindTopWindowOfProcess(runner.Pid(), nullptr, 1000), nullptr) << row.name << ": showed a window";
    EXPECT_TRUE(runner.WaitForExit(10000)) << row.name;
    EXPECT_EQ(runner.ExitCode(), 0u) << row.name;
    EXPECT_EQ(FileExists(folder + L"loaded.marker"), row.expectLoaded) << row.name;
    EXPECT_FALSE(FileExists(folder + L"install-called.marker")) << row.name << ": a partly bound library was used";
    EXPECT_FALSE(FileExists(folder + L"Quillon.log")) << row.name;
  }
}

TEST(QuillrunLibrary, NeverLoadsALibraryPlantedOnTheSearchPath) {
  const std::wstring folder = PrepareQuillrunFolder(L"quillrun-planted", false);
  const std::wstring planted = MakeScratchFolder(L"quillrun-planted-elsewhere");
  ASSERT_FALSE(folder.empty());
  ASSERT_TRUE(PlaceLackingLibrary(planted));

  // The planted folder is both the working directory and first on the search path.
  wchar_t path[8192] = {};
  GetEnvironmentVariableW(L"PATH", path, 8192);
  const std::wstring savedPath = path;
  SetEnvironmentVariableW(L"PATH", (planted + L";" + savedPath).c_str());
  ChildProcess runner = ChildProcess::Start(QuillrunIn(folder), L"", planted);
  SetEnvironmentVariableW(L"PATH", savedPath.c_str());

  ASSERT_TRUE(runner.Started());
  EXPECT_TRUE(runner.WaitForExit(10000));
  EXPECT_EQ(runner.ExitCode(), 0u);
  EXPECT_FALSE(FileExists(planted + L"loaded.marker")) << "loaded the planted library";
}

TEST(QuillrunLibrary, EndsAtOnceWhenAnotherProcessHoldsTheHook) {
  const std::wstring folder = PrepareQuillrunFolder(L"quillrun-hook-taken");
  ASSERT_FALSE(folder.empty());
  ASSERT_TRUE(WriteProfile(folder + L"Quillon.cfg",
                           L"[Options]\r\nHookLButton=1\r\nHookRButton=1\r\nHookWheel=1\r\nUpDownIntervalTime=60\r\n"
                           L"LogToFile=1\r\n"));
  LibraryCopy library;
  ASSERT_TRUE(library.Load(folder));
  // This process stands for the panel with its filter on.
  library.SetHookType(0x04);
  library.SetIntervalTime(25, 250, 35);
  ASSERT_EQ(library.InstallHook(1), 1);

  EXPECT_EQ(RunQuillrun(folder, L"", folder, 10000), 0u);
  EXPECT_EQ(library.QueryHookState(), 1);
  EXPECT_EQ(library.IsSelf(), 1) << "the hook changed hands";
  EXPECT_EQ(library.HookType(), 0x04);
  EXPECT_EQ(library.Intervals(), (std::vector<std::uint32_t>{25, 250, 35}));
  EXPECT_EQ(library.GetLogState(), 0);
  EXPECT_EQ(library.UninstallHook(), 1);
}

}  // namespace
