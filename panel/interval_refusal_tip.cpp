// The refusal balloon of the interval boxes (see interval_refusal_tip.h). A tracking balloon
// tooltip of the panel's own rather than EM_SHOWBALLOONTIP: it looks the same, works with the
// common controls of every version, and Wine's edit control does not implement that message.
#include "interval_refusal_tip.h"

#include <commctrl.h>

#include "core/decimal.h"
#include "language.h"
#include "panel_state.h"
#include "resource.h"
#include "utf16.h"

namespace {

constexpr UINT kRefusalShownMs = 6000;
// Left of the balloon's stem, inside the box, as Windows places an edit's own balloon.
constexpr int kStemInsetX = 12;

HWND gTip = nullptr;
HWND gTipEdit = nullptr;

TTTOOLINFOW ToolOf(HWND edit) {
  TTTOOLINFOW tool = {};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_TRACK | TTF_ABSOLUTE;
  tool.hwnd = Panel.Dialog;
  tool.uId = reinterpret_cast<UINT_PTR>(edit);
  return tool;
}

bool CreateTip() {
  if (gTip) return true;
  gTip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                         WS_POPUP | TTS_BALLOON | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                         CW_USEDEFAULT, CW_USEDEFAULT, Panel.Dialog, nullptr, Panel.Instance, nullptr);
  if (!gTip) return false;
  // Long texts wrap instead of running off the screen.
  SendMessageW(gTip, TTM_SETMAXTIPWIDTH, 0, 320);
  return true;
}

}  // namespace

bool ReadNumberBox(HWND edit, std::uint32_t& value) {
  wchar_t text[16] = {};
  GetWindowTextW(edit, text, 16);
  return ReadTypedNumber(AsUtf16(text), value);
}

void ShowIntervalRefusal(HWND edit, const wchar_t* textKey) {
  HideIntervalRefusal();
  if (!edit || !CreateTip()) return;
  wchar_t title[kShortTextCapacity];
  wchar_t text[kLongTextCapacity];
  GetLangText(title, L"TEXT_SETREFUSEDTITLE", kShortTextCapacity);
  GetLangText(text, textKey, kLongTextCapacity);

  TTTOOLINFOW tool = ToolOf(edit);
  tool.lpszText = text;
  SendMessageW(gTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageW(gTip, TTM_SETTITLEW, TTI_WARNING, reinterpret_cast<LPARAM>(title));
  RECT box = {};
  GetWindowRect(edit, &box);
  SendMessageW(gTip, TTM_TRACKPOSITION, 0, MAKELPARAM(box.left + kStemInsetX, box.bottom));
  SendMessageW(gTip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
  gTipEdit = edit;
  SetTimer(Panel.Dialog, REFUSAL_TIP_TIMER, kRefusalShownMs, nullptr);
}

void HideIntervalRefusal() {
  if (!gTip || !gTipEdit) return;
  TTTOOLINFOW tool = ToolOf(gTipEdit);
  SendMessageW(gTip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
  SendMessageW(gTip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  gTipEdit = nullptr;
  KillTimer(Panel.Dialog, REFUSAL_TIP_TIMER);
}

void OnIntervalRefusalTimer() { HideIntervalRefusal(); }
