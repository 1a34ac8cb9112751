// What mouse_target.exe and the test side share: the layout of the record of received mouse
// messages (a named file mapping the test creates) and the private messages of the window.
#pragma once
#include <windows.h>

#include <cstdint>

namespace mouse_target {

// Asks whether mouse input is still queued for the window: answers 1 while some is, else 0.
constexpr UINT kQueryPendingInput = WM_APP + 1;
// Empties the record.
constexpr UINT kClearRecord = WM_APP + 2;
// Brings the window to the foreground and gives it the focus.
constexpr UINT kActivate = WM_APP + 3;

constexpr uint32_t kMagic = 0x5447544Du;  // "MTGT"
constexpr uint32_t kCapacity = 65536;

struct Entry {
  uint32_t message;
  int32_t wheelDelta;
  int64_t receivedAt;  // QueryPerformanceCounter when the window procedure got it (system-wide)
};

// Written only by the target's UI thread; the test reads `count` first and then that many
// entries, so an entry is complete before `count` covers it.
struct Record {
  uint32_t magic;
  uint32_t capacity;
  volatile LONG64 window;  // the target's HWND, set once the window is shown
  volatile LONG count;
  volatile LONG dropped;
  Entry entries[kCapacity];
};

}  // namespace mouse_target
