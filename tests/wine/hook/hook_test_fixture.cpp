// The private library copy, its bound exports and the peer processes of the hook tests.
#include "hook_test_fixture.h"

#include <sstream>

namespace {

std::wstring ResultsFile(const std::wstring& folder, int peer) {
  return folder + L"peer" + std::to_wstring(peer) + L".txt";
}

}  // namespace

std::vector<DrainedRecord> ParseRecords(const std::uint8_t* batch, std::size_t count) {
  BlockLogStop stop = BlockLogStop::Walking;
  std::vector<DrainedRecord> records = ReadDrainedRecords(batch, count, stop);
  EXPECT_EQ(stop, BlockLogStop::End) << BlockLogStopName(stop) << " after " << records.size() << " records";
  return records;
}

void LatchkinTest::SetUp() {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string name = std::string(info->test_suite_name()) + "." + info->name();
  folder_ = MakeScratchFolder(std::wstring(name.begin(), name.end()).c_str());
  ASSERT_FALSE(folder_.empty());
  ASSERT_TRUE(CopyInto(BinDirectory() + L"Latchkin.dll", folder_));
  ASSERT_TRUE(CopyInto(BinDirectory() + L"hook_peer.exe", folder_));
  ASSERT_TRUE(hook_.Load(folder_)) << "error " << GetLastError();
  module_ = hook_.Module.get();
  EXPECT_NE(hook_.MousePreProc, nullptr) << "MousePreProc";
}

void LatchkinTest::TearDown() {
  // A hook left installed would outlive the test in every GUI process of the desktop.
  if (hook_.QueryHookState != nullptr && hook_.QueryHookState() != 0) hook_.UninstallHook();
  for (HANDLE event : events_) CloseHandle(event);
  UnloadHookLibrary(hook_);
}

ChildProcess LatchkinTest::StartPeer(const std::vector<std::wstring>& commands) {
  std::wstring arguments = L"\"" + ResultsFile(folder_, peers_++) + L"\"";
  for (const std::wstring& command : commands) arguments += L" " + command;
  ChildProcess peer = ChildProcess::Start(folder_ + L"hook_peer.exe", arguments, folder_);
  EXPECT_TRUE(peer.Started()) << "error " << peer.StartError();
  return peer;
}

std::vector<std::string> LatchkinTest::RunPeer(const std::vector<std::wstring>& commands) {
  const int peer = peers_;
  ChildProcess process = StartPeer(commands);
  EXPECT_TRUE(process.WaitForExit(30000)) << "peer did not end";
  return PeerResults(peer);
}

std::vector<std::string> LatchkinTest::PeerResults(int peer) {
  std::istringstream lines(ReadFileBytes(ResultsFile(folder_, peer)));
  std::vector<std::string> results;
  for (std::string line; std::getline(lines, line);) results.push_back(line.substr(line.find('=') + 1));
  return results;
}

HANDLE LatchkinTest::Event(const std::wstring& name) {
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, name.c_str());
  events_.push_back(event);
  return event;
}
