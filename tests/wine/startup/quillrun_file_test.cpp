// The built Quillrun.exe as a file: its version block, its manifest, its subsystem and imports.
#include "quillrun_test_support.h"
#include "text_helpers.h"
#include "wine_test_support.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::wstring ProgramPath() { return BinDirectory() + L"Quillrun.exe"; }

std::vector<BYTE> VersionBlock() {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(ProgramPath().c_str(), &ignored);
  std::vector<BYTE> block(size);
  if (size == 0 || !GetFileVersionInfoW(ProgramPath().c_str(), 0, size, block.data())) block.clear();
  return block;
}

TEST(QuillrunFile, VersionBlockAsTabled) {
  std::vector<BYTE> block = VersionBlock();
  ASSERT_FALSE(block.empty());

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);  // 1.0
  EXPECT_EQ(fixed->dwFileVersionLS, 1020u << 16);  // .1020.0
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwProductVersionLS, 1020u << 16);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

  WORD* translation = nullptr;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                             &length));
  ASSERT_GE(length, 4u);
  EXPECT_EQ(translation[0], 0x0000) << "language neutral";
  EXPECT_EQ(translation[1], 1200) << "code page 1200";

  struct Row { const wchar_t* name; const wchar_t* text; };
  const Row rows[] = {
      {L"Comments", L"KTRM-0001-0007"},
      {L"FileDescription", L"Quillrun"},
      {L"FileVersion", L"01.00.1020.0000"},
      {L"InternalName", L"Quillrun.exe"},
      {L"OriginalFilename", L"Quillrun.exe"},
      {L"ProductName", L"Velmora\u00AE Glidepath\u2122 Series"},
      {L"ProductVersion", L"1.0 Stable Release"},
  };
  for (const Row& row : rows) {
    wchar_t* text = nullptr;
    const std::wstring query = std::wstring(L"\\StringFileInfo\\000004b0\\") + row.name;
    ASSERT_TRUE(VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&text), &length))
        << Narrow(row.name);
    EXPECT_EQ(std::wstring(text), row.text) << Narrow(row.name);
  }
}

TEST(QuillrunFile, GuiProgramThatRunsAsItsCallerAndLinksNoHookLibrary) {
  HMODULE image = LoadLibraryExW(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(image, nullptr);
  // The flag marks the handle as a data mapping; the low bits hold it, the image lies behind.
  const BYTE* base = reinterpret_cast<const BYTE*>(reinterpret_cast<ULONG_PTR>(image) & ~static_cast<ULONG_PTR>(3));
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  EXPECT_EQ(nt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);

  const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  ASSERT_NE(imports.VirtualAddress, 0u);
  for (auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); entry->Name;
       ++entry) {
    const char* name = reinterpret_cast<const char*>(base + entry->Name);
    EXPECT_NE(_stricmp(name, "Latchkin.dll"), 0) << "linked against the hook library";
    EXPECT_EQ(std::string(name).find("libstdc++"), std::string::npos) << name << ": runtime not linked in";
    EXPECT_EQ(std::string(name).find("libgcc"), std::string::npos) << name << ": runtime not linked in";
  }

  HRSRC manifest = FindResourceW(image, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  ASSERT_NE(manifest, nullptr) << "no manifest";
  const char* xml = static_cast<const char*>(LockResource(LoadResource(image, manifest)));
  const std::string text(xml, SizeofResource(image, manifest));
  EXPECT_NE(text.find("level=\"asInvoker\""), std::string::npos) << text;
  FreeLibrary(image);
}

}  // namespace
