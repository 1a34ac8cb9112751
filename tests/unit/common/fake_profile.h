// An in-memory stand-in for the platform's profile-string functions and current directory, with
// their documented behaviour (names matched without regard to case, default text for anything
// missing, values cut to size - 1 and terminated), recording every read and write.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "profile_access.h"

class FakeProfile {
 public:
  struct Call {
    std::u16string Section, Key, Text;  // Text: the default of a read, the value of a write
    std::uint32_t Size = 0;             // reads only
    std::u16string File;
    bool Removes = false;  // a write of a null value, which removes the key
  };

  void Set(const std::u16string& section, const std::u16string& key, const std::u16string& value) {
    sections_[Fold(section)][Fold(key)] = value;
  }
  // Only this file exists; reads of any other path see nothing.
  void SetFile(const std::u16string& file) { file_ = file; }
  const ProfileAccess& Access() const { return access_; }
  const std::vector<Call>& Reads() const { return reads_; }
  const std::vector<Call>& Writes() const { return writes_; }

 private:
  static std::u16string Fold(std::u16string text) {
    for (char16_t& c : text) {
      if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    }
    return text;
  }

  static std::uint32_t Read(void* context, const char16_t* section, const char16_t* key, const char16_t* defaultText,
                            char16_t* buffer, std::uint32_t size, const char16_t* file) {
    auto& self = *static_cast<FakeProfile*>(context);
    self.reads_.push_back({section, key, defaultText, size, file});
    std::u16string value = defaultText;
    if (file == self.file_) {
      auto s = self.sections_.find(Fold(section));
      if (s != self.sections_.end()) {
        auto k = s->second.find(Fold(key));
        if (k != s->second.end()) value = k->second;
      }
    }
    if (size == 0) return 0;
    if (value.size() > size - 1) value.resize(size - 1);
    value.copy(buffer, value.size());
    buffer[value.size()] = 0;
    return static_cast<std::uint32_t>(value.size());
  }

  static void Write(void* context, const char16_t* section, const char16_t* key, const char16_t* value,
                    const char16_t* file) {
    auto& self = *static_cast<FakeProfile*>(context);
    self.writes_.push_back({section, key, value ? value : u"", 0, file, value == nullptr});
    if (file != self.file_) return;
    if (value) {
      self.Set(section, key, value);
    } else {
      self.sections_[Fold(section)].erase(Fold(key));
    }
  }

  std::map<std::u16string, std::map<std::u16string, std::u16string>> sections_;
  std::u16string file_ = u"C:\\Tools\\Quillon.cfg";
  std::vector<Call> reads_, writes_;
  ProfileAccess access_{&Read, &Write, this};
};

// The current directory as the platform reports it; a second answer can simulate a directory
// that changed between the two asks.
class FakeDirectory {
 public:
  explicit FakeDirectory(std::u16string directory, bool fails = false) : directory_(std::move(directory)), fails_(fails) {}
  // After the first ask, answer with this directory instead.
  void ChangeAfterFirstAsk(std::u16string next) { next_ = std::move(next); changes_ = true; }
  // Report this as the room needed, whatever the buffer.
  void ClaimNeeded(std::uint32_t needed) { claimed_ = needed; }
  const DirectorySource& Source() const { return source_; }
  const std::vector<std::uint32_t>& Sizes() const { return sizes_; }

 private:
  static std::uint32_t Get(void* context, std::uint32_t size, char16_t* buffer) {
    auto& self = *static_cast<FakeDirectory*>(context);
    self.sizes_.push_back(size);
    if (self.fails_) return 0;
    if (self.claimed_) return self.claimed_;
    const std::u16string current = self.directory_;
    if (self.changes_) self.directory_ = self.next_;
    if (current.size() + 1 > size) return static_cast<std::uint32_t>(current.size() + 1);
    current.copy(buffer, current.size());
    buffer[current.size()] = 0;
    return static_cast<std::uint32_t>(current.size());
  }

  std::u16string directory_, next_;
  bool fails_ = false;
  bool changes_ = false;
  std::uint32_t claimed_ = 0;
  std::vector<std::uint32_t> sizes_;
  DirectorySource source_{&Get, this};
};
