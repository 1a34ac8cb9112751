// The three filter intervals as the panel shows and edits them: one row per interval drives the
// dialog's set-up, its refresh, the Set commands and the Enter filter of the edits.
#pragma once
#include <windows.h>

#include <cstdint>

#include "core/settings.h"
#include "resource.h"

struct IntervalRow {
  int LabelId;
  int EditId;
  int SetId;
  UINT ApplyMessage;                 // an edit's Enter asks the dialog to press its Set button
  const wchar_t* TextKey;            // the label's language key
  std::uint32_t Settings::*Value;    // the setting; its stored key name comes from the key table
};

// In the library's slot order: the index of a row is its argument position in SetIntervalTime
// and GetIntervalTime.
inline constexpr IntervalRow kIntervalRows[] = {
    {IDC_UPDOWN_LABEL, IDC_UPDOWN_EDIT, IDC_UPDOWN_SET, MSG_APPLY_UPDOWN, L"TEXT_UPDOWNINTVTIME",
     &Settings::UpDownIntervalTime},
    {IDC_DBCLICK_LABEL, IDC_DBCLICK_EDIT, IDC_DBCLICK_SET, MSG_APPLY_DBCLICK, L"TEXT_DBCLICKINTVTIME",
     &Settings::DbClickIntervalTime},
    {IDC_ROTREVERSE_LABEL, IDC_ROTREVERSE_EDIT, IDC_ROTREVERSE_SET, MSG_APPLY_ROTREVERSE, L"TEXT_ROTREVERSEINTVTIME",
     &Settings::RotReverseIntervalTime},
};
inline constexpr int kIntervalCount = sizeof kIntervalRows / sizeof kIntervalRows[0];
