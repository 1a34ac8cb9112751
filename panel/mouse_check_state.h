// What the mouse check window and its drawn test area share while the window is open: the
// recording and everything computed from it, and the texts read once at opening.
#pragma once
#include <windows.h>

#include "core/guided_check.h"
#include "core/interval_suggestion.h"
#include "core/mouse_recording.h"
#include "language.h"

struct MouseCheckTexts {
  wchar_t Inputs[kCheckedInputCount][kLongTextCapacity];
  wchar_t Columns[kIntervalColumnCount][kLongTextCapacity];
  wchar_t Down[kShortTextCapacity], Up[kShortTextCapacity];
  wchar_t Forward[kShortTextCapacity], Backward[kShortTextCapacity];
  wchar_t SwallowedAt[kShortTextCapacity], NotFiltered[kShortTextCapacity];
  wchar_t Own[kShortTextCapacity], Shared[kShortTextCapacity];  // which interval a histogram shows
  wchar_t Millisecond[kShortTextCapacity];
};

struct MouseCheckState {
  HWND Window = nullptr;
  HWND View = nullptr;
  MouseRecording Recording;
  GuidedCheck Guided;
  FilterInForce Filter = {};  // as the library (or, without it, the settings) has it
  std::uint32_t DoubleClickTime = 500;
  SwallowCounts Swallowed;
  Suggestion Suggested;
  // A press on one of the window's own buttons is no test input, nor is its release.
  bool SkippedPress[kCheckedButtonCount] = {};
  MouseCheckTexts Texts = {};
};

// The test area's window class; registered once, at the first opening.
bool RegisterMouseCheckView(HINSTANCE instance);
