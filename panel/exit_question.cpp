// The question Exit asks before it stops a filter that another program started (see
// exit_question.h). Exit keeps its meaning, stopping the filter whoever installed it, so that
// answer is the default button; the box only keeps it from happening silently.
#include "exit_question.h"

#include <windows.h>

#include "core/text_builder.h"
#include "language.h"
#include "panel_state.h"
#include "utf16.h"

namespace {

// The question, an empty line and one line per answer: four long texts and five line feeds.
constexpr int kQuestionCapacity = 4 * kLongTextCapacity;

}  // namespace

ExitChoice AskBeforeStoppingForeignFilter() {
  wchar_t lines[4][kLongTextCapacity];
  GetLangText(lines[0], L"TEXT_EXITASK", kLongTextCapacity);
  GetLangText(lines[1], L"TEXT_EXITSTOP", kLongTextCapacity);
  GetLangText(lines[2], L"TEXT_EXITKEEP", kLongTextCapacity);
  GetLangText(lines[3], L"TEXT_EXITCANCEL", kLongTextCapacity);
  wchar_t question[kQuestionCapacity];
  TextBuilder(AsUtf16(question), kQuestionCapacity)
      .Text(AsUtf16(lines[0]))
      .Ascii("\n\n")
      .Text(AsUtf16(lines[1]))
      .Char(u'\n')
      .Text(AsUtf16(lines[2]))
      .Char(u'\n')
      .Text(AsUtf16(lines[3]));
  wchar_t caption[kLongTextCapacity];
  GetLangText(caption, L"TEXT_APPNAME", kLongTextCapacity);
  // Also asked from the notification area, with the dialog hidden: the box comes to the front.
  switch (MessageBoxW(Panel.Dialog, question, caption,
                      MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON1 | MB_SETFOREGROUND)) {
    case IDYES: return ExitChoice::StopFilterAndExit;
    case IDNO: return ExitChoice::ExitKeepFiltering;
    default: return ExitChoice::StayOpen;  // Cancel, Escape, the box's close button, or no box
  }
}
