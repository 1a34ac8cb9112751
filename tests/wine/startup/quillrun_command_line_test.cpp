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
    // A blank in the path, as in "Program Files": the Run value must quote it.
    folder_ = PrepareQuillrunFolder(L"quillrun command line", false);
    ASSERT_FALSE(folder_.empty());
    elsewhere_ = MakeScratchFolder(L"quillrun-command-line-cwd");
  }
  void TearDown() override { DeleteRunValue(); }

  DWORD Run(const std::wstring& arguments) { return RunQuillrun(folder_, arguments, elsewhere_); }

  std::wstring folder_;
  std::wstring elsewhere_;
};

// The value is the command line the system runs at log-on: the program's path in quotes, stored
// byte for byte as UTF-16LE with its terminator counted. An older install's unquoted value, or
// one naming another copy, is replaced.
TEST_F(QuillrunCommandLine, RegisterWritesTheQuotedProgramPathInAnyLetterCase) {
  struct Row { const wchar_t* argument; const wchar_t* before; };
  const std::wstring unquoted = QuillrunIn(folder_);
  const Row rows[] = {{L"/REG", nullptr},
                      {L"/reg", nullptr},
                      {L"/Reg", nullptr},
                      {L"/REG", unquoted.c_str()},
                      {L"/REG", L"\"C:\\elsewhere\\Quillrun.exe\""}};
  for (const Row& row : rows) {
    SCOPED_TRACE(Narrow(row.argument) + (row.before ? " over " + Narrow(row.before) : std::string()));
    DeleteRunValue();
    const DWORD valuesBefore = CountRunValues();
    if (row.before) {
      ASSERT_TRUE(WriteRunValue(row.before));
    }
    EXPECT_EQ(Run(row.argument), 0u);

    const RunValue value = ReadRunValue();
    ASSERT_TRUE(value.present);
    EXPECT_EQ(value.type, static_cast<DWORD>(REG_SZ));
    ASSERT_GE(value.data.size(), 2u) << Narrow(value.data);
    EXPECT_EQ(value.data.front(), L'"') << Narrow(value.data);
    EXPECT_EQ(value.data.back(), L'"') << Narrow(value.data);
    const std::wstring path = value.data.substr(1, value.data.size() - 2);
    EXPECT_EQ(_wcsicmp(path.c_str(), unquoted.c_str()), 0) << Narrow(value.data);
    std::string expected;
    for (wchar_t c : L"\"" + path + L"\"") expected += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    expected += std::string(2, '\0');  // the terminator, counted in the size
    EXPECT_EQ(value.raw, expected);
    EXPECT_EQ(CountRunValues(), valuesBefore + 1) << "one value, whatever stood there before";
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
  EXPECT_EQ(_wcsicmp(value.data.c_str(), (L"\"" + QuillrunIn(moved) + L"\"").c_str()), 0) << Narrow(value.data);
}

TEST_F(QuillrunCommandLine, UnregisterRemovesQuotedAndUnquotedValuesAndIsQuietWithoutOne) {
  struct Row { const wchar_t* argument; const wchar_t* before; };
  const Row rows[] = {{L"/UNREG", L"\"C:\\Program Files\\Quillon\\Quillrun.exe\""},
                      {L"/unreg", L"C:\\Program Files\\Quillon\\Quillrun.exe"},
                      {L"/UNREG", nullptr}};
  for (const Row& row : rows) {
    SCOPED_TRACE(Narrow(row.argument) + " over " + (row.before ? Narrow(row.before) : std::string("no value")));
    if (row.before) {
      ASSERT_TRUE(WriteRunValue(row.before));
    }
    EXPECT_EQ(Run(row.argument), 0u);
    EXPECT_FALSE(ReadRunValue().present);
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
