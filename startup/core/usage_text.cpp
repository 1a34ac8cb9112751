// Quillrun's usage text (see usage_text.h).
#include "usage_text.h"

#include "text_builder.h"

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
  // TextBuilder never leaves half a surrogate pair at a cut.
  return !text.Truncated();
}
