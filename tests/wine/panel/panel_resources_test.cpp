// The resources built into Quillon.exe, read back from the file: dialog 103 control by control,
// menu 1200, icons 128 and 129, the manifest and the version block.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "dialog_probe.h"
#include "panel_test_support.h"
#include "resource.h"

namespace {

class ProgramResources : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryExW((BinDirectory() + L"Quillon.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module_, nullptr);
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
  }
  const BYTE* Resource(const wchar_t* type, int id, DWORD* size = nullptr) {
    HRSRC found = FindResourceW(module_, MAKEINTRESOURCEW(id), type);
    if (!found) return nullptr;
    if (size) *size = SizeofResource(module_, found);
    return static_cast<const BYTE*>(LockResource(LoadResource(module_, found)));
  }
  HMODULE module_ = nullptr;
};

// Reads the extended dialog template field by field.
class TemplateReader {
 public:
  explicit TemplateReader(const BYTE* at) : start_(at), at_(at) {}
  template <typename T>
  T Read() {
    T value;
    std::memcpy(&value, at_, sizeof value);
    at_ += sizeof value;
    return value;
  }
  // A string or an ordinal (0xFFFF followed by the number, shown as "#number").
  std::wstring SzOrOrd() {
    const WORD first = Read<WORD>();
    if (first == 0xFFFF) return L"#" + std::to_wstring(Read<WORD>());
    std::wstring text;
    for (WORD c = first; c != 0; c = Read<WORD>()) text += static_cast<wchar_t>(c);
    return text;
  }
  void AlignDword() { at_ = start_ + ((at_ - start_ + 3) & ~std::ptrdiff_t{3}); }

 private:
  const BYTE* start_;
  const BYTE* at_;
};

TEST_F(ProgramResources, DialogTemplateAsTabled) {
  const BYTE* data = Resource(RT_DIALOG, IDD_MAIN);
  ASSERT_NE(data, nullptr);
  TemplateReader reader(data);
  EXPECT_EQ(reader.Read<WORD>(), 1);       // dlgVer
  EXPECT_EQ(reader.Read<WORD>(), 0xFFFF);  // extended template
  reader.Read<DWORD>();                    // help id
  EXPECT_EQ(reader.Read<DWORD>(), static_cast<DWORD>(WS_EX_APPWINDOW));
  EXPECT_EQ(reader.Read<DWORD>(),
            static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME | DS_CENTER | DS_SETFONT));
  const WORD count = reader.Read<WORD>();
  ASSERT_EQ(count, 21 + 2);  // the tabled controls, then the mouse check's and the Options window's buttons
  const short frame[4] = {reader.Read<short>(), reader.Read<short>(), reader.Read<short>(), reader.Read<short>()};
  EXPECT_EQ(frame[0], 0);
  EXPECT_EQ(frame[1], 0);
  EXPECT_EQ(frame[2], 438);
  EXPECT_EQ(frame[3], 205);
  EXPECT_EQ(reader.SzOrOrd(), L"");  // no menu
  EXPECT_EQ(reader.SzOrOrd(), L"");  // the standard dialog class
  EXPECT_EQ(reader.SzOrOrd(), L"TEXT_APPNAME");
  EXPECT_EQ(reader.Read<WORD>(), 9);  // points
  EXPECT_EQ(reader.Read<WORD>(), 0);  // weight
  EXPECT_EQ(reader.Read<BYTE>(), 0);  // not italic
  EXPECT_EQ(reader.Read<BYTE>(), 1);  // character set
  EXPECT_EQ(reader.SzOrOrd(), L"MS Shell Dlg");

  constexpr DWORD kBase = WS_CHILD | WS_VISIBLE;
  constexpr DWORD kCheck = kBase | WS_TABSTOP | BS_AUTOCHECKBOX;
  constexpr DWORD kPush = kBase | WS_TABSTOP | BS_PUSHBUTTON;
  constexpr DWORD kEdit = kBase | WS_BORDER | WS_TABSTOP | ES_NUMBER | ES_AUTOHSCROLL;
  constexpr DWORD kLabel = kBase | WS_GROUP | SS_LEFT;
  const std::wstring kButton = L"#128", kEditClass = L"#129", kStatic = L"#130";
  struct Row { int id; std::wstring cls; DWORD style; short x, y, cx, cy; std::wstring caption; };
  const Row rows[] = {
      {1000, kButton, kBase | BS_GROUPBOX, 12, 12, 109, 97, L"TEXT_HOOKTYPE"},
      {1010, kButton, kCheck, 30, 32, 76, 14, L"TEXT_LBUTTON"},
      {1011, kButton, kCheck, 30, 56, 76, 14, L"TEXT_RBUTTON"},
      {1012, kButton, kCheck, 30, 80, 76, 14, L"TEXT_WHEEL"},
      {1001, kButton, kBase | BS_GROUPBOX, 133, 12, 292, 97, L"TEXT_PARAM"},
      {1003, kStatic, kLabel, 151, 35, 130, 16, L"TEXT_UPDOWNINTVTIME"},
      {1020, kEditClass, kEdit, 294, 32, 40, 17, L""},
      {1030, kButton, kPush, 345, 32, 62, 17, L"TEXT_SET"},
      {1004, kStatic, kLabel, 151, 59, 130, 16, L"TEXT_DBCLICKINTVTIME"},
      {1021, kEditClass, kEdit, 294, 55, 40, 17, L""},
      {1031, kButton, kPush, 345, 55, 62, 17, L"TEXT_SET"},
      {1005, kStatic, kLabel, 151, 83, 130, 16, L"TEXT_ROTREVERSEINTVTIME"},
      {1022, kEditClass, kEdit, 294, 79, 40, 17, L""},
      {1032, kButton, kPush, 345, 79, 62, 17, L"TEXT_SET"},
      {1002, kButton, kBase | BS_GROUPBOX, 12, 117, 228, 73, L"TEXT_MISC"},
      {1013, kButton, kCheck, 30, 137, 100, 14, L"TEXT_AUTOTIPS"},
      {1014, kButton, kCheck, 30, 161, 100, 14, L"TEXT_AUTOHOOK"},
      {1015, kButton, kCheck, 133, 137, 100, 14, L"TEXT_LOGTOFILE"},
      {1006, kStatic, kBase | WS_GROUP | SS_RIGHT, 272, 128, 152, 35, L"TEXT_INFO"},
      {1033, kButton, kPush, 293, 173, 64, 17, L"TEXT_ACTION"},
      {1034, kButton, kPush, 361, 173, 64, 17, L"TEXT_EXIT"},
      {IDC_MOUSECHECK_OPEN, kButton, kPush, 133, 159, 100, 17, L"TEXT_MOUSECHECK"},
      // Added behind the tabled ones, where nothing stood: none of them moved.
      {IDC_OPTIONS_OPEN, kButton, kPush, 293, 112, 132, 14, L"TEXT_OPTIONS"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.id);
    reader.AlignDword();
    EXPECT_EQ(reader.Read<DWORD>(), 0u);  // help id
    EXPECT_EQ(reader.Read<DWORD>(), 0u);  // extended style
    EXPECT_EQ(reader.Read<DWORD>(), row.style);
    EXPECT_EQ(reader.Read<short>(), row.x);
    EXPECT_EQ(reader.Read<short>(), row.y);
    EXPECT_EQ(reader.Read<short>(), row.cx);
    EXPECT_EQ(reader.Read<short>(), row.cy);
    EXPECT_EQ(reader.Read<DWORD>(), static_cast<DWORD>(row.id));
    EXPECT_EQ(reader.SzOrOrd(), row.cls);
    EXPECT_EQ(reader.SzOrOrd(), row.caption);
    EXPECT_EQ(reader.Read<WORD>(), 0);  // no creation data
  }
}

TEST_F(ProgramResources, TrayMenuAsTabled) {
  HMENU menu = LoadMenuW(module_, MAKEINTRESOURCEW(IDR_TRAYMENU));
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(GetMenuItemCount(menu), 1);
  wchar_t text[64] = {};
  GetMenuStringW(menu, 0, text, 64, MF_BYPOSITION);
  EXPECT_STREQ(text, L"TrayMenu");
  HMENU popup = GetSubMenu(menu, 0);
  ASSERT_NE(popup, nullptr);
  const struct { UINT id; const wchar_t* text; } items[] = {
      {IDM_AUTOREPORT, L"TEXT_AUTOREPORT"}, {IDM_LOGTOFILE, L"TEXT_LOGTOFILE"}, {IDM_SETTING, L"TEXT_SETTING"},
      {IDM_ACTION, L"TEXT_ACTION"},         {IDM_MOUSECHECK, L"TEXT_MOUSECHECK"}, {IDM_OPTIONS, L"TEXT_OPTIONS"},
      {0, L""},
      {IDM_ABOUT, L"TEXT_ABOUT"},           {IDM_EXIT, L"TEXT_EXIT"}};
  ASSERT_EQ(GetMenuItemCount(popup), 9);
  for (int i = 0; i < 9; ++i) {
    SCOPED_TRACE(i);
    const UINT state = GetMenuState(popup, i, MF_BYPOSITION);
    EXPECT_EQ((state & MF_SEPARATOR) != 0, items[i].id == 0);
    if (items[i].id == 0) continue;
    EXPECT_EQ(GetMenuItemID(popup, i), items[i].id);
    GetMenuStringW(popup, i, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, items[i].text);
    EXPECT_EQ(state & (MF_CHECKED | MF_GRAYED), 0u);
  }
  DestroyMenu(menu);
}

// Every size Windows asks for between 100 % and 200 % is drawn, not scaled: small icons 16, 20,
// 24 and 32, large ones 32, 40, 48 and 64; 256 for Explorer. Below 256 the images are 32-bpp
// DIBs (alpha channel, read by every Windows version); 256 is PNG-compressed. So for each look
// of the filter: on, off and paused.
TEST_F(ProgramResources, IconDrawnAtEverySizeFrom100To200Percent) {
#pragma pack(push, 2)
  struct GroupEntry { BYTE width, height, colors, reserved; WORD planes, bitCount; DWORD bytes; WORD id; };
  struct GroupHeader { WORD reserved, type, count; GroupEntry entries[1]; };
#pragma pack(pop)
  for (int id : {IDI_QUILLON, IDI_QUILLON_OFF, IDI_QUILLON_PAUSED}) {
    SCOPED_TRACE(id);
    const auto* group = reinterpret_cast<const GroupHeader*>(Resource(RT_GROUP_ICON, id));
    ASSERT_NE(group, nullptr);
    const int sizes[] = {16, 20, 24, 32, 40, 48, 64, 256};
    ASSERT_EQ(group->count, std::size(sizes));
    for (int i = 0; i < group->count; ++i) {
      const GroupEntry& entry = group->entries[i];
      SCOPED_TRACE(sizes[i]);
      EXPECT_EQ(entry.width == 0 ? 256 : entry.width, sizes[i]);  // 0 stands for 256
      EXPECT_EQ(entry.height == 0 ? 256 : entry.height, sizes[i]);
      EXPECT_EQ(entry.bitCount, 32);
      DWORD bytes = 0;
      const BYTE* image = Resource(RT_ICON, entry.id, &bytes);
      ASSERT_NE(image, nullptr);
      EXPECT_EQ(bytes, entry.bytes);
      if (sizes[i] == 256) {
        EXPECT_EQ(std::memcmp(image, "\x89PNG", 4), 0);
        continue;
      }
      const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(image);
      EXPECT_EQ(header->biBitCount, 32);
      EXPECT_EQ(header->biWidth, sizes[i]);
      EXPECT_EQ(header->biHeight, 2 * sizes[i]);  // image and mask
    }
  }
}

// The notification icon shows the filter's state: icon 128 carries the green check badge, its
// "off" variant 129 the same mouse with a grey badge and no green at all, the "paused" 130 an
// amber one. The white marks on the badges (check, bar, two bars) differ in shape too, so the
// states read without colour.
TEST_F(ProgramResources, NotificationIconHasAnOffVariant) {
#pragma pack(push, 2)
  struct GroupEntry { BYTE width, height, colors, reserved; WORD planes, bitCount; DWORD bytes; WORD id; };
  struct GroupHeader { WORD reserved, type, count; GroupEntry entries[1]; };
#pragma pack(pop)
  struct Row { const char* name; int id; int badge; };
  const Row rows[] = {{"on", IDI_QUILLON, kGreenBadge}, {"off", IDI_QUILLON_OFF, kGreyBadge},
                      {"paused", IDI_QUILLON_PAUSED, kAmberBadge}};
  std::vector<std::vector<bool>> marks;  // per row: the white pixels of the badge quarter
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const auto* group = reinterpret_cast<const GroupHeader*>(Resource(RT_GROUP_ICON, row.id));
    ASSERT_NE(group, nullptr);
    const GroupEntry* entry = nullptr;
    for (WORD i = 0; i < group->count; ++i) {
      if (group->entries[i].width == 32 && group->entries[i].bitCount == 32) entry = &group->entries[i];
    }
    ASSERT_NE(entry, nullptr) << "a 32x32 image at 32 bits";
    const auto* image = reinterpret_cast<const BITMAPINFOHEADER*>(Resource(RT_ICON, entry->id));
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->biBitCount, 32);
    // Bottom-up rows of blue, green, red, alpha; the badge sits in the lower right quarter.
    const BYTE* pixels = reinterpret_cast<const BYTE*>(image) + image->biSize;
    EXPECT_EQ(BadgeOf(pixels, 32, 32), row.badge);
    marks.emplace_back();
    for (int y = 0; y < 16; ++y) {
      for (const BYTE* p = pixels + (y * 32 + 16) * 4; p < pixels + (y * 32 + 32) * 4; p += 4)
        marks.back().push_back(p[3] >= 200 && p[0] > 220 && p[1] > 220 && p[2] > 220);
    }
  }
  for (std::size_t a = 0; a < marks.size(); ++a) {
    for (std::size_t b = a + 1; b < marks.size(); ++b) {
      int differing = 0;
      for (std::size_t i = 0; i < marks[a].size(); ++i) differing += marks[a][i] != marks[b][i] ? 1 : 0;
      EXPECT_GE(differing, 8) << rows[a].name << " and " << rows[b].name << " differ in colour only";
    }
  }
}

TEST_F(ProgramResources, ManifestForThisProcessor) {
  DWORD size = 0;
  const BYTE* data = Resource(RT_MANIFEST, 1, &size);
  ASSERT_NE(data, nullptr);
  const std::string manifest(reinterpret_cast<const char*>(data), size);
#ifdef _WIN64
  const std::string processor = "processorArchitecture=\"amd64\"";
#else
  const std::string processor = "processorArchitecture=\"X86\"";
#endif
  const char* expected[] = {
      "name=\"Quillon\" version=\"01.00.1017.0003\"",     "type=\"win32\"",
      "<description>Windows XP Visual Styles.</description>", "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
      "publicKeyToken=\"6595b64144ccf1df\" language=\"*\"", processor.c_str()};
  for (const char* part : expected) EXPECT_NE(manifest.find(part), std::string::npos) << part;
  // Both identities name this processor.
  EXPECT_NE(manifest.find(processor, manifest.find(processor) + 1), std::string::npos);
}

TEST_F(ProgramResources, VersionBlockLikeTheStartUpProgram) {
  const std::wstring path = BinDirectory() + L"Quillon.exe";
  DWORD handle = 0;
  std::vector<BYTE> block(GetFileVersionInfoSizeW(path.c_str(), &handle));
  ASSERT_FALSE(block.empty());
  ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));
  const struct { const wchar_t* name; const wchar_t* text; } entries[] = {
      {L"Comments", L"KTRM-0001-0007"},   {L"FileDescription", L"Quillon"},
      {L"FileVersion", L"01.00.1020.0000"}, {L"InternalName", L"Quillon.exe"},
      {L"OriginalFilename", L"Quillon.exe"}, {L"ProductName", L"Velmora\u00AE Glidepath\u2122 Series"},
      {L"ProductVersion", L"1.0 Stable Release"}};
  for (const auto& entry : entries) {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring query = std::wstring(L"\\StringFileInfo\\000004b0\\") + entry.name;
    ASSERT_TRUE(VerQueryValueW(block.data(), query.c_str(), &value, &length)) << entry.name;
    EXPECT_STREQ(static_cast<const wchar_t*>(value), entry.text) << entry.name;
  }
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(0, 1));
  EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(0, 1020));
}

}  // namespace
