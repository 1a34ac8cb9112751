// 20 000 injected events into two target processes while the real writer drains: counters equal
// what the targets missed, the targets keep answering, and the log holds whole lines only.
#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "hardening_support.h"
#include "log_writer.h"
#include "text_helpers.h"

// The intervals are long (9999 ms, InstallLoggingHook) so that which messages are swallowed does not depend on the
// machine's speed: a release after its button's accepted press, and a backward notch after an
// accepted forward one, are always swallowed; a press (no release was ever accepted) and a
// forward notch always pass. Left and right clicks alternate, so no press becomes a double click.

namespace {

constexpr std::size_t kBlock = 40;            // events injected at once into one target
constexpr std::size_t kCalmBlocks = 250;      // 10 000 events, one swallowed in each block
constexpr std::size_t kFloodBlocks = 250;     // 10 000 events, half of them swallowed
// The writer writes at most one record per 10 ms and drains every 3 s: at a few swallowed
// messages a second, a pass finds a few kilobytes, far from the 10240 bytes of the cache.
constexpr double kCalmSwallowsPerSecond = 8.0;
constexpr std::uint16_t kCalmCacheCeiling = 4096;

struct MouseEvent {
  enum Kind { LeftDown, LeftUp, RightDown, RightUp, Forward, Backward } kind;
  bool swallowed;
};

INPUT ToInput(const MouseEvent& event) {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  switch (event.kind) {
    case MouseEvent::LeftDown: input.mi.dwFlags = MOUSEEVENTF_LEFTDOWN; break;
    case MouseEvent::LeftUp: input.mi.dwFlags = MOUSEEVENTF_LEFTUP; break;
    case MouseEvent::RightDown: input.mi.dwFlags = MOUSEEVENTF_RIGHTDOWN; break;
    case MouseEvent::RightUp: input.mi.dwFlags = MOUSEEVENTF_RIGHTUP; break;
    case MouseEvent::Forward:
      input.mi.dwFlags = MOUSEEVENTF_WHEEL;
      input.mi.mouseData = 120;
      break;
    case MouseEvent::Backward:
      input.mi.dwFlags = MOUSEEVENTF_WHEEL;
      input.mi.mouseData = static_cast<DWORD>(-120);
      break;
  }
  return input;
}

ReceivedMessage AsReceived(const MouseEvent& event) {
  switch (event.kind) {
    case MouseEvent::LeftDown: return {WM_LBUTTONDOWN, 0};
    case MouseEvent::LeftUp: return {WM_LBUTTONUP, 0};
    case MouseEvent::RightDown: return {WM_RBUTTONDOWN, 0};
    case MouseEvent::RightUp: return {WM_RBUTTONUP, 0};
    case MouseEvent::Forward: return {WM_MOUSEWHEEL, 120};
    default: return {WM_MOUSEWHEEL, -120};
  }
}

// A calm block: 38 forward notches and one button click whose release is swallowed, or 39
// notches with one backward notch among them. Exactly one swallowed message per block.
std::vector<MouseEvent> CalmBlock(std::size_t index) {
  std::vector<MouseEvent> block(kBlock, MouseEvent{MouseEvent::Forward, false});
  switch (index % 3) {
    case 0:
      block[0] = {MouseEvent::LeftDown, false};
      block[kBlock / 2] = {MouseEvent::LeftUp, true};
      break;
    case 1:
      block[0] = {MouseEvent::RightDown, false};
      block[kBlock / 2] = {MouseEvent::RightUp, true};
      break;
    default:
      block[kBlock / 2] = {MouseEvent::Backward, true};
      break;
  }
  return block;
}

// A flood block: left click, notch there and back, right click, notch there and back, five
// times; every release and every backward notch is swallowed.
std::vector<MouseEvent> FloodBlock() {
  std::vector<MouseEvent> block;
  for (std::size_t i = 0; block.size() < kBlock; ++i) {
    block.push_back({MouseEvent::LeftDown, false});
    block.push_back({MouseEvent::LeftUp, true});
    block.push_back({MouseEvent::Forward, false});
    block.push_back({MouseEvent::Backward, true});
    block.push_back({MouseEvent::RightDown, false});
    block.push_back({MouseEvent::RightUp, true});
    block.push_back({MouseEvent::Forward, false});
    block.push_back({MouseEvent::Backward, true});
  }
  return block;
}

// Expected results, per target and in total.
struct Tally {
  std::vector<ReceivedMessage> received;
  std::uint32_t swallowed = 0;
  std::uint32_t upDown = 0;
  std::uint32_t rotReverse = 0;
};

class Stress : public LatchkinTest {
 protected:
  void SetUp() override {
    LatchkinTest::SetUp();
    section_ = FindSharedSection(module_);
    ASSERT_NE(section_.record, nullptr);
    ASSERT_TRUE(targets_[0].Start(80, 200));
    ASSERT_TRUE(targets_[1].Start(700, 200));
    ASSERT_TRUE(SetCurrentDirectoryW(folder_.c_str()));
    ASSERT_TRUE(InstallLoggingHook(hook_, 0));
    ASSERT_TRUE(StartRealLogWriter(hook_, 5120));  // the flood's lines stay far below 5 MiB: no deletion
  }
  void TearDown() override {
    EXPECT_TRUE(StopLogWriter(15000));
    LogWriter.Library = nullptr;
    if (hook_.UninstallHook != nullptr) hook_.UninstallHook();
    for (MouseTarget& target : targets_) target.Stop();
    SetCurrentDirectoryW(BinDirectory().c_str());
    LatchkinTest::TearDown();
  }

  std::uint16_t CacheLength() const { return SharedLoad(section_.record->CacheLength); }

  // Injects one block into target `which` (cursor on it, wheel included) and waits until the
  // target has retrieved it all.
  void Inject(std::size_t which, const std::vector<MouseEvent>& block) {
    MouseTarget& target = targets_[which];
    MoveCursorTo(target.Center());
    std::vector<INPUT> inputs;
    for (const MouseEvent& event : block) {
      inputs.push_back(ToInput(event));
      Tally& tally = tallies_[which];
      if (!event.swallowed) {
        tally.received.push_back(AsReceived(event));
        continue;
      }
      ++tally.swallowed;
      if (event.kind == MouseEvent::Backward) {
        ++tally.rotReverse;
      } else {
        ++tally.upDown;
      }
    }
    ASSERT_EQ(SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)), inputs.size());
    ASSERT_TRUE(target.WaitUntilIdle(15000)) << "target " << which << " stopped retrieving its input";
  }

  std::uint32_t Swallowed() const { return tallies_[0].swallowed + tallies_[1].swallowed; }

  // Every line of the log is whole and names one of the targets, its executable and one of the
  // codes this stream can produce; returns the lines per target process id.
  std::map<unsigned long, std::size_t> CheckLines(const LogContents& log) {
    EXPECT_TRUE(log.byteOrderMark);
    EXPECT_EQ(Narrow(log.broken), "") << "not whole lines";
    std::map<unsigned long, std::size_t> perTarget;
    const std::wstring exe = targets_[0].ExePath();
    for (const LogLine& line : log.lines) {
      const bool ours = line.processId == targets_[0].Pid() || line.processId == targets_[1].Pid();
      const bool known = line.eventCode == 0x0101 || line.eventCode == 0x0401 || line.eventCode == 0x0202;
      if (!line.sane || !ours || !known ||
          CompareStringOrdinal(line.appName.c_str(), -1, exe.c_str(), -1, TRUE) != CSTR_EQUAL) {
        ADD_FAILURE() << "unexpected line: " << Narrow(line.text);
        break;
      }
      ++perTarget[line.processId];
    }
    return perTarget;
  }

  SharedSection section_;
  MouseTarget targets_[2];
  Tally tallies_[2];
};

TEST_F(Stress, TwentyThousandEventsIntoTwoTargetsWhileTheWriterDrains) {
  const std::wstring log = folder_ + kLogFileName;
  AnswerWatch watch({targets_[0].Window(), targets_[1].Window()});
  const std::vector<std::uint32_t> countsBefore = hook_.Counts();
  const ULONGLONG start = GetTickCount64();

  // Calm: swallows paced below what the writer drains, and held back while the cache is fuller
  // than a few kilobytes, so no record is ever dropped.
  std::uint16_t fullestCalm = 0;
  for (std::size_t block = 0; block < kCalmBlocks; ++block) {
    const bool paced = WaitUntil(
        [&] {
          const double seconds = (GetTickCount64() - start) / 1000.0;
          return Swallowed() < 1 + seconds * kCalmSwallowsPerSecond && CacheLength() <= kCalmCacheCeiling;
        },
        60000, 5);
    ASSERT_TRUE(paced) << "the writer stopped draining";
    ASSERT_NO_FATAL_FAILURE(Inject(block % 2, CalmBlock(block)));
    fullestCalm = std::max(fullestCalm, CacheLength());
  }
  const std::uint32_t calmSwallowed = Swallowed();
  const ULONGLONG calmInjected = GetTickCount64();
  auto allCalmLogged = [&] { return ReadLog(log).lines.size() >= calmSwallowed; };
  EXPECT_TRUE(WaitUntil(allCalmLogged, 30000)) << "only " << ReadLog(log).lines.size() << " of " << calmSwallowed;
  const ULONGLONG calmLogged = GetTickCount64();
  const LogContents calm = ReadLog(log);
  EXPECT_EQ(calm.lines.size(), calmSwallowed) << "one line per swallowed message";
  std::map<unsigned long, std::size_t> calmPerTarget = CheckLines(calm);
  EXPECT_EQ(calmPerTarget[targets_[0].Pid()], tallies_[0].swallowed);
  EXPECT_EQ(calmPerTarget[targets_[1].Pid()], tallies_[1].swallowed);
  // The premise of this phase: the cache never came near its end, so nothing was dropped.
  EXPECT_LE(fullestCalm, kCalmCacheCeiling + 2 * 546);

  // Flood: as fast as the targets take it.
  const std::uint32_t before[2] = {tallies_[0].swallowed, tallies_[1].swallowed};
  for (std::size_t block = 0; block < kFloodBlocks; ++block) {
    ASSERT_NO_FATAL_FAILURE(Inject(block % 2, FloodBlock()));
  }
  const ULONGLONG floodInjected = GetTickCount64();
  // Settled: the cache is empty and the writer has finished the pass that emptied it.
  std::size_t lastSize = 0;
  ULONGLONG stableSince = GetTickCount64();
  const bool settled = WaitUntil(
      [&] {
        const std::size_t size = ReadFileBytes(log).size();
        if (size != lastSize || CacheLength() != 0) {
          lastSize = size;
          stableSince = GetTickCount64();
        }
        return GetTickCount64() - stableSince > 4000;
      },
      60000, 100);
  EXPECT_TRUE(settled) << "the log kept growing";
  watch.Stop();

  // Every message reached its target or was counted, exactly as the rules say.
  const std::vector<std::uint32_t> counts = hook_.Counts();
  EXPECT_EQ(counts[0] - countsBefore[0], tallies_[0].upDown + tallies_[1].upDown);
  EXPECT_EQ(counts[1] - countsBefore[1], 0u);
  EXPECT_EQ(counts[2] - countsBefore[2], tallies_[0].rotReverse + tallies_[1].rotReverse);
  const std::size_t injected = (kCalmBlocks + kFloodBlocks) * kBlock;
  const std::size_t seen = targets_[0].Received().size() + targets_[1].Received().size();
  EXPECT_EQ((counts[0] - countsBefore[0]) + (counts[1] - countsBefore[1]) + (counts[2] - countsBefore[2]),
            injected - seen)
      << "the counters are the messages the targets did not see";
  for (int which = 0; which < 2; ++which) {
    const std::vector<ReceivedMessage> received = targets_[which].Received();
    EXPECT_EQ(targets_[which].Dropped(), 0u);
    EXPECT_EQ(received.size(), tallies_[which].received.size()) << "target " << which;
    const auto mismatch = std::mismatch(received.begin(), received.end(), tallies_[which].received.begin(),
                                        tallies_[which].received.end());
    if (mismatch.first != received.end()) {
      ADD_FAILURE() << "target " << which << " message " << (mismatch.first - received.begin()) << ": got "
                    << *mismatch.first << ", expected "
                    << (mismatch.second != tallies_[which].received.end() ? *mismatch.second : ReceivedMessage{});
    }
  }

  // The flood dropped records by design; the log still holds whole lines, none made up.
  const LogContents all = ReadLog(log);
  const std::map<unsigned long, std::size_t> perTarget = CheckLines(all);
  for (int which = 0; which < 2; ++which) {
    const auto lines = perTarget.find(targets_[which].Pid());
    const std::size_t floodLines = (lines == perTarget.end() ? 0 : lines->second) - calmPerTarget[targets_[which].Pid()];
    EXPECT_LE(floodLines, tallies_[which].swallowed - before[which]) << "target " << which;
  }

  // No target hung: each answered within 1 s every time it was asked.
  EXPECT_GT(watch.Asked(), 0u);
  EXPECT_EQ(watch.Unanswered(), 0u) << "slowest answer " << watch.SlowestMs() << " ms";
  EXPECT_TRUE(targets_[0].Running() && targets_[1].Running());

  const std::uint32_t floodSwallowed = Swallowed() - calmSwallowed;
  std::printf("calm: %zu events, %u swallowed, injected in %.1f s, logged %.1f s later, fullest cache %u bytes\n"
              "flood: %zu events, %u swallowed, injected in %.1f s, %zu lines logged (%u dropped)\n"
              "answers: %u asked, slowest %lu ms\n",
              kCalmBlocks * kBlock, calmSwallowed, (calmInjected - start) / 1000.0, (calmLogged - calmInjected) / 1000.0,
              fullestCalm, kFloodBlocks * kBlock, floodSwallowed, (floodInjected - calmLogged) / 1000.0,
              all.lines.size() - calm.lines.size(),
              static_cast<unsigned>(floodSwallowed - (all.lines.size() - calm.lines.size())), watch.Asked(),
              static_cast<unsigned long>(watch.SlowestMs()));
}

}  // namespace
