// Test side of mouse_target.exe: starts it over a record the test owns, keeps its window in
// front, and reads back what it received once it has retrieved all queued input.
#include "wine_test_support.h"

#include "mouse_target_protocol.h"

#include <ostream>
#include <sstream>

namespace {

constexpr DWORD kAnswerTimeoutMs = 5000;
constexpr DWORD kStartTimeoutMs = 15000;

const char* MessageName(UINT message) {
  switch (message) {
    case WM_LBUTTONDOWN: return "WM_LBUTTONDOWN";
    case WM_LBUTTONUP: return "WM_LBUTTONUP";
    case WM_LBUTTONDBLCLK: return "WM_LBUTTONDBLCLK";
    case WM_RBUTTONDOWN: return "WM_RBUTTONDOWN";
    case WM_RBUTTONUP: return "WM_RBUTTONUP";
    case WM_RBUTTONDBLCLK: return "WM_RBUTTONDBLCLK";
    case WM_MOUSEWHEEL: return "WM_MOUSEWHEEL";
    case WM_MBUTTONDOWN: return "WM_MBUTTONDOWN";
    case WM_MBUTTONUP: return "WM_MBUTTONUP";
    case WM_MBUTTONDBLCLK: return "WM_MBUTTONDBLCLK";
    case WM_XBUTTONDOWN: return "WM_XBUTTONDOWN";
    case WM_XBUTTONUP: return "WM_XBUTTONUP";
    case WM_XBUTTONDBLCLK: return "WM_XBUTTONDBLCLK";
    default: return nullptr;
  }
}

bool Ask(HWND window, UINT message, DWORD_PTR* answer) {
  return window != nullptr &&
         SendMessageTimeoutW(window, message, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                             kAnswerTimeoutMs, answer) != 0;
}

}  // namespace

bool operator==(const ReceivedMessage& a, const ReceivedMessage& b) {
  return a.message == b.message && a.wheelDelta == b.wheelDelta;
}
bool operator!=(const ReceivedMessage& a, const ReceivedMessage& b) { return !(a == b); }

std::ostream& operator<<(std::ostream& out, const ReceivedMessage& message) {
  if (const char* name = MessageName(message.message)) {
    out << name;
  } else {
    out << "message 0x" << std::hex << message.message << std::dec;
  }
  if (message.message == WM_MOUSEWHEEL || message.wheelDelta != 0) {
    out << '(' << (message.wheelDelta > 0 ? "+" : "") << message.wheelDelta << ')';
  }
  return out;
}

std::string Describe(const std::vector<ReceivedMessage>& messages) {
  std::ostringstream out;
  for (size_t i = 0; i < messages.size(); ++i) out << (i ? " " : "") << messages[i];
  return messages.empty() ? "(nothing)" : out.str();
}

bool MouseTarget::Start(int left, int top, const std::wstring& exePath) {
  Stop();
  exePath_ = exePath;
  left_ = left;
  top_ = top;
  static LONG serial = 0;
  const std::wstring mappingName = L"Local\\QuillonMouseTarget." +
                                   std::to_wstring(GetCurrentProcessId()) + L"." +
                                   std::to_wstring(InterlockedIncrement(&serial));
  mapping_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                sizeof(mouse_target::Record), mappingName.c_str());
  if (mapping_ == nullptr) return false;
  view_ = MapViewOfFile(mapping_, FILE_MAP_WRITE | FILE_MAP_READ, 0, 0, sizeof(mouse_target::Record));
  if (view_ == nullptr) {
    Stop();
    return false;
  }
  auto* record = static_cast<mouse_target::Record*>(view_);
  record->magic = mouse_target::kMagic;
  record->capacity = mouse_target::kCapacity;

  const std::wstring arguments = mappingName + L" " + std::to_wstring(left) + L" " +
                                 std::to_wstring(top) + L" " + std::to_wstring(kSize) + L" " +
                                 std::to_wstring(GetCurrentProcessId());
  process_ = ChildProcess::Start(ExePath(), arguments, BinDirectory());
  if (!process_.Started()) {
    Stop();
    return false;
  }
  AllowSetForegroundWindow(process_.Pid());
  const bool shown = WaitUntil(
      [&] { return record->window != 0 || !process_.Running(); }, kStartTimeoutMs);
  if (!shown || record->window == 0) {
    Stop();
    return false;
  }
  window_ = reinterpret_cast<HWND>(static_cast<INT_PTR>(record->window));
  if (!Activate()) {
    Stop();
    return false;
  }
  return WaitUntilIdle();
}

void MouseTarget::Stop() {
  if (window_ != nullptr && process_.Running()) {
    PostMessageW(window_, WM_CLOSE, 0, 0);
    process_.WaitForExit(kAnswerTimeoutMs);
  }
  process_ = ChildProcess();  // kills it if it did not close
  window_ = nullptr;
  if (view_ != nullptr) UnmapViewOfFile(view_);
  view_ = nullptr;
  if (mapping_ != nullptr) CloseHandle(mapping_);
  mapping_ = nullptr;
  freshIndex_ = 0;
}

std::wstring MouseTarget::ExePath() const {
  return exePath_.empty() ? BinDirectory() + L"mouse_target.exe" : exePath_;
}

POINT MouseTarget::Center() const { return POINT{left_ + kSize / 2, top_ + kSize / 2}; }

bool MouseTarget::Activate() {
  AllowSetForegroundWindow(process_.Pid());
  DWORD_PTR answer = 0;
  if (!Ask(window_, mouse_target::kActivate, &answer)) return false;
  MoveCursorTo(Center());
  freshIndex_ = 0;
  // The target brings itself forward (a process may, once allowed); confirm it, since the
  // wheel follows the focus and would otherwise reach the window that had it before.
  WaitUntil([&] { return GetForegroundWindow() == window_; }, kAnswerTimeoutMs);
  return GetForegroundWindow() == window_;
}

POINT MouseTarget::MoveToFreshPoint() {
  // A 5x5 grid of points 40 px apart around the centre: far beyond the double-click
  // rectangle (a few pixels) and well inside the window.
  constexpr int kGrid = 5;
  constexpr int kStep = 40;
  freshIndex_ = (freshIndex_ + 1) % (kGrid * kGrid);
  const POINT center = Center();
  const POINT point{center.x + (freshIndex_ % kGrid - kGrid / 2) * kStep,
                    center.y + (freshIndex_ / kGrid - kGrid / 2) * kStep};
  MoveCursorTo(point);
  return point;
}

bool MouseTarget::WaitUntilIdle(DWORD timeoutMs) {
  bool answered = true;
  const bool idle = WaitUntil(
      [&] {
        DWORD_PTR pending = 1;
        answered = Ask(window_, mouse_target::kQueryPendingInput, &pending);
        return !answered || pending == 0;
      },
      timeoutMs, 5);
  return idle && answered;
}

const mouse_target::Record* MouseTarget::Settled(long& count) {
  count = 0;
  if (view_ == nullptr) return nullptr;
  WaitUntilIdle();
  const auto* record = static_cast<const mouse_target::Record*>(view_);
  count = InterlockedCompareExchange(const_cast<volatile LONG*>(&record->count), 0, 0);
  if (count < 0 || static_cast<uint32_t>(count) > mouse_target::kCapacity) count = mouse_target::kCapacity;
  return record;
}

std::vector<ReceivedMessage> MouseTarget::Received() {
  long count = 0;
  const mouse_target::Record* record = Settled(count);
  std::vector<ReceivedMessage> messages;
  for (long i = 0; i < count; ++i) messages.push_back({record->entries[i].message, record->entries[i].wheelDelta});
  return messages;
}

std::vector<double> MouseTarget::ReceivedAtMs() {
  long count = 0;
  const mouse_target::Record* record = Settled(count);
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  std::vector<double> times;
  for (long i = 0; i < count; ++i)
    times.push_back(static_cast<double>(record->entries[i].receivedAt) * 1000.0 / static_cast<double>(frequency.QuadPart));
  return times;
}

uint32_t MouseTarget::Dropped() const {
  return view_ == nullptr ? 0 : static_cast<const mouse_target::Record*>(view_)->dropped;
}

void MouseTarget::ClearReceived() {
  WaitUntilIdle();
  DWORD_PTR answer = 0;
  Ask(window_, mouse_target::kClearRecord, &answer);
}

bool MouseTarget::Play(const std::vector<InputStep>& steps) {
  for (const InputStep& step : steps) {
    // The pause starts only once the previous step has been retrieved (and so seen by any
    // hook), which makes it a lower bound of the gap the hook measures.
    if (step.pauseBeforeMs > 0 && step.fromInjection) {
      Sleep(step.pauseBeforeMs);
    } else if (step.pauseBeforeMs > 0) {
      if (!WaitUntilIdle()) return false;
      PumpMessagesFor(step.pauseBeforeMs);
    }
    if (step.kind == InputStep::Kind::Button) {
      SendBouncingButton(step.button, step.down, step.bounces);
    } else {
      SendWheel(step.wheelDelta);
    }
  }
  return WaitUntilIdle();
}
