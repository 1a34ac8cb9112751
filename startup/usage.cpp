// The usage box, the only thing Quillrun ever shows.
#include "runner.h"
#include "core/usage_text.h"
#include "language.h"
#include "utf16.h"

void ShowUsage() {
  wchar_t appName[kLongTextCapacity];
  wchar_t cmdLineUsage[kLongTextCapacity];
  wchar_t format[kShortTextCapacity];
  wchar_t sample[kShortTextCapacity];
  wchar_t run[kLongTextCapacity];
  wchar_t addStartup[kLongTextCapacity];
  wchar_t removeStartup[kLongTextCapacity];
  GetLangText(appName, L"TEXT_APPNAME", kLongTextCapacity);
  GetLangText(cmdLineUsage, L"TEXT_CMDLINEUSAGE", kLongTextCapacity);
  GetLangText(format, L"TEXT_FORMAT", kShortTextCapacity);
  GetLangText(sample, L"TEXT_SAMPLE", kShortTextCapacity);
  GetLangText(run, L"TEXT_RUN", kLongTextCapacity);
  GetLangText(addStartup, L"TEXT_ADDSTARTUP", kLongTextCapacity);
  GetLangText(removeStartup, L"TEXT_REMOVESTARTUP", kLongTextCapacity);

  // The six texts can reach 548 characters on top of the layout's 90; the text is cut to fit.
  char16_t text[kUsageTextCapacity];
  ComposeUsageText(text, kUsageTextCapacity,
                   {AsUtf16(cmdLineUsage), AsUtf16(format), AsUtf16(sample), AsUtf16(run),
                    AsUtf16(addStartup), AsUtf16(removeStartup)});
  MessageBoxW(nullptr, AsWide(text), appName, MB_OK | MB_ICONINFORMATION);
}
