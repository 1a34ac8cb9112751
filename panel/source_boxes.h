// The main dialog's three source check boxes: one row per box drives their captions, their
// commands, their check marks and their enabling.
#pragma once
#include <cstdint>

#include "latchkin_contract.h"
#include "resource.h"

struct SourceBox {
  int BoxId;
  std::uint8_t SourceBit;   // the hook type bit the box switches; its stored key comes from the key table
  const wchar_t* TextKey;   // the caption's language key
};

inline constexpr SourceBox kSourceBoxes[] = {
    {IDC_LBUTTON, kSourceLeftButton, L"TEXT_LBUTTON"},
    {IDC_RBUTTON, kSourceRightButton, L"TEXT_RBUTTON"},
    {IDC_WHEEL, kSourceWheel, L"TEXT_WHEEL"},
};
