// Fuzzes every text composed from language texts and the language lookups: each stays inside
// its buffer, reports its own length and keeps a prefix of the uncut text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "language_text.h"
#include "panel_texts.h"
#include "text_builder.h"
#include "usage_text.h"

namespace {

using Text = std::u16string;

constexpr std::size_t kTextCount = 11;
constexpr std::size_t kUnlimited = 1 << 14;  // beyond any composition of a 4 KiB input

struct Input {
  std::vector<Text> texts;
  std::size_t capacity = 0;
  std::uint32_t number = 0;

  const char16_t* At(std::size_t i) const { return i < texts.size() ? texts[i].c_str() : nullptr; }
};

Input Parse(const std::uint8_t* data, std::size_t size) {
  Input input;
  if (size >= 2) {
    input.capacity = (data[0] | data[1] << 8) % 700;
    input.number = static_cast<std::uint32_t>(data[0]) * 0x01000193u ^ static_cast<std::uint32_t>(data[1]) << 24;
    data += 2;
    size -= 2;
  }
  input.texts.emplace_back();
  for (std::size_t i = 0; i + 1 < size && input.texts.size() <= kTextCount; i += 2) {
    const char16_t unit = static_cast<char16_t>(data[i] | data[i + 1] << 8);
    if (unit == 0) {
      input.texts.emplace_back();
    } else {
      input.texts.back().push_back(unit);
    }
  }
  if (input.texts.size() > kTextCount) input.texts.resize(kTextCount);
  return input;
}

// Composes into an exactly sized buffer (an overrun is a heap overflow) and checks that the
// result is terminated, matches the reported length and is a prefix of the unlimited text.
template <typename Compose>
Text Check(std::size_t capacity, const Text& full, Compose&& compose) {
  std::vector<char16_t> buffer(capacity, u'#');
  const std::size_t length = compose(capacity == 0 ? nullptr : buffer.data(), capacity);
  if (capacity == 0) {
    if (length != 0) __builtin_trap();
    return Text();
  }
  if (length >= capacity || buffer[length] != 0) __builtin_trap();
  const Text kept(buffer.data(), length);
  if (Utf16Length(buffer.data()) != length) __builtin_trap();
  if (full.compare(0, length, kept) != 0) __builtin_trap();
  // Kept whole when it fits.
  if (full.size() < capacity && kept != full) __builtin_trap();
  return kept;
}

// Checks the composition at the capacity the program uses and at the fuzzed one; returns the
// unlimited text and what each capacity kept.
template <typename Compose>
std::vector<Text> CheckAt(const Input& input, std::size_t fixedCapacity, Compose&& compose) {
  // Allocated once: blocks this large are slow to come by under AddressSanitizer.
  static std::vector<char16_t> unlimited(kUnlimited);
  const std::size_t length = compose(unlimited.data(), unlimited.size());
  const Text full(unlimited.data(), length);
  return {full, Check(fixedCapacity, full, compose), Check(input.capacity, full, compose)};
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

void CheckUsage(const Input& input) {
  const UsageTexts texts{input.At(0), input.At(1), input.At(2), input.At(3), input.At(4), input.At(5)};
  auto compose = [&](char16_t* buffer, std::size_t capacity) -> std::size_t {
    ComposeUsageText(buffer, capacity, texts);
    if (buffer == nullptr || capacity == 0) return 0;
    const std::size_t length = Utf16Length(buffer);
    // The buffer is zero behind the text.
    for (std::size_t i = length; i < capacity; ++i)
      if (buffer[i] != 0) __builtin_trap();
    return length;
  };
  const std::vector<Text> composed = CheckAt(input, kUsageTextCapacity, compose);
  const Text& full = composed[0];
  // The box draws no half character: a cut never separates a pair (a lone half in the language
  // text itself is the text's own).
  for (std::size_t i = 1; i < composed.size(); ++i) {
    const Text& kept = composed[i];
    if (kept.size() < full.size() && !kept.empty() && IsHighSurrogate(kept.back()) &&
        IsLowSurrogate(full[kept.size()])) {
      __builtin_trap();
    }
  }
}

void CheckPanelTexts(const Input& input) {
  const AboutTexts about{input.At(0), input.At(1), input.At(2), input.At(3), input.At(4),  input.At(5),
                         input.At(6), input.At(7), input.At(8), input.At(9), input.At(10)};
  CheckAt(input, kAboutTextCapacity,
          [&](char16_t* buffer, std::size_t capacity) { return ComposeAboutText(buffer, capacity, about); });

  const CountBalloonTexts counts{{input.At(0), input.At(1), input.At(2)},
                                 {input.number, ~input.number, input.number >> 7},
                                 input.At(3)};
  CheckAt(input, kBalloonTextCapacity,
          [&](char16_t* buffer, std::size_t capacity) { return ComposeCountBalloon(buffer, capacity, counts); });

  CheckAt(input, kIntervalLabelCapacity, [&](char16_t* buffer, std::size_t capacity) {
    return ComposeIntervalLabel(buffer, capacity, input.At(4), input.number, input.At(5));
  });
  CheckAt(input, kIntervalLabelCapacity, [&](char16_t* buffer, std::size_t capacity) {
    return ComposeUnknownLabel(buffer, capacity, input.At(6), input.At(7));
  });
  CheckAt(input, kInfoTextCapacity, [&](char16_t* buffer, std::size_t capacity) {
    return ComposeInfoText(buffer, capacity, input.At(8), input.At(9), input.At(10));
  });
  for (std::size_t field : {kTrayTipCapacity, kBalloonTitleCapacity, kBalloonTextCapacity}) {
    CheckAt(input, field,
            [&](char16_t* buffer, std::size_t capacity) { return CopyToField(buffer, capacity, input.At(0)); });
  }
}

// The platform's profile read with one text for every key: cut to size - 1 and terminated.
std::uint32_t ReadText(void* context, const char16_t*, const char16_t*, const char16_t*, char16_t* buffer,
                       std::uint32_t size, const char16_t*) {
  const Text& value = *static_cast<const Text*>(context);
  if (size == 0) return 0;
  const std::size_t kept = value.size() < size - 1 ? value.size() : size - 1;
  for (std::size_t i = 0; i < kept; ++i) buffer[i] = value[i];
  buffer[kept] = 0;
  return static_cast<std::uint32_t>(kept);
}

void CheckLookups(const Input& input) {
  const Text value = input.texts.empty() ? Text() : input.texts[0];
  const ProfileAccess profile{&ReadText, nullptr, const_cast<Text*>(&value)};
  for (std::uint32_t capacity : {kLanguageShortCapacity, kLanguageLongCapacity, static_cast<std::uint32_t>(input.capacity)}) {
    for (bool tip : {false, true}) {
      std::vector<char16_t> buffer(capacity, u'#');
      char16_t* at = capacity == 0 ? nullptr : buffer.data();
      if (tip) {
        ReadLanguageTipText(profile, u"Language.cfg", u"NEUTRAL", u"TEXT_KEY", at, capacity);
      } else {
        ReadLanguageText(profile, u"Language.cfg", u"NEUTRAL", u"TEXT_KEY", at, capacity);
      }
      if (capacity == 0) continue;
      const std::size_t length = Utf16Length(buffer.data());
      // A buffer of C keeps at most C - 2 characters of text (a tip adds its leading line feed).
      const std::size_t text = tip && length > 0 ? length - 1 : length;
      if (length >= capacity || (capacity >= 2 && text > capacity - 2)) __builtin_trap();
      if (tip && capacity >= 2 && buffer[0] != u'\n') __builtin_trap();
      if (value.compare(0, text, Text(buffer.data() + (tip && length > 0 ? 1 : 0), text)) != 0) __builtin_trap();
      for (std::size_t i = length; i < capacity; ++i)
        if (buffer[i] != 0) __builtin_trap();
    }
  }
}

}  // namespace

// Input: two bytes choose a buffer capacity; the rest is UTF-16LE texts separated by NUL units
// (a text the input does not reach stands for a missing one). The texts go into the usage box,
// the about box, the count balloon, the interval labels, the info text, the notification-icon
// fields and the lookups.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Input input = Parse(data, size);
  CheckUsage(input);
  CheckPanelTexts(input);
  CheckLookups(input);
  return 0;
}
