// The Wine test toolkit on its own, without any hook: injected input reaches the mouse target
// exactly as sent, child processes report their exit codes, scratch folders start empty.
#include "wine_test_support.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Sequence = std::vector<ReceivedMessage>;

constexpr ReceivedMessage kLDown{WM_LBUTTONDOWN, 0};
constexpr ReceivedMessage kLUp{WM_LBUTTONUP, 0};
constexpr ReceivedMessage kLDbl{WM_LBUTTONDBLCLK, 0};
constexpr ReceivedMessage kRDown{WM_RBUTTONDOWN, 0};
constexpr ReceivedMessage kRUp{WM_RBUTTONUP, 0};
constexpr ReceivedMessage kRDbl{WM_RBUTTONDBLCLK, 0};

ReceivedMessage Wheel(int delta) { return ReceivedMessage{WM_MOUSEWHEEL, delta}; }

class MouseTargetTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { target_ = new MouseTarget; }
  static void TearDownTestSuite() {
    delete target_;
    target_ = nullptr;
  }
  void SetUp() override {
    // One target for the suite: starting a process per case would only add time.
    if (!target_->Running()) {
      ASSERT_TRUE(target_->Start());
    }
    ASSERT_TRUE(target_->Activate());
    target_->MoveToFreshPoint();
    target_->ClearReceived();
  }
  static MouseTarget* target_;
};
MouseTarget* MouseTargetTest::target_ = nullptr;

TEST_F(MouseTargetTest, RecordsInjectedInputInOrder) {
  const UINT doubleClickMs = GetDoubleClickTime();
  struct Row {
    const char* name;
    std::function<void()> send;
    Sequence expected;
  };
  const std::vector<Row> rows = {
      {"left press and release", [] { SendButton(MouseButton::Left, true); SendButton(MouseButton::Left, false); },
       {kLDown, kLUp}},
      {"right click", [] { SendClick(MouseButton::Right); }, {kRDown, kRUp}},
      {"left double click", [] { SendDoubleClick(MouseButton::Left); }, {kLDown, kLUp, kLDbl, kLUp}},
      {"right double click", [] { SendDoubleClick(MouseButton::Right); }, {kRDown, kRUp, kRDbl, kRUp}},
      {"wheel forward then back", [] { SendWheel(120); SendWheel(-120); }, {Wheel(120), Wheel(-120)}},
      {"a lone press stays a press", [] { SendButton(MouseButton::Left, true); }, {kLDown}},
      {"two clicks at points far apart are no double click",
       [] {
         SendClick(MouseButton::Left);
         target_->WaitUntilIdle();
         target_->MoveToFreshPoint();
         SendClick(MouseButton::Left);
       },
       {kLDown, kLUp, kLDown, kLUp}},
      {"two clicks slower than the double-click time are no double click",
       [&] {
         target_->Play({ButtonStep(MouseButton::Right, true), ButtonStep(MouseButton::Right, false),
                        ButtonStep(MouseButton::Right, true, doubleClickMs + 300),
                        ButtonStep(MouseButton::Right, false)});
       },
       {kRDown, kRUp, kRDown, kRUp}},
      {"steps without a pause are played as one burst",
       [] {
         target_->Play({ButtonStep(MouseButton::Left, true), ButtonStep(MouseButton::Left, false),
                        ButtonStep(MouseButton::Left, true), ButtonStep(MouseButton::Left, false)});
       },
       {kLDown, kLUp, kLDbl, kLUp}},
      {"buttons and wheel interleaved",
       [] {
         SendButton(MouseButton::Left, true);
         SendWheel(-240);
         SendButton(MouseButton::Right, true);
         SendButton(MouseButton::Right, false);
         SendButton(MouseButton::Left, false);
       },
       {kLDown, Wheel(-240), kRDown, kRUp, kLUp}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    target_->MoveToFreshPoint();
    target_->ClearReceived();
    row.send();
    SettleInput();
    EXPECT_EQ(target_->Received(), row.expected) << Describe(target_->Received());
    // A press left open must not leak into the next row.
    SendButton(MouseButton::Left, false);
    SendButton(MouseButton::Right, false);
  }
  EXPECT_EQ(target_->Dropped(), 0u);
}

TEST_F(MouseTargetTest, IsFoundAndAnswersWhileFlooded) {
  EXPECT_EQ(FindTopWindowOfProcess(target_->Pid(), L"QuillonMouseTarget", 2000), target_->Window());
  EXPECT_EQ(FindTopWindowOfProcess(target_->Pid(), nullptr, 2000), target_->Window());
  EXPECT_EQ(FindTopWindowOfProcess(target_->Pid(), L"NoSuchClass", 100), nullptr);
  const POINT point = target_->MoveToFreshPoint();
  POINT cursor = {};
  GetCursorPos(&cursor);
  EXPECT_EQ(cursor.x, point.x);
  EXPECT_EQ(cursor.y, point.y);
  EXPECT_EQ(WindowFromPoint(point), target_->Window());

  constexpr int kNotches = 2000;
  for (int i = 0; i < kNotches; ++i) SendWheel(i % 2 ? -120 : 120);
  DWORD_PTR result = 0;
  EXPECT_NE(SendMessageTimeoutW(target_->Window(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result), 0);
  EXPECT_EQ(target_->Received().size(), static_cast<size_t>(kNotches));
}

TEST(ChildProcessTest, ReportsExitCodes) {
  const std::wstring exe = BinDirectory() + L"mouse_target.exe";
  struct Row {
    const wchar_t* arguments;
    DWORD expected;
  } rows[] = {{L"/exit 0 0", 0}, {L"/exit 7 0", 7}, {L"/exit 255 100", 255}, {L"", 2}};
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::Message() << "arguments \"" << std::string(row.arguments, row.arguments + wcslen(row.arguments)) << "\"");
    ChildProcess child = ChildProcess::Start(exe, row.arguments, L"");
    ASSERT_TRUE(child.Started()) << child.StartError();
    EXPECT_NE(child.Pid(), 0u);
    ASSERT_TRUE(child.WaitForExit(10000));
    EXPECT_FALSE(child.Running());
    EXPECT_EQ(child.ExitCode(), row.expected);
  }
}

TEST(ChildProcessTest, NeverOutlivesItsOwner) {
  const std::wstring exe = BinDirectory() + L"mouse_target.exe";
  DWORD pid = 0;
  HANDLE watch = nullptr;
  {
    ChildProcess child = ChildProcess::Start(exe, L"/exit 0 60000", L"");
    ASSERT_TRUE(child.Started());
    EXPECT_TRUE(child.Running());
    EXPECT_EQ(child.ExitCode(), static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_FALSE(child.WaitForExit(200));
    pid = child.Pid();
    watch = OpenProcess(SYNCHRONIZE, FALSE, pid);
    ASSERT_NE(watch, nullptr);
    ChildProcess moved = std::move(child);
    EXPECT_FALSE(child.Running());
    EXPECT_TRUE(moved.Running());
  }
  EXPECT_EQ(WaitForSingleObject(watch, 10000), WAIT_OBJECT_0);
  CloseHandle(watch);

  ChildProcess missing = ChildProcess::Start(BinDirectory() + L"no-such-program.exe", L"", L"");
  EXPECT_FALSE(missing.Started());
  EXPECT_NE(missing.StartError(), 0u);
  EXPECT_FALSE(missing.Running());
}

TEST(ScratchFilesTest, FoldersStartEmptyAndFilesRoundTrip) {
  const std::wstring folder = MakeScratchFolder(L"support-selftest");
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), L'\\');
  EXPECT_EQ(BinDirectory().back(), L'\\');
  EXPECT_TRUE(FileExists(BinDirectory() + L"mouse_target.exe"));

  const std::string binary("a\0\r\n\xFF", 5);
  ASSERT_TRUE(WriteFileBytes(folder + L"data.bin", binary));
  EXPECT_EQ(ReadFileBytes(folder + L"data.bin"), binary);
  EXPECT_EQ(Utf16LeWithBom(L"A\u00e9\u20ac"), std::string("\xFF\xFE" "A\0\xE9\0\xAC\x20", 8));
  EXPECT_EQ(Utf16LeWithBom(L""), std::string("\xFF\xFE"));

  ASSERT_TRUE(CreateDirectoryW((folder + L"sub").c_str(), nullptr));
  ASSERT_TRUE(CopyInto(folder + L"data.bin", folder + L"sub"));
  EXPECT_EQ(ReadFileBytes(folder + L"sub\\data.bin"), binary);
  SetFileAttributesW((folder + L"sub\\data.bin").c_str(), FILE_ATTRIBUTE_READONLY);

  // Asking again wipes the old folder, read-only contents and all.
  EXPECT_EQ(MakeScratchFolder(L"support-selftest"), folder);
  EXPECT_FALSE(FileExists(folder + L"data.bin"));
  EXPECT_EQ(GetFileAttributesW((folder + L"sub").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(ReadFileBytes(folder + L"missing.bin"), "");
  EXPECT_FALSE(FileExists(folder + L"missing.bin"));
  EXPECT_FALSE(FileExists(folder));

  RemoveFolder(folder);
  EXPECT_EQ(GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(WaitUntilTest, ReturnsAsSoonAsTheConditionHolds) {
  int calls = 0;
  EXPECT_TRUE(WaitUntil([&] { return ++calls == 3; }, 10000, 1));
  EXPECT_EQ(calls, 3);
  EXPECT_FALSE(WaitUntil([] { return false; }, 50));
}

}  // namespace
