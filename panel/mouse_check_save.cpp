// "Save…" of the mouse check (see mouse_check_save.h).
#include "mouse_check_save.h"

#include <commdlg.h>

#include <string>

#include "language.h"
#include "unique_handle.h"

namespace {

bool WriteCsv(const wchar_t* path, const MouseRecording& recording) {
  UniqueFile file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  std::string bytes;
  bytes.reserve(recording.Transitions().size() * 24 + 32);
  // Every CSV text is ASCII: one byte per code unit.
  ComposeCsv(recording.Transitions(), [&](const char16_t* line, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) bytes += static_cast<char>(line[i]);
    return true;
  });
  DWORD written = 0;
  return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

}  // namespace

void SaveRecordingAsCsv(HWND owner, const MouseRecording& recording) {
  wchar_t path[MAX_PATH] = L"mouse-check.csv";
  // "CSV files\0*.csv\0\0": the description is a language text.
  wchar_t description[kLongTextCapacity];
  GetLangText(description, L"TEXT_MC_CSVFILES", kLongTextCapacity);
  std::wstring filter = description;
  filter.append(L" (*.csv)", 9).append(L"*.csv", 6).push_back(L'\0');
  OPENFILENAMEW dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.c_str();
  dialog.lpstrFile = path;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrDefExt = L"csv";
  // The programs find their files through the folder they started in: the dialog must not move it.
  dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
  if (!GetSaveFileNameW(&dialog)) return;
  if (WriteCsv(path, recording)) return;
  wchar_t text[kLongTextCapacity], caption[kShortTextCapacity];
  GetLangText(text, L"TEXT_MC_SAVEFAILED", kLongTextCapacity);
  GetLangText(caption, L"TEXT_MOUSECHECK", kShortTextCapacity);
  MessageBoxW(owner, text, caption, MB_ICONWARNING | MB_OK);
}
