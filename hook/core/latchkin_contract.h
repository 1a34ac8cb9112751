// What Latchkin.dll and its callers agree on beyond the export signatures: the layout of a
// block record, the size of the cache that holds them, the source bits and rule codes of an
// event code, and the intervals' initial values and accepted range. Writer, reader and tests
// all take these from here.
#pragma once
#include <cstdint>

// The block log cache inside the shared record; a drain buffer holds this many bytes.
inline constexpr std::uint32_t kBlockLogCacheSize = 10240;
// ClearLogCahce's result for a caller that is not the installing process: never a byte count.
inline constexpr std::uint16_t kDrainNotInstaller = kBlockLogCacheSize + 1;

// One block record, little-endian, at any even offset of the cache:
//   0  length (26 + 2n)       2  local time, eight 16-bit fields in the platform's order
//   18 event code             20 process id (32 bits)
//   24 executable path, n UTF-16 code units and a terminating 0
inline constexpr std::uint32_t kBlockLogLengthOffset = 0;
inline constexpr std::uint32_t kBlockLogTimeOffset = 2;
inline constexpr std::uint32_t kBlockLogEventCodeOffset = 18;
inline constexpr std::uint32_t kBlockLogProcessIdOffset = 20;
inline constexpr std::uint32_t kBlockLogNameOffset = 24;
inline constexpr std::uint32_t kBlockLogMaxNameLength = 260;  // code units, terminator excluded
inline constexpr std::uint32_t kBlockLogMinRecordSize = kBlockLogNameOffset + 2;
inline constexpr std::uint32_t kBlockLogMaxRecordSize = kBlockLogNameOffset + 2 * (kBlockLogMaxNameLength + 1);

// The source bits: HookType selects what is filtered, and the high byte of an event code says
// what a swallowed message came from.
inline constexpr std::uint8_t kSourceLeftButton = 0x01;
inline constexpr std::uint8_t kSourceWheel = 0x02;
inline constexpr std::uint8_t kSourceRightButton = 0x04;
inline constexpr std::uint8_t kSourceMiddleButton = 0x08;
inline constexpr std::uint8_t kSourceXButton1 = 0x10;  // the first side button (back)
inline constexpr std::uint8_t kSourceXButton2 = 0x20;  // the second side button (forward)

// The five buttons by index, as SetButtonIntervalTime and GetButtonIntervalTime take them.
enum ButtonIndex : std::uint8_t {
  kButtonLeft = 0,
  kButtonRight = 1,
  kButtonMiddle = 2,
  kButtonX1 = 3,
  kButtonX2 = 4,
};
inline constexpr std::uint8_t kButtonCount = 5;
inline constexpr std::uint8_t kButtonSources[kButtonCount] = {kSourceLeftButton, kSourceRightButton,
                                                               kSourceMiddleButton, kSourceXButton1, kSourceXButton2};

// The rule codes: the low byte of an event code says which rule swallowed the message.
inline constexpr std::uint8_t kRuleUpAfterDown = 0x01;
inline constexpr std::uint8_t kRuleDownAfterUp = 0x02;
inline constexpr std::uint8_t kRuleDblClkAfterDown = 0x04;
inline constexpr std::uint8_t kRuleDownAfterDblClk = 0x08;
inline constexpr std::uint8_t kRuleDblClkAfterDblClk = 0x10;
// Drag hold: a release after a long press and the re-press that came within the hold time.
inline constexpr std::uint8_t kRuleDragHold = 0x20;
inline constexpr std::uint8_t kRuleWheelForward = 0x01;
inline constexpr std::uint8_t kRuleWheelBackward = 0x02;

constexpr std::uint16_t EventCode(std::uint8_t source, std::uint8_t rule) noexcept {
  return static_cast<std::uint16_t>(source << 8 | rule);
}

// QueryHookHolder's answer: who holds this library's filter. The shared sections are one per
// machine while hooks are one per session, so a program of another signed-in user's session may
// hold it: then this session has no filter of this library, and changes nothing of that one.
inline constexpr std::uint8_t kHookHolderNone = 0;          // no hook installed
inline constexpr std::uint8_t kHookHolderThisProcess = 1;   // the caller installed it
inline constexpr std::uint8_t kHookHolderThisSession = 2;   // another program of the caller's session
inline constexpr std::uint8_t kHookHolderOtherSession = 3;  // a program of another session

// The three intervals (milliseconds): what the record holds when the library is first mapped,
// and the range SetIntervalTime accepts (anything else leaves a value as it is).
inline constexpr std::uint32_t kDefaultUpDownIntervalTime = 40;
inline constexpr std::uint32_t kDefaultDbClickIntervalTime = 170;
inline constexpr std::uint32_t kDefaultRotReverseIntervalTime = 40;
inline constexpr std::uint32_t kMinIntervalTime = 1;
inline constexpr std::uint32_t kMaxIntervalTime = 9999;

constexpr bool IsIntervalTimeAccepted(std::uint32_t milliseconds) noexcept {
  return milliseconds >= kMinIntervalTime && milliseconds <= kMaxIntervalTime;
}

// Drag hold's wait for a re-press (milliseconds): its initial value, and the range
// SetReleaseGuard accepts (anything else leaves the stored one).
inline constexpr std::uint32_t kDefaultDragHoldTime = 30;
inline constexpr std::uint32_t kMinDragHoldTime = 5;
inline constexpr std::uint32_t kMaxDragHoldTime = 100;
// Press confirmation's hold (milliseconds): a press the rules would swallow passes when the
// button is still down this long after it came. 20 by default: twice the longest hold of a worn
// switch's phantom press (2-10 ms), under half the quickest deliberate click (45 ms and more).
// SetPressConfirm leaves a time outside the range as it is.
inline constexpr std::uint32_t kDefaultPressConfirmTime = 20;
inline constexpr std::uint32_t kMinPressConfirmTime = 5;
inline constexpr std::uint32_t kMaxPressConfirmTime = 100;
// A button's own bounce and double-click intervals: 0 means "the shared interval"; otherwise
// the shared range. SetButtonIntervalTime leaves a value outside 0..9999 as it is.
inline constexpr std::uint32_t kSharedButtonInterval = 0;
constexpr bool IsButtonIntervalAccepted(std::uint32_t milliseconds) noexcept {
  return milliseconds <= kMaxIntervalTime;
}
