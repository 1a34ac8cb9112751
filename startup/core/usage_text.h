// The usage text of Quillrun: six language texts set into its fixed eight-line layout,
// bounded by the buffer it is composed into.
#pragma once
#include <cstddef>

// The texts in the order the layout takes them; a null text stands for an empty one.
struct UsageTexts {
  const char16_t* CmdLineUsage;   // line 1
  const char16_t* Format;         // heading of the syntax line
  const char16_t* Sample;         // heading of the examples
  const char16_t* Run;            // first example line
  const char16_t* AddStartup;     // label of the "/REG" example
  const char16_t* RemoveStartup;  // label of the "/UNREG" example
};

inline constexpr std::size_t kUsageTextCapacity = 512;  // code units, terminator included

// Zero-fills all capacity units of buffer, then composes the text into it. A text that does not
// fit is cut at the end of the buffer, never inside a surrogate pair, and stays terminated.
// Returns false when anything was cut.
bool ComposeUsageText(char16_t* buffer, std::size_t capacity, const UsageTexts& texts) noexcept;
