// The system's list of file operations left for the next start (see pending_renames.h).
#include "pending_renames.h"

namespace {

// "\??\C:\x" and "!\??\C:\x" name the file "C:\x".
std::u16string PlainPath(std::u16string path) {
  if (!path.empty() && path[0] == u'!') path.erase(0, 1);
  if (path.compare(0, 4, u"\\??\\") == 0) path.erase(0, 4);
  return path;
}

char16_t Folded(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c; }

bool SamePath(const std::u16string& a, const std::u16string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Folded(a[i]) != Folded(b[i])) return false;
  }
  return true;
}

bool NamesAny(const std::u16string& path, const std::vector<std::u16string>& files) {
  if (path.empty()) return false;
  const std::u16string plain = PlainPath(path);
  for (const std::u16string& file : files) {
    if (SamePath(plain, file)) return true;
  }
  return false;
}

// The string at position (up to its NUL or the end); position moves past the NUL.
std::u16string Next(const std::u16string& value, std::size_t& position) {
  const std::size_t end = value.find(u'\0', position);
  const std::size_t stop = end == std::u16string::npos ? value.size() : end;
  std::u16string text = value.substr(position, stop - position);
  position = stop == value.size() ? stop : stop + 1;
  return text;
}

}  // namespace

std::u16string WithoutOperationsOn(const std::u16string& value, const std::vector<std::u16string>& files,
                                   std::size_t& removed) {
  removed = 0;
  std::u16string kept;
  std::size_t position = 0;
  while (position < value.size()) {
    const std::u16string source = Next(value, position);
    if (source.empty()) break;  // the list's closing NUL: a source is never empty
    if (position >= value.size()) {
      kept.append(source).push_back(u'\0');  // no destination: malformed, left alone
      break;
    }
    const std::u16string destination = Next(value, position);
    if (NamesAny(source, files) || NamesAny(destination, files)) {
      ++removed;
      continue;
    }
    kept.append(source).push_back(u'\0');
    kept.append(destination).push_back(u'\0');
  }
  if (!kept.empty()) kept.push_back(u'\0');
  return kept;
}
