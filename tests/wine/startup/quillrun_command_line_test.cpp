// Quillrun's command line: the Run-key entry of "/REG" and "/UNREG", and arguments that do nothing.
#include "quillrun_test_support.h"
#include "text_helpers.h"
#include "wine_test_support.h"

#include <gtest/gtest.h>

namespace {

class QuillrunCommandLine : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteRunValue();
    folder_ = PrepareQuillrunFolder(L"quillrun-command-line", false);
    ASSERT_FALSE(folder_.empty());
    elsewhere_ = MakeScratchFolder(L"quillrun-command-line-cwd");
  }
  void TearDown() override { DeleteRunValue(); }

  DWORD Run(const std::wstring& arguments) { return RunQuillrun(folder_, arguments, elsewhere_); }

  std::wstring folder_;
  std::wstring elsewhere_;
};

TEST_F(QuillrunCommandLine, RegisterWritesTheProgramPathInAnyLetterCase) {
  for (const wchar_t* argument : {L"/REG", L"/reg", L"/Reg"}) {
    DeleteRunValue();
    const DWORD valuesBefore = CountRunValues();
    EXPECT_EQ(Run(argument), 0u) << Narrow(argument);

    const RunValue value = ReadRunValue();
    ASSERT_TRUE(value.present) << Narrow(argument);
    EXPECT_EQ(value.type, static_cast<DWORD>(REG_SZ)) << Narrow(argument);
    EXPECT_EQ(_wcsicmp(value.data.c_str(), QuillrunIn(folder_).c_str()), 0)
        << Narrow(argument) << ": " << Narrow(value.data);
    EXPECT_EQ(value.bytes, (value.data.size() + 1) * sizeof(wchar_t)) << Narrow(argument) << ": terminator counted";
    EXPECT_EQ(CountRunValues(), valuesBefore + 1) << Narrow(argument);
  }
}

TEST_F(QuillrunCommandLine, RegisterTwiceKeepsOneValueWithTheLatestPath) {
  const std::wstring moved = PrepareQuillrunFolder(L"quillrun-command-line-moved", false);
  ASSERT_FALSE(moved.empty());
  const DWORD valuesBefore = CountRunValues();

  EXPECT_EQ(Run(L"/REG"), 0u);
  EXPECT_EQ(RunQuillrun(moved, L"/REG", elsewhere_), 0u);

  EXPECT_EQ(CountRunValues(), valuesBefore + 1);
  const RunValue value = ReadRunValue();
  ASSERT_TRUE(value.present);
  EXPECT_EQ(_wcsicmp(value.data.c_str(), QuillrunIn(moved).c_str()), 0) << Narrow(value.data);
}

TEST_F(QuillrunCommandLine, UnregisterRemovesTheValueAndIsQuietWithoutOne) {
  ASSERT_TRUE(WriteRunValue(L"C:\\elsewhere\\Quillrun.exe"));
  for (const wchar_t* argument : {L"/UNREG", L"/unreg", L"/UNREG"}) {  // the last finds no value
    EXPECT_EQ(Run(argument), 0u) << Narrow(argument);
    EXPECT_FALSE(ReadRunValue().present) << Narrow(argument);
  }
}

TEST_F(QuillrunCommandLine, OtherArgumentsChangeNothing) {
  const std::wstring sentinel = L"C:\\sentinel\\Quillrun.exe";
  struct Row { const wchar_t* arguments; bool valueBefore; };
  const Row rows[] = {
      {L"-REG", false},        {L"REG", false},          {L"/REGISTER", false},   {L"/REG /UNREG", false},
      {L"/RE", false},         {L"\"/REG \"", false},    {L"/? /REG", false},     {L"/REG /REG", false},
      {L"-UNREG", true},       {L"/UNREGISTER", true},   {L"/UNREG /REG", true},  {L"UNREG", true},
  };
  for (const Row& row : rows) {
    DeleteRunValue();
    if (row.valueBefore) {
      ASSERT_TRUE(WriteRunValue(sentinel));
    }
    EXPECT_EQ(Run(row.arguments), 0u) << Narrow(row.arguments);
    const RunValue value = ReadRunValue();
    EXPECT_EQ(value.present, row.valueBefore) << Narrow(row.arguments);
    if (row.valueBefore) {
      EXPECT_EQ(value.data, sentinel) << Narrow(row.arguments);
    }
  }
}

}  // namespace
