// Quillrun's usage text (see usage_text.h).
#include "usage_text.h"

#include "text_builder.h"

namespace {

bool IsHighSurrogate(char16_t c) noexcept { return c >= 0xD800 && c <= 0xDBFF; }

}  // namespace

bool ComposeUsageText(char16_t* buffer, std::size_t capacity, const UsageTexts& texts) noexcept {
  if (!buffer || capacity == 0) return false;
  for (std::size_t i = 0; i < capacity; ++i) buffer[i] = 0;

  TextBuilder text(buffer, capacity);
  text.Text(texts.CmdLineUsage)
      .Ascii("\n\n<").Text(texts.Format)
      .Ascii(">\n    Quillrun.exe /[REG|UNREG]\n<").Text(texts.Sample)
      .Ascii(">\n    ").Text(texts.Run)
      .Ascii("\n    ").Text(texts.AddStartup)
      .Ascii(" Quillrun.exe /REG\n    ").Text(texts.RemoveStartup)
      .Ascii(" Quillrun.exe /UNREG");
  if (!text.Truncated()) return true;

  // A cut between the halves of a pair would leave half a character for the message box to draw.
  const std::size_t length = text.Length();
  if (length > 0 && IsHighSurrogate(buffer[length - 1])) buffer[length - 1] = 0;
  return false;
}
