// The mouse check's test area: per input a live pressed/released indicator, its counts and
// histograms of its intervals on a logarithmic axis from 1 ms to 1 s, with the interval in force
// for that input drawn in (a button's own or the shared one, as switched) and what the filter
// would swallow at it. Drawn into a memory bitmap and copied in one piece, so nothing flickers;
// every size derives from the dialog's font, which follows the display's scale.
#include <windows.h>

#include <algorithm>
#include <cmath>

#include "core/text_builder.h"
#include "mouse_check_state.h"
#include "unique_handle.h"
#include "utf16.h"

namespace {

constexpr wchar_t kViewClass[] = L"QuillonMouseCheckView";
constexpr COLORREF kBackground = RGB(255, 255, 255);
constexpr COLORREF kGrid = RGB(215, 215, 215);
constexpr COLORREF kText = RGB(32, 32, 32);
constexpr COLORREF kFaint = RGB(128, 128, 128);
constexpr COLORREF kKept = RGB(70, 120, 190);       // bars the filter lets through
constexpr COLORREF kSwallowed = RGB(230, 130, 30);  // bars below the interval
constexpr COLORREF kInterval = RGB(200, 30, 30);
constexpr COLORREF kPressed = RGB(40, 170, 70);

class Painter {
 public:
  Painter(HDC dc, int lineHeight) : dc_(dc), line_(lineHeight) {}

  void Fill(const RECT& r, COLORREF color) {
    SetDCBrushColor(dc_, color);
    FillRect(dc_, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
  }
  void Frame(const RECT& r, COLORREF color) {
    SetDCBrushColor(dc_, color);
    FrameRect(dc_, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
  }
  void Text(const wchar_t* text, RECT r, COLORREF color, UINT format = DT_LEFT) {
    SetTextColor(dc_, color);
    DrawTextW(dc_, text, -1, &r, format | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS | DT_TOP);
  }
  int Line() const { return line_; }
  HDC Dc() const { return dc_; }

 private:
  HDC dc_;
  int line_;
};

int LogX(const RECT& plot, std::uint32_t milliseconds) {
  const double decades = std::log10(static_cast<double>(std::max<std::uint32_t>(milliseconds, 1))) / 3.0;
  return plot.left + static_cast<int>((plot.right - plot.left) * std::min(decades, 1.0) + 0.5);
}

// A histogram cell: above the plot, what the filter would swallow at the interval in force
// and, where there is room beside it, whether that is the button's own interval or the shared
// one; the interval drawn in as a red line, the bars left of it orange.
void DrawHistogram(Painter& p, const RECT& cell, const Histogram& histogram, const ColumnRule& rule, bool button,
                   std::uint32_t swallowed, const MouseCheckTexts& texts) {
  p.Frame(cell, kGrid);
  const int pad = std::max(2, p.Line() / 6);
  RECT caption = {cell.left + pad, cell.top + 1, cell.right - pad, cell.top + 1 + p.Line()};
  wchar_t text[kLongTextCapacity];
  if (rule.On) {
    TextBuilder(AsUtf16(text), kLongTextCapacity)
        .Decimal(swallowed).Char(u' ').Text(AsUtf16(texts.SwallowedAt)).Char(u' ').Decimal(rule.Interval).Char(u' ')
        .Text(AsUtf16(texts.Millisecond));
    if (button) {
      const wchar_t* which = rule.Own ? texts.Own : texts.Shared;
      SIZE countSize = {}, whichSize = {};
      GetTextExtentPoint32W(p.Dc(), text, lstrlenW(text), &countSize);
      GetTextExtentPoint32W(p.Dc(), which, lstrlenW(which), &whichSize);
      if (countSize.cx + p.Line() + whichSize.cx <= caption.right - caption.left)
        p.Text(which, caption, rule.Own ? kText : kFaint, DT_RIGHT);
    }
    p.Text(text, caption, swallowed > 0 ? kInterval : kFaint);
  } else {
    p.Text(texts.NotFiltered, caption, kFaint);
  }
  const RECT plot = {cell.left + pad, caption.bottom, cell.right - pad, cell.bottom - pad};
  if (plot.bottom <= plot.top || plot.right <= plot.left) return;
  const std::uint32_t tallest = histogram.Tallest();
  for (int bin = 0; bin < kHistogramBinCount && tallest > 0; ++bin) {
    const std::uint32_t count = histogram.Bins[bin];
    if (count == 0) continue;
    const int height = std::max<int>(1, static_cast<int>(static_cast<std::uint64_t>(plot.bottom - plot.top) * count / tallest));
    const RECT bar = {LogX(plot, kHistogramEdges[bin]), plot.bottom - height,
                      std::max(LogX(plot, kHistogramEdges[bin + 1]) - 1, LogX(plot, kHistogramEdges[bin]) + 1), plot.bottom};
    p.Fill(bar, rule.On && kHistogramEdges[bin + 1] <= rule.Interval ? kSwallowed : kKept);
  }
  if (rule.On) {
    const int x = LogX(plot, rule.Interval), width = std::max(1, p.Line() / 8);
    p.Fill(RECT{x - width / 2, plot.top, x - width / 2 + width, plot.bottom}, kInterval);
  }
}

// A round lamp: filled while the button is held. The wheel's lamp points the way of its last notch.
void DrawIndicator(Painter& p, int left, int top, int size, const InputStatistics& s, bool wheel) {
  SetDCBrushColor(p.Dc(), kPressed);
  SetDCPenColor(p.Dc(), kFaint);
  HGDIOBJ oldPen = SelectObject(p.Dc(), GetStockObject(DC_PEN));
  HGDIOBJ oldBrush = SelectObject(p.Dc(), GetStockObject(s.Pressed && !wheel ? DC_BRUSH : NULL_BRUSH));
  if (!wheel) {
    Ellipse(p.Dc(), left, top, left + size, top + size);
  } else if (s.HaveNotch) {
    SelectObject(p.Dc(), GetStockObject(DC_BRUSH));
    const bool forward = s.LastNotchKind == TransitionKind::Forward;
    POINT tip = {left + size / 2, forward ? top : top + size};
    POINT points[3] = {tip, {left, forward ? top + size : top}, {left + size, forward ? top + size : top}};
    Polygon(p.Dc(), points, 3);
  } else {
    Ellipse(p.Dc(), left, top, left + size, top + size);
  }
  SelectObject(p.Dc(), oldBrush);
  SelectObject(p.Dc(), oldPen);
}

void DrawView(HDC dc, const RECT& client, const MouseCheckState& state) {
  TEXTMETRICW metrics = {};
  GetTextMetricsW(dc, &metrics);
  Painter p(dc, metrics.tmHeight);
  const MouseCheckTexts& texts = state.Texts;
  const int line = p.Line(), pad = std::max(3, line / 3);
  p.Fill(client, kBackground);
  SetBkMode(dc, TRANSPARENT);

  // The name column holds the lamp and the name, over the two counts.
  int nameWidth = 0;
  const auto widen = [&](const wchar_t* text, int extra) {
    SIZE size = {};
    GetTextExtentPoint32W(dc, text, lstrlenW(text), &size);
    nameWidth = std::max<int>(nameWidth, size.cx + extra);
  };
  for (const wchar_t* name : texts.Inputs) widen(name, line);
  for (const wchar_t* unit : {texts.Down, texts.Up, texts.Forward, texts.Backward}) {
    wchar_t sample[kShortTextCapacity + 8];
    TextBuilder(AsUtf16(sample), kShortTextCapacity + 8).Ascii("9999 ").Text(AsUtf16(unit));
    widen(sample, line);
  }
  const int width = client.right - client.left;
  nameWidth = std::min(std::max(nameWidth + 3 * pad, width / 8), width / 4);
  const int columnWidth = (width - nameWidth - pad) / 3;
  const int headerBottom = pad + line + pad / 2, axisTop = client.bottom - line - pad / 2;
  const int rowHeight = (axisTop - headerBottom) / kCheckedInputCount;
  const auto columnLeft = [&](int column) { return nameWidth + column * columnWidth; };

  for (int column = 0; column < 3; ++column) {
    p.Text(texts.Columns[column], RECT{columnLeft(column) + pad, pad, columnLeft(column + 1) - pad, headerBottom}, kText,
           DT_CENTER);
  }
  for (int row = 0; row < kCheckedInputCount; ++row) {
    const CheckedInput input = static_cast<CheckedInput>(row);
    const InputStatistics& s = state.Recording.Statistics(input);
    const bool wheel = input == CheckedInput::Wheel;
    const int top = headerBottom + row * rowHeight, bottom = top + rowHeight;
    p.Fill(RECT{pad, top, width - pad, top + 1}, kGrid);
    const int lamp = line * 3 / 4;
    DrawIndicator(p, pad, top + pad + (line - lamp) / 2, lamp, s, wheel);
    p.Text(texts.Inputs[row], RECT{pad + lamp + pad, top + pad, nameWidth - pad, top + pad + line}, kText);
    for (int countLine = 0; countLine < 2; ++countLine) {
      wchar_t counts[kShortTextCapacity + 16];
      const wchar_t* unit = countLine == 0 ? (wheel ? texts.Forward : texts.Down) : (wheel ? texts.Backward : texts.Up);
      TextBuilder(AsUtf16(counts), kShortTextCapacity + 16)
          .Decimal(countLine == 0 ? s.Downs : s.Ups).Char(u' ').Text(AsUtf16(unit));
      const int countsTop = top + pad + (countLine + 1) * line;
      p.Text(counts, RECT{pad + lamp + pad, countsTop, nameWidth - pad, countsTop + line}, kFaint);
    }

    for (int column = 0; column < 3; ++column) {
      const RECT cell = {columnLeft(column) + pad / 2, top + pad / 2, columnLeft(column + 1) - pad / 2, bottom - pad / 2};
      // The wheel has one measure, drawn in the gap column; its name stands before it.
      if (wheel && column != 1) {
        if (column == 0) p.Text(texts.Columns[3], RECT{cell.left, top + pad, cell.right, top + pad + line}, kText, DT_RIGHT);
        continue;
      }
      const IntervalColumn measured = wheel ? IntervalColumn::DirectionChange : static_cast<IntervalColumn>(column);
      DrawHistogram(p, cell, s.Columns[static_cast<int>(measured)], RuleOf(state.Filter, input, measured), !wheel,
                    state.Swallowed.Counts[row][static_cast<int>(measured)], texts);
    }
  }
  // The axis under each column: 1, 10, 100 and 1000 ms.
  for (int column = 0; column < 3; ++column) {
    const RECT plot = {columnLeft(column) + pad / 2 + std::max(2, line / 6), axisTop,
                       columnLeft(column + 1) - pad / 2 - std::max(2, line / 6), client.bottom};
    for (std::uint32_t tick : {1u, 10u, 100u, 1000u}) {
      wchar_t label[16];
      TextBuilder builder(AsUtf16(label), 16);
      builder.Decimal(tick);
      if (tick == 1 && column == 0) builder.Char(u' ').Text(AsUtf16(texts.Millisecond));
      const int x = LogX(plot, tick);
      p.Fill(RECT{x, axisTop - pad / 2, x + 1, axisTop}, kFaint);
      const UINT align = tick == 1 ? DT_LEFT : tick == 1000 ? DT_RIGHT : DT_CENTER;
      const RECT where = tick == 1 ? RECT{x, axisTop, x + 3 * line, client.bottom}
                       : tick == 1000 ? RECT{x - 4 * line, axisTop, x + 1, client.bottom}
                                      : RECT{x - 2 * line, axisTop, x + 2 * line, client.bottom};
      p.Text(label, where, kFaint, align);
    }
  }
}

void OnPaint(HWND view) {
  PAINTSTRUCT paint;
  HDC target = BeginPaint(view, &paint);
  RECT client = {};
  GetClientRect(view, &client);
  const auto* state = reinterpret_cast<const MouseCheckState*>(GetWindowLongPtrW(view, GWLP_USERDATA));
  if (state && client.right > 0 && client.bottom > 0) {
    HDC memory = CreateCompatibleDC(target);
    UniqueGdiObject bitmap(CreateCompatibleBitmap(target, client.right, client.bottom));
    if (memory && bitmap) {
      HGDIOBJ oldBitmap = SelectObject(memory, bitmap.get());
      HGDIOBJ oldFont = SelectObject(memory, reinterpret_cast<HFONT>(SendMessageW(GetParent(view), WM_GETFONT, 0, 0)));
      DrawView(memory, client, *state);
      BitBlt(target, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
      SelectObject(memory, oldFont);
      SelectObject(memory, oldBitmap);
    }
    if (memory) DeleteDC(memory);
  }
  EndPaint(view, &paint);
}

LRESULT CALLBACK ViewProc(HWND view, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    switch (message) {
      case WM_ERASEBKGND: return 1;  // the whole area is painted in one copy
      case WM_PAINT: OnPaint(view); return 0;
      default: break;
    }
  } catch (...) {
  }
  return DefWindowProcW(view, message, wParam, lParam);
}

}  // namespace

bool RegisterMouseCheckView(HINSTANCE instance) {
  WNDCLASSEXW viewClass = {};
  if (GetClassInfoExW(instance, kViewClass, &viewClass)) return true;
  viewClass.cbSize = sizeof viewClass;
  viewClass.style = CS_HREDRAW | CS_VREDRAW;
  viewClass.lpfnWndProc = ViewProc;
  viewClass.hInstance = instance;
  viewClass.hCursor = LoadCursorW(nullptr, IDC_CROSS);
  viewClass.lpszClassName = kViewClass;
  return RegisterClassExW(&viewClass) != 0;
}
