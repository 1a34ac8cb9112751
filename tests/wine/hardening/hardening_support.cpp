// The hardening tests' shared pieces (see hardening_support.h).
#include "hardening_support.h"

#include <cstring>

#include "core/guard_shared_data.h"
#include "log_writer.h"

namespace {

const IMAGE_SECTION_HEADER* Sections(HMODULE module, WORD& count) {
  const auto* base = reinterpret_cast<const std::uint8_t*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  count = nt->FileHeader.NumberOfSections;
  return IMAGE_FIRST_SECTION(nt);
}

std::string SectionName(const IMAGE_SECTION_HEADER& section) {
  // Eight bytes, NUL-padded only when shorter.
  return std::string(reinterpret_cast<const char*>(section.Name),
                     strnlen(reinterpret_cast<const char*>(section.Name), IMAGE_SIZEOF_SHORT_NAME));
}

std::size_t PageSize() {
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  return info.dwPageSize;
}

bool IsDigits(const std::wstring& text, std::size_t at, std::size_t count) {
  if (at + count > text.size()) return false;
  for (std::size_t i = at; i < at + count; ++i)
    if (text[i] < L'0' || text[i] > L'9') return false;
  return true;
}

unsigned Number(const std::wstring& text, std::size_t at, std::size_t count) {
  return static_cast<unsigned>(std::wcstoul(text.substr(at, count).c_str(), nullptr, 10));
}

bool IsUpperHex(wchar_t c) { return (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'F'); }

// "[YYYY-MM-DD hh:mm:ss]" with each field in its range.
bool SaneDate(const std::wstring& line) {
  if (!IsDigits(line, 1, 4) || line[5] != L'-' || !IsDigits(line, 6, 2) || line[8] != L'-' || !IsDigits(line, 9, 2) ||
      line[11] != L' ' || !IsDigits(line, 12, 2) || line[14] != L':' || !IsDigits(line, 15, 2) || line[17] != L':' ||
      !IsDigits(line, 18, 2) || line[20] != L']') {
    return false;
  }
  const unsigned month = Number(line, 6, 2), day = Number(line, 9, 2);
  return month >= 1 && month <= 12 && day >= 1 && day <= 31 && Number(line, 12, 2) <= 23 && Number(line, 15, 2) <= 59 &&
         Number(line, 18, 2) <= 59;
}

}  // namespace

SharedSection FindSharedSection(HMODULE module) {
  SharedSection found;
  WORD count = 0;
  const IMAGE_SECTION_HEADER* sections = Sections(module, count);
  for (WORD i = 0; i < count; ++i) {
    if (SectionName(sections[i]) != "shared_d") continue;
    found.begin = reinterpret_cast<std::uint8_t*>(module) + sections[i].VirtualAddress;
    found.record = reinterpret_cast<HookSharedData*>(found.begin);
    found.virtualSize = sections[i].Misc.VirtualSize;
    const std::size_t page = PageSize();
    found.mappedSize = (found.virtualSize + page - 1) / page * page;
    found.characteristics = sections[i].Characteristics;
  }
  return found;
}

ModuleBytes::ModuleBytes(HMODULE module) {
  WORD count = 0;
  const IMAGE_SECTION_HEADER* sections = Sections(module, count);
  const auto* base = reinterpret_cast<const std::uint8_t*>(module);
  const std::size_t page = PageSize();
  for (WORD i = 0; i < count; ++i) {
    const IMAGE_SECTION_HEADER& section = sections[i];
    if ((section.Characteristics & IMAGE_SCN_MEM_WRITE) == 0) continue;
    const std::uint8_t* at = base + section.VirtualAddress;
    std::size_t size = (section.Misc.VirtualSize + page - 1) / page * page;
    std::string name = SectionName(section);
    if (name == "shared_d") {
      // Only what lies behind the record.
      at += sizeof(HookSharedData);
      size -= sizeof(HookSharedData);
      name += " behind the record";
    }
    if (name == "shared_g") {
      // The guard's own bytes and what lies behind the filter extension, which holds history and
      // the intervals in force as the record does.
      regions_.push_back(Region{"shared_g (the guard)", at, std::vector<std::uint8_t>(at, at + 64)});
      at += sizeof(GuardSharedData);
      size -= sizeof(GuardSharedData);
      name += " behind the extension";
    }
    // The process's own exclusion decision, which the hook procedure keeps by design.
    if (name == "proc_d") continue;
    regions_.push_back(Region{name, at, std::vector<std::uint8_t>(at, at + size)});
  }
}

std::vector<std::string> ModuleBytes::Changed() const {
  std::vector<std::string> changed;
  for (const Region& region : regions_) {
    if (!region.bytes.empty() && std::memcmp(region.at, region.bytes.data(), region.bytes.size()) != 0) {
      changed.push_back(region.name);
    }
  }
  return changed;
}

bool InstallLoggingHook(const HookLibrary& library, std::uint8_t filterOwnProcess) {
  if (library.InstallHook(filterOwnProcess) != 1) return false;
  library.SetHookType(kSourceLeftButton | kSourceWheel | kSourceRightButton);
  library.SetIntervalTime(kMaxIntervalTime, kMaxIntervalTime, kMaxIntervalTime);
  library.SetLogState(1);
  return true;
}

bool StartRealLogWriter(const HookLibrary& library, std::uint32_t sizeBound) {
  LogWriter.Library = &library;
  LogWriter.SizeBound = sizeBound;
  PollLogWriter();
  return LogWriter.LogWriterThread.load() != nullptr;
}

LogContents ReadLog(const std::wstring& path) {
  LogContents log;
  log.exists = FileExists(path);
  const std::string bytes = ReadFileBytes(path);
  std::wstring text;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    text += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
  }
  if (bytes.size() % 2 != 0) log.broken = L"(an odd byte at the end)";
  std::size_t at = 0;
  if (!text.empty() && text[0] == 0xFEFF) {
    log.byteOrderMark = true;
    at = 1;
  }
  static const std::wstring kHead = L"]  PID=<";
  static const std::wstring kName = L"> APPNAME=<\"";
  static const std::wstring kCode = L"\"> CODE=<0x";
  while (at < text.size()) {
    const std::size_t code = text.find(kCode, at);
    const std::size_t end = code == std::wstring::npos ? std::wstring::npos : code + kCode.size() + 7;
    const std::size_t head = text.find(kHead, at);
    const std::size_t name = head == std::wstring::npos ? std::wstring::npos : text.find(kName, head);
    const bool framed = text[at] == L'[' && end != std::wstring::npos && end <= text.size() && head < name &&
                        name < code && IsUpperHex(text[code + kCode.size()]) &&
                        IsUpperHex(text[code + kCode.size() + 1]) && IsUpperHex(text[code + kCode.size() + 2]) &&
                        IsUpperHex(text[code + kCode.size() + 3]) && text.compare(end - 3, 3, L">\r\n") == 0 &&
                        name > head + kHead.size() && IsDigits(text, head + kHead.size(), name - head - kHead.size());
    if (!framed) {
      log.broken = text.substr(at);
      break;
    }
    LogLine line;
    line.text = text.substr(at, end - at);
    line.processId = std::wcstoul(text.substr(head + kHead.size(), name - head - kHead.size()).c_str(), nullptr, 10);
    line.appName = text.substr(name + kName.size(), code - name - kName.size());
    line.eventCode = static_cast<unsigned>(std::wcstoul(text.substr(code + kCode.size(), 4).c_str(), nullptr, 16));
    line.sane = head - at == 20 && SaneDate(line.text) && name - head - kHead.size() >= 4;
    log.lines.push_back(line);
    at = end;
  }
  return log;
}

AnswerWatch::AnswerWatch(std::vector<HWND> windows, DWORD periodMs) : windows_(std::move(windows)), periodMs_(periodMs) {
  stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  thread_ = CreateThread(nullptr, 0, &AnswerWatch::Run, this, 0, nullptr);
}

AnswerWatch::~AnswerWatch() {
  Stop();
  if (stop_) CloseHandle(stop_);
}

void AnswerWatch::Stop() {
  if (thread_ == nullptr) return;
  SetEvent(stop_);
  WaitForSingleObject(thread_, INFINITE);
  CloseHandle(thread_);
  thread_ = nullptr;
}

DWORD WINAPI AnswerWatch::Run(void* parameter) {
  auto& self = *static_cast<AnswerWatch*>(parameter);
  do {
    for (HWND window : self.windows_) {
      const ULONGLONG start = GetTickCount64();
      DWORD_PTR result = 0;
      const bool answered =
          SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 1000, &result) != 0;
      const DWORD took = static_cast<DWORD>(GetTickCount64() - start);
      ++self.asked_;
      if (!answered) ++self.unanswered_;
      if (took > self.slowest_) self.slowest_ = took;
    }
  } while (WaitForSingleObject(self.stop_, self.periodMs_) == WAIT_TIMEOUT);
  return 0;
}
