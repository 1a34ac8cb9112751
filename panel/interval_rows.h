// The three shared filter intervals as the panel shows, edits and checks them: one row per
// interval drives the dialog's set-up, its refresh, the Set commands, the Enter filter of the
// edits and the mouse check's filter in force, reasons and "Use these".
#pragma once
#include <windows.h>

#include <cstdint>

#include "core/settings.h"
#include "hook_library.h"
#include "interval_suggestion.h"
#include "resource.h"

struct IntervalRow {
  int LabelId;
  int EditId;
  int SetId;
  UINT ApplyMessage;                 // an edit's Enter asks the dialog to press its Set button
  const wchar_t* TextKey;            // the label's language key
  std::uint32_t Settings::*Value;    // the setting; its stored key name comes from the key table
  std::uint32_t FilterIntervals::*InForce;   // the mouse check's filter in force
  IntervalSuggestion Suggestion::*Suggested;  // the mouse check's suggestion for it
  const wchar_t* FastestKey;         // the language key of its reason's fastest-input text
};

// In the library's slot order: the index of a row is its argument position in SetIntervalTime
// and GetIntervalTime.
inline constexpr IntervalRow kIntervalRows[] = {
    {IDC_UPDOWN_LABEL, IDC_UPDOWN_EDIT, IDC_UPDOWN_SET, MSG_APPLY_UPDOWN, L"TEXT_UPDOWNINTVTIME",
     &Settings::UpDownIntervalTime, &FilterIntervals::UpDown, &Suggestion::UpDown, L"TEXT_MC_FASTESTCLICK"},
    {IDC_DBCLICK_LABEL, IDC_DBCLICK_EDIT, IDC_DBCLICK_SET, MSG_APPLY_DBCLICK, L"TEXT_DBCLICKINTVTIME",
     &Settings::DbClickIntervalTime, &FilterIntervals::DbClick, &Suggestion::DbClick, L"TEXT_MC_FASTESTDOUBLE"},
    {IDC_ROTREVERSE_LABEL, IDC_ROTREVERSE_EDIT, IDC_ROTREVERSE_SET, MSG_APPLY_ROTREVERSE, L"TEXT_ROTREVERSEINTVTIME",
     &Settings::RotReverseIntervalTime, &FilterIntervals::RotReverse, &Suggestion::RotReverse,
     L"TEXT_MC_FASTESTREVERSAL"},
};
inline constexpr int kIntervalCount = sizeof kIntervalRows / sizeof kIntervalRows[0];

// The library's shared intervals, read into the settings in the rows' order.
inline void ReadSharedIntervals(const HookLibrary& library, Settings& options) {
  library.GetIntervalTime(&(options.*kIntervalRows[0].Value), &(options.*kIntervalRows[1].Value),
                          &(options.*kIntervalRows[2].Value));
}
