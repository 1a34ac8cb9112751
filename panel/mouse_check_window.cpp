// The mouse check window: a modeless dialog that records the mouse's raw input while it is
// open, keeps the statistics, suggestion and guided check up to date at each transition, and
// applies the suggestion through the main dialog's Set path. No timer runs and nothing is
// registered while it is closed.
#include <windows.h>

#include <memory>

#include "core/text_builder.h"
#include "language.h"
#include "dialog_commands.h"
#include "display_dpi.h"
#include "interval_rows.h"
#include "mouse_check.h"
#include "mouse_check_save.h"
#include "mouse_check_state.h"
#include "options_window.h"
#include "panel_icons.h"
#include "panel_state.h"
#include "raw_mouse_input.h"
#include "resource.h"
#include "utf16.h"

namespace {

std::unique_ptr<MouseCheckState> Check;

void ReadTexts(MouseCheckTexts& texts) {
  static constexpr const wchar_t* kInputKeys[kCheckedInputCount] = {
      L"TEXT_LBUTTON", L"TEXT_RBUTTON", L"TEXT_MC_MIDDLE", L"TEXT_MC_SIDE1", L"TEXT_MC_SIDE2", L"TEXT_WHEEL"};
  static constexpr const wchar_t* kColumnKeys[kIntervalColumnCount] = {
      L"TEXT_MC_HOLD", L"TEXT_MC_GAP", L"TEXT_MC_PRESSTOPRESS", L"TEXT_MC_DIRECTIONCHANGE"};
  for (int i = 0; i < kCheckedInputCount; ++i) GetLangText(texts.Inputs[i], kInputKeys[i], kLongTextCapacity);
  for (int i = 0; i < kIntervalColumnCount; ++i) GetLangText(texts.Columns[i], kColumnKeys[i], kLongTextCapacity);
  GetLangText(texts.Down, L"TEXT_MC_DOWN", kShortTextCapacity);
  GetLangText(texts.Up, L"TEXT_MC_UP", kShortTextCapacity);
  GetLangText(texts.Forward, L"TEXT_MC_FORWARD", kShortTextCapacity);
  GetLangText(texts.Backward, L"TEXT_MC_BACKWARD", kShortTextCapacity);
  GetLangText(texts.SwallowedAt, L"TEXT_MC_SWALLOWEDAT", kShortTextCapacity);
  GetLangText(texts.NotFiltered, L"TEXT_MC_NOTFILTERED", kShortTextCapacity);
  GetLangText(texts.Own, L"TEXT_MC_OWN", kShortTextCapacity);
  GetLangText(texts.Shared, L"TEXT_MC_SHARED", kShortTextCapacity);
  GetLangText(texts.Millisecond, L"TEXT_MILLISECOND", kShortTextCapacity);
}

void ApplyTexts(HWND window) {
  struct Caption { int id; const wchar_t* key; };
  static constexpr Caption kCaptions[] = {
      {IDC_MOUSECHECK_SUGGESTED, L"TEXT_MC_SUGGESTED"}, {IDC_MOUSECHECK_GUIDED, L"TEXT_MC_GUIDED"},
      {IDC_MOUSECHECK_CLEAR, L"TEXT_MC_CLEAR"},         {IDC_MOUSECHECK_USE, L"TEXT_MC_USE"},
      {IDC_MOUSECHECK_SAVE, L"TEXT_MC_SAVE"},           {IDC_MOUSECHECK_CLOSE, L"TEXT_MC_CLOSE"},
  };
  SetLangWindowText(window, L"TEXT_MOUSECHECK");
  for (const Caption& caption : kCaptions) SetLangWindowText(GetDlgItem(window, caption.id), caption.key);
}

// The filter in force: the library's, or the settings' while it is not available.
FilterInForce CurrentFilter() {
  const Settings& options = Panel.Options;
  FilterInForce filter;
  filter.HookType = options.HookTypeBits;
  for (const IntervalRow& row : kIntervalRows) filter.Shared.*row.InForce = options.*row.Value;
  // The library keeps no copy to read back: the settings say it, as the installing program pushed them.
  filter.PressConfirmTime = options.PressConfirm ? options.PressConfirmTime : 0;
  for (int b = 0; b < kButtonCount; ++b) {
    filter.OwnUpDown[b] = options.*kButtonIntervalSettings[b].UpDown;
    filter.OwnDbClick[b] = options.*kButtonIntervalSettings[b].DbClick;
  }
  if (!Panel.LibraryReady) return filter;
  const HookLibrary& library = Panel.Library;
  library.GetHookType(&filter.HookType);
  library.GetIntervalTime(&(filter.Shared.*kIntervalRows[0].InForce), &(filter.Shared.*kIntervalRows[1].InForce),
                          &(filter.Shared.*kIntervalRows[2].InForce));
  for (std::uint8_t b = 0; b < kButtonCount; ++b) {
    filter.OwnUpDown[b] = filter.OwnDbClick[b] = kSharedButtonInterval;
    if (library.GetButtonIntervalTime) library.GetButtonIntervalTime(b, &filter.OwnUpDown[b], &filter.OwnDbClick[b]);
  }
  // A library without the buttons' own intervals filters the three original sources alone.
  if (!library.GetButtonIntervalTime) filter.HookType &= kSourceLeftButton | kSourceRightButton | kSourceWheel;
  return filter;
}

// The hint, or the guided check's step with its progress; at the end "Done" only when every
// suggestion the check promises has its data, otherwise the inputs that still lack it.
void ShowStatus(MouseCheckState& check) {
  static constexpr const wchar_t* kStepKeys[] = {L"TEXT_MC_AREAHINT", L"TEXT_MC_STEP1", L"TEXT_MC_STEP2",
                                                 L"TEXT_MC_STEP3",    L"TEXT_MC_STEP4", L"TEXT_MC_DONE"};
  const GuidedStep current = check.Guided.Step();
  const std::uint32_t lacking = current == GuidedStep::Done ? InputsLackingData(check.Suggested) : 0;
  const wchar_t* key = kStepKeys[static_cast<int>(current)];
  if (check.Guided.ExtraStep())
    key = current == GuidedStep::DoubleClicks ? L"TEXT_MC_STEPDOUBLE" : L"TEXT_MC_STEPCLICKS";
  if (lacking != 0) key = L"TEXT_MC_LACKING";
  wchar_t text[kLongTextCapacity];
  GetLangText(text, key, kLongTextCapacity);
  constexpr std::size_t kCapacity = kLongTextCapacity * (kCheckedInputCount + 1) + 32;
  wchar_t line[kCapacity];
  TextBuilder builder(AsUtf16(line), kCapacity);
  // "Middle button: click it five times in the area above."
  if (check.Guided.ExtraStep()) {
    builder.Text(AsUtf16(check.Texts.Inputs[static_cast<int>(check.Guided.Button())])).Ascii(": ");
  }
  builder.Text(AsUtf16(text));
  for (int input = 0, named = 0; input < kCheckedInputCount; ++input) {
    if ((lacking & (1u << input)) == 0) continue;
    builder.Ascii(named++ == 0 ? " " : ", ").Text(AsUtf16(check.Texts.Inputs[input]));
  }
  if (current == GuidedStep::SingleClicks || current == GuidedStep::DoubleClicks) {
    builder.Ascii(" (").Decimal(check.Guided.Progress()).Char(u'/').Decimal(kGuidedClicks).Char(u')');
  }
  SetDlgItemTextW(check.Window, IDC_MOUSECHECK_STATUS, line);
}

// The reason lines: the three shared intervals in the order of the interval rows, each under
// its row's label, then each own interval of a switched-on button ("Middle button, own bounce
// interval: ...").
void ShowSuggestion(MouseCheckState& check) {
  wchar_t label[kLongTextCapacity], chatterUpTo[kLongTextCapacity];
  wchar_t noChatter[kLongTextCapacity], overlap[kLongTextCapacity], notEnough[kLongTextCapacity];
  wchar_t unit[kShortTextCapacity];
  GetLangText(chatterUpTo, L"TEXT_MC_CHATTERUPTO", kLongTextCapacity);
  GetLangText(noChatter, L"TEXT_MC_NOCHATTER", kLongTextCapacity);
  GetLangText(overlap, L"TEXT_MC_OVERLAP", kLongTextCapacity);
  GetLangText(notEnough, L"TEXT_MC_NOTENOUGH", kLongTextCapacity);
  GetLangText(unit, L"TEXT_MILLISECOND", kShortTextCapacity);
  constexpr std::size_t kLineCount = kIntervalCount + 2 * kButtonCount + 1;
  wchar_t text[kLineCount * kReasonCapacity];
  TextBuilder all(AsUtf16(text), kLineCount * kReasonCapacity);
  bool anyData = false;
  int lineCount = 0;
  const auto addLine = [&](const IntervalSuggestion& suggestion, const wchar_t* fastestKey) {
    wchar_t fastest[kLongTextCapacity];
    GetLangText(fastest, fastestKey, kLongTextCapacity);
    const ReasonTexts texts = {AsUtf16(label),    AsUtf16(chatterUpTo), AsUtf16(fastest),
                               AsUtf16(noChatter), AsUtf16(overlap),    AsUtf16(notEnough),
                               AsUtf16(check.Texts.NotFiltered),        AsUtf16(unit)};
    char16_t reason[kReasonCapacity];
    ComposeReason(reason, kReasonCapacity, suggestion, texts);
    if (lineCount++ > 0) all.Ascii("\r\n");
    all.Text(reason);
    anyData = anyData || suggestion.HasData();
  };
  for (const IntervalRow& row : kIntervalRows) {
    GetLangText(label, row.TextKey, kLongTextCapacity);
    addLine(check.Suggested.*row.Suggested, row.FastestKey);
  }
  if (check.Suggested.PressConfirm.Basis != SuggestionBasis::NotFiltered) {
    GetLangText(label, L"TEXT_MC_PRESSCONFIRM", kLongTextCapacity);
    addLine(check.Suggested.PressConfirm, L"TEXT_MC_FASTESTCLICK");
  }
  for (int b = 0; b < kButtonCount; ++b) {
    const IntervalSuggestion* own[] = {&check.Suggested.OwnUpDown[b], &check.Suggested.OwnDbClick[b]};
    for (int which = 0; which < 2; ++which) {
      if (own[which]->Basis == SuggestionBasis::NotFiltered) continue;  // no own value, or switched off
      wchar_t ownLabel[kLongTextCapacity];
      GetLangText(ownLabel, which == 0 ? L"TEXT_MC_OWNBOUNCE" : L"TEXT_MC_OWNDOUBLE", kLongTextCapacity);
      TextBuilder(AsUtf16(label), kLongTextCapacity)
          .Text(AsUtf16(check.Texts.Inputs[b])).Ascii(", ").Text(AsUtf16(ownLabel));
      addLine(*own[which], kIntervalRows[which].FastestKey);  // bounce and double click: the first two rows
    }
  }
  HWND box = GetDlgItem(check.Window, IDC_MOUSECHECK_SUGGESTION);
  wchar_t shown[kLineCount * kReasonCapacity];
  GetWindowTextW(box, shown, kLineCount * kReasonCapacity);
  if (lstrcmpW(shown, text) != 0) {
    SetWindowTextW(box, text);
    // The first line on top, nothing selected: a new text never opens scrolled to its end.
    SendMessageW(box, EM_SETSEL, 0, 0);
    SendMessageW(box, EM_SCROLLCARET, 0, 0);
    // The scroll bar only when the own intervals' lines make more than the box shows.
    RECT area = {};
    SendMessageW(box, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&area));
    TEXTMETRICW metrics = {};
    if (HDC dc = GetDC(box)) {
      HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(box, WM_GETFONT, 0, 0)));
      GetTextMetricsW(dc, &metrics);
      SelectObject(dc, old);
      ReleaseDC(box, dc);
    }
    const int visible = metrics.tmHeight > 0 ? (area.bottom - area.top) / metrics.tmHeight : kIntervalCount;
    ShowScrollBar(box, SB_VERT, lineCount > visible);
  }
  EnableWindow(GetDlgItem(check.Window, IDC_MOUSECHECK_USE), anyData);
}

// What the filter would swallow of one input: "3 swallowed at 25 ms (own)", one part per
// interval that governs it, or "not filtered".
void DescribeSwallowed(TextBuilder& builder, const MouseCheckState& check, CheckedInput input) {
  const MouseCheckTexts& texts = check.Texts;
  const int row = static_cast<int>(input);
  const bool wheel = input == CheckedInput::Wheel;
  if (!RuleOf(check.Filter, input, wheel ? IntervalColumn::DirectionChange : IntervalColumn::Gap).On) {
    builder.Text(AsUtf16(texts.NotFiltered));
    return;
  }
  struct Part { IntervalColumn column; std::uint32_t count; };
  const std::uint32_t* counts = check.Swallowed.Counts[row];
  const auto at = [&](IntervalColumn column) { return counts[static_cast<int>(column)]; };
  const Part wheelParts[] = {{IntervalColumn::DirectionChange, at(IntervalColumn::DirectionChange)}};
  const Part buttonParts[] = {{IntervalColumn::Gap, at(IntervalColumn::Hold) + at(IntervalColumn::Gap)},
                              {IntervalColumn::PressToPress, at(IntervalColumn::PressToPress)}};
  const Part* parts = wheel ? wheelParts : buttonParts;
  const int partCount = wheel ? 1 : 2;
  for (int i = 0; i < partCount; ++i) {
    const ColumnRule rule = RuleOf(check.Filter, input, parts[i].column);
    if (i > 0) builder.Ascii(", ");
    builder.Decimal(parts[i].count).Char(u' ').Text(AsUtf16(texts.SwallowedAt)).Char(u' ').Decimal(rule.Interval);
    builder.Char(u' ').Text(AsUtf16(texts.Millisecond));
    if (!wheel) builder.Ascii(" (").Text(AsUtf16(rule.Own ? texts.Own : texts.Shared)).Char(u')');
  }
}

// The counts as the test area's text, "Left button 4 down, 4 up: 1 swallowed at 40 ms (shared),
// 0 swallowed at 170 ms (shared); ...", for screen readers (and tests) that cannot read the
// drawing.
void DescribeCounts(MouseCheckState& check) {
  constexpr std::size_t kCapacity = kCheckedInputCount * (kLongTextCapacity + 8 * kShortTextCapacity + 64);
  wchar_t text[kCapacity];
  TextBuilder builder(AsUtf16(text), kCapacity);
  for (int input = 0; input < kCheckedInputCount; ++input) {
    const InputStatistics& s = check.Recording.Statistics(static_cast<CheckedInput>(input));
    const bool wheel = input == static_cast<int>(CheckedInput::Wheel);
    if (input > 0) builder.Ascii("; ");
    builder.Text(AsUtf16(check.Texts.Inputs[input])).Char(u' ').Decimal(s.Downs).Char(u' ');
    builder.Text(AsUtf16(wheel ? check.Texts.Forward : check.Texts.Down)).Ascii(", ").Decimal(s.Ups).Char(u' ');
    builder.Text(AsUtf16(wheel ? check.Texts.Backward : check.Texts.Up)).Ascii(": ");
    DescribeSwallowed(builder, check, static_cast<CheckedInput>(input));
  }
  SetWindowTextW(check.View, text);
}

// Everything that follows from the recording and the intervals in force.
void Recompute(MouseCheckState& check) {
  check.Filter = CurrentFilter();
  check.Swallowed = CountWouldSwallow(check.Recording.Transitions(), check.Filter, check.DoubleClickTime);
  check.Suggested = SuggestIntervals(check.Recording, check.Filter, check.DoubleClickTime);
  ShowSuggestion(check);
  DescribeCounts(check);
  InvalidateRect(check.View, nullptr, FALSE);
}

// A press with the pointer on any window of the panel but the test area (the check's buttons and
// suggestion, its Save and message dialogs, the main dialog, the Options window) works that
// window; it and its release are no test input. Presses on other programs' windows are.
bool IsOwnControlPress(MouseCheckState& check, const MouseTransition& t) {
  const int button = static_cast<int>(t.Input);
  if (t.Input == CheckedInput::Wheel) return false;
  if (t.Kind == TransitionKind::Up) {
    const bool skipped = check.SkippedPress[button];
    check.SkippedPress[button] = false;
    return skipped;
  }
  const DWORD position = GetMessagePos();
  const POINT point = {static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
  HWND under = WindowFromPoint(point);
  DWORD process = 0;
  if (under) GetWindowThreadProcessId(under, &process);
  const bool own = under && under != check.View && process == GetCurrentProcessId();
  check.SkippedPress[button] = own;
  return own;
}

void OnInput(MouseCheckState& check, HRAWINPUT input) {
  MouseTransition transitions[kMaxTransitionsPerReport];
  const std::size_t count = ReadRawMouse(input, GetMessageTime(), transitions);
  bool recorded = false;
  for (std::size_t i = 0; i < count; ++i) {
    if (IsOwnControlPress(check, transitions[i])) continue;
    if (!check.Recording.Add(transitions[i])) continue;
    recorded = true;
    check.Guided.Feed(transitions[i]);
    if (transitions[i].Input == CheckedInput::Wheel && check.Guided.AwaitingWheelStop()) {
      SetTimer(check.Window, MOUSECHECK_WHEEL_STOP_TIMER, kGuidedScrollStopMs, nullptr);
    }
  }
  if (!recorded) return;
  Recompute(check);
  if (check.Guided.Step() != GuidedStep::Off) ShowStatus(check);  // "Done" reads the suggestion
}

void OnWheelStopTimer(MouseCheckState& check) {
  KillTimer(check.Window, MOUSECHECK_WHEEL_STOP_TIMER);
  if (check.Guided.WheelStopped()) ShowStatus(check);
}

void StartAgain(MouseCheckState& check, bool guided) {
  KillTimer(check.Window, MOUSECHECK_WHEEL_STOP_TIMER);
  check.Recording.Clear();
  if (guided) {
    check.Guided.Start(check.DoubleClickTime, check.Filter);
  } else {
    check.Guided.Stop();
  }
  Recompute(check);
  ShowStatus(check);
}

// Each suggested value as Set takes a typed one (the shared intervals), or as the button's box
// of the Options window does (an own interval): the library and Quillon.cfg take it the same way. Intervals without data keep their value; a button's
// own value is only ever replaced by its own suggestion.
void UseSuggestion(MouseCheckState& check) {
  for (int slot = 0; slot < kIntervalCount; ++slot) {
    const IntervalSuggestion& suggested = check.Suggested.*kIntervalRows[slot].Suggested;
    if (suggested.HasData()) SetSharedInterval(slot, suggested.Value);
  }
  for (int b = 0; b < kButtonCount; ++b) {
    const IntervalSuggestion& upDown = check.Suggested.OwnUpDown[b];
    const IntervalSuggestion& dbClick = check.Suggested.OwnDbClick[b];
    // 0 would hand the button back to the shared interval: never a suggestion's doing.
    if (upDown.HasData() && IsIntervalTimeAccepted(upDown.Value)) SetOwnButtonInterval(b, false, upDown.Value);
    if (dbClick.HasData() && IsIntervalTimeAccepted(dbClick.Value)) SetOwnButtonInterval(b, true, dbClick.Value);
  }
  if (check.Suggested.PressConfirm.HasData()) SetPressConfirmTime(check.Suggested.PressConfirm.Value);
  Recompute(check);
}

INT_PTR OnInitDialog(HWND window) {
  MouseCheckState& check = *Check;
  check.Window = window;
  check.View = GetDlgItem(window, IDC_MOUSECHECK_VIEW);
  check.DoubleClickTime = GetDoubleClickTime();
  SetPanelWindowIcons(Panel.Instance, window, WindowDpi(window));
  SetWindowLongPtrW(check.View, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&check));
  ReadTexts(check.Texts);
  ApplyTexts(window);
  ShowStatus(check);
  RegisterRawMouse(window);
  Recompute(check);
  // The first step of a new user, not the suggestion's text (which the dialog manager would
  // focus and select whole as the first tab stop).
  SetFocus(GetDlgItem(window, IDC_MOUSECHECK_GUIDED));
  return FALSE;
}

// The dialog manager rescales the font and the controls; the test area, which takes every size
// from that font, is drawn anew.
INT_PTR OnDpiChanged(MouseCheckState& check, WPARAM wParam, LPARAM lParam) {
  const INT_PTR result = ::OnDpiChanged(Panel.Instance, check.Window, wParam, lParam);
  InvalidateRect(check.View, nullptr, FALSE);
  return result;
}

INT_PTR OnCommand(HWND window, int id) {
  MouseCheckState& check = *Check;
  switch (id) {
    case IDC_MOUSECHECK_GUIDED: StartAgain(check, true); return TRUE;
    case IDC_MOUSECHECK_CLEAR: StartAgain(check, false); return TRUE;
    case IDC_MOUSECHECK_USE: UseSuggestion(check); return TRUE;
    case IDC_MOUSECHECK_SAVE: SaveRecordingAsCsv(window, check.Recording); return TRUE;
    case IDC_MOUSECHECK_CLOSE:
    case IDCANCEL: DestroyWindow(window); return TRUE;
    default: return FALSE;
  }
}

// Dialog and read-only text on white, as the main dialog has them.
INT_PTR OnControlColor() {
  if (!Panel.Options.UseWhiteBackground) return FALSE;
  return reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
}

INT_PTR Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) return OnInitDialog(window);
  if (!Check || Check->Window != window) return FALSE;
  switch (message) {
    case WM_INPUT: OnInput(*Check, reinterpret_cast<HRAWINPUT>(lParam)); return FALSE;  // the system cleans up
    case WM_TIMER:
      if (wParam == MOUSECHECK_WHEEL_STOP_TIMER) OnWheelStopTimer(*Check);
      return TRUE;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) Recompute(*Check);  // the intervals may have changed meanwhile
      return FALSE;
    case WM_COMMAND: return OnCommand(window, LOWORD(wParam));
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC: return OnControlColor();
    case WM_DPICHANGED: return OnDpiChanged(*Check, wParam, lParam);
    case WM_CLOSE: DestroyWindow(window); return TRUE;
    case WM_DESTROY:
      UnregisterRawMouse();
      KillTimer(window, MOUSECHECK_WHEEL_STOP_TIMER);
      SetWindowLongPtrW(Check->View, GWLP_USERDATA, 0);
      return TRUE;
    case WM_NCDESTROY: Check.reset(); return TRUE;
    default: return FALSE;
  }
}

INT_PTR CALLBACK MouseCheckProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    return Dispatch(window, message, wParam, lParam);
  } catch (...) {
    return FALSE;
  }
}

}  // namespace

void OpenMouseCheck() {
  if (Check) {
    ShowWindow(Check->Window, IsIconic(Check->Window) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(Check->Window);
    return;
  }
  if (!RegisterMouseCheckView(Panel.Instance)) return;
  Check = std::make_unique<MouseCheckState>();
  HWND window = CreateDialogParamW(Panel.Instance, MAKEINTRESOURCEW(IDD_MOUSE_CHECK), nullptr, MouseCheckProc, 0);
  if (!window) {
    Check.reset();
    return;
  }
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
}

HWND MouseCheckWindow() noexcept { return Check ? Check->Window : nullptr; }

void RetextMouseCheck() {
  if (!Check || !Check->Window) return;
  ReadTexts(Check->Texts);
  ApplyTexts(Check->Window);
  ShowStatus(*Check);
  Recompute(*Check);
}

void RefreshMouseCheck() {
  if (!Check || !Check->Window) return;
  if (CurrentFilter() != Check->Filter) Recompute(*Check);
}
