// The private library copy, its bound exports and the peer processes of the hook tests.
#include "hook_test_fixture.h"

#include <sstream>

namespace {

template <typename Fn>
void Bind(HMODULE module, const char* name, Fn& entry) {
  entry = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  EXPECT_NE(entry, nullptr) << name;
}

std::wstring ResultsFile(const std::wstring& folder, int peer) {
  return folder + L"peer" + std::to_wstring(peer) + L".txt";
}

}  // namespace

std::vector<std::uint32_t> LatchkinExports::Counts() const {
  std::uint32_t a = 0, b = 0, c = 0;
  ReturnBlockedCount(&a, &b, &c);
  return {a, b, c};
}

std::vector<std::uint32_t> LatchkinExports::Intervals() const {
  std::uint32_t a = 0, b = 0, c = 0;
  GetIntervalTime(&a, &b, &c);
  return {a, b, c};
}

std::vector<DrainedRecord> ParseRecords(const std::uint8_t* batch, std::size_t count) {
  std::vector<DrainedRecord> records;
  auto u16 = [&](std::size_t at) { return static_cast<std::uint16_t>(batch[at] | batch[at + 1] << 8); };
  std::size_t at = 0;
  while (at < count) {
    DrainedRecord record{};
    record.length = u16(at);
    EXPECT_GE(record.length, 26) << "record at " << at;
    EXPECT_EQ(record.length % 2, 0) << "record at " << at;
    EXPECT_LE(at + record.length, count) << "record at " << at;
    if (record.length < 26 || at + record.length > count) break;
    for (int i = 0; i < 8; ++i) record.localTime[i] = u16(at + 2 + 2 * i);
    record.eventCode = u16(at + 18);
    record.processId = u16(at + 20) | static_cast<std::uint32_t>(u16(at + 22)) << 16;
    for (std::size_t unit = at + 24; unit + 2 < at + record.length; unit += 2)
      record.appName.push_back(static_cast<wchar_t>(u16(unit)));
    EXPECT_EQ(u16(at + record.length - 2), 0) << "record at " << at << ": name not terminated";
    records.push_back(record);
    at += record.length;
  }
  return records;
}

void LatchkinTest::SetUp() {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string name = std::string(info->test_suite_name()) + "." + info->name();
  folder_ = MakeScratchFolder(std::wstring(name.begin(), name.end()).c_str());
  ASSERT_FALSE(folder_.empty());
  ASSERT_TRUE(CopyInto(BinDirectory() + L"Latchkin.dll", folder_));
  ASSERT_TRUE(CopyInto(BinDirectory() + L"hook_peer.exe", folder_));
  module_ = LoadLibraryW((folder_ + L"Latchkin.dll").c_str());
  ASSERT_NE(module_, nullptr) << "error " << GetLastError();
  Bind(module_, "InstallHook", hook_.InstallHook);
  Bind(module_, "UninstallHook", hook_.UninstallHook);
  Bind(module_, "QueryHookState", hook_.QueryHookState);
  Bind(module_, "IsSelf", hook_.IsSelf);
  Bind(module_, "SetHookType", hook_.SetHookType);
  Bind(module_, "GetHookType", hook_.GetHookType);
  Bind(module_, "SetIntervalTime", hook_.SetIntervalTime);
  Bind(module_, "GetIntervalTime", hook_.GetIntervalTime);
  Bind(module_, "SetLogState", hook_.SetLogState);
  Bind(module_, "GetLogState", hook_.GetLogState);
  Bind(module_, "ReturnBlockedCount", hook_.ReturnBlockedCount);
  Bind(module_, "ClearBlockedCount", hook_.ClearBlockedCount);
  Bind(module_, "ClearLogCahce", hook_.ClearLogCahce);
  Bind(module_, "MousePreProc", hook_.MousePreProc);
}

void LatchkinTest::TearDown() {
  // A hook left installed would outlive the test in every GUI process of the desktop.
  if (hook_.QueryHookState != nullptr && hook_.QueryHookState() != 0) hook_.UninstallHook();
  for (HANDLE event : events_) CloseHandle(event);
  if (module_ != nullptr) FreeLibrary(module_);
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
