// The manifests built into Quillon.exe and Quillrun.exe: well-formed XML, the common controls 6
// dependency, the supported systems, DPI awareness and long paths, each in the namespace where
// the system looks for it, and read back through the system's own activation context.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "panel_test_support.h"

namespace {

constexpr char kSettings2005[] = "http://schemas.microsoft.com/SMI/2005/WindowsSettings";
constexpr char kSettings2016[] = "http://schemas.microsoft.com/SMI/2016/WindowsSettings";
constexpr char kCompatibility[] = "urn:schemas-microsoft-com:compatibility.v1";

const char* const kPrograms[] = {"Quillon.exe", "Quillrun.exe"};

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

std::string ManifestOf(const std::string& program) {
  HMODULE image = LoadLibraryExW((BinDirectory() + Wide(program)).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!image) return "";
  std::string text;
  if (HRSRC found = FindResourceW(image, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24))) {
    text.assign(static_cast<const char*>(LockResource(LoadResource(image, found))), SizeofResource(image, found));
  }
  FreeLibrary(image);
  return text;
}

// One element of the manifest: its name, attributes and text, and the names of its ancestors.
struct Element {
  std::string name;
  std::string attributes;
  std::string text;
  std::vector<std::string> path;  // outermost first, the element itself last
};

std::string Attribute(const Element& element, const std::string& name) {
  const std::string key = " " + name + "=\"";
  std::string spaced = " " + element.attributes;
  for (char& c : spaced) c = (c == '\n' || c == '\t' || c == '\r') ? ' ' : c;
  const std::size_t at = spaced.find(key);
  if (at == std::string::npos) return "";
  const std::size_t start = at + key.size();
  return spaced.substr(start, spaced.find('"', start) - start);
}

// A small reader for the XML the manifests use (declaration, comments, elements, attributes in
// double quotes, text). Windows refuses to start a program whose manifest is not well-formed,
// so any mismatch is reported through `error`.
std::vector<Element> ReadElements(const std::string& xml, std::string& error) {
  std::vector<Element> all;
  std::vector<std::size_t> open;  // indexes into `all`
  std::size_t at = 0;
  while (error.empty() && (at = xml.find('<', at)) != std::string::npos) {
    if (xml.compare(at, 4, "<!--") == 0) {
      const std::size_t end = xml.find("-->", at);
      if (end == std::string::npos) error = "unterminated comment";
      at = end + 3;
      continue;
    }
    const std::size_t end = xml.find('>', at);
    if (end == std::string::npos) {
      error = "unterminated tag";
      break;
    }
    std::string tag = xml.substr(at + 1, end - at - 1);
    const std::size_t textStart = end + 1;
    at = textStart;
    if (tag.front() == '?') continue;
    if (tag.front() == '/') {
      const std::string name = tag.substr(1);
      if (open.empty() || all[open.back()].name != name) {
        error = "</" + name + "> closes " + (open.empty() ? std::string("nothing") : all[open.back()].name);
      } else {
        open.pop_back();
      }
      continue;
    }
    const bool empty = tag.back() == '/';
    if (empty) tag.pop_back();
    Element element;
    const std::size_t nameEnd = tag.find_first_of(" \t\r\n");
    element.name = tag.substr(0, nameEnd);
    element.attributes = nameEnd == std::string::npos ? "" : tag.substr(nameEnd + 1);
    for (std::size_t index : open) element.path.push_back(all[index].name);
    element.path.push_back(element.name);
    if (!empty) element.text = xml.substr(textStart, xml.find('<', textStart) - textStart);
    all.push_back(element);
    if (!empty) open.push_back(all.size() - 1);
  }
  if (error.empty() && !open.empty()) error = "<" + all[open.back()].name + "> never closed";
  return all;
}

std::vector<Element> Named(const std::vector<Element>& all, const std::string& name) {
  std::vector<Element> found;
  for (const Element& element : all) {
    if (element.name == name) found.push_back(element);
  }
  return found;
}

std::string Joined(const std::vector<std::string>& path) {
  std::string text;
  for (const std::string& name : path) text += "/" + name;
  return text;
}

class ProgramManifests : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    manifest_ = ManifestOf(GetParam());
    ASSERT_FALSE(manifest_.empty()) << "no manifest in " << GetParam();
    std::string error;
    elements_ = ReadElements(manifest_, error);
    ASSERT_EQ(error, "") << manifest_;
  }
  std::string manifest_;
  std::vector<Element> elements_;
};

TEST_P(ProgramManifests, CommonControlsSixForThisProgramsProcessor) {
  const std::vector<Element> identities = Named(elements_, "assemblyIdentity");
  ASSERT_EQ(identities.size(), 2u);
  const Element& dependency = identities[1];
  EXPECT_EQ(Joined(dependency.path), "/assembly/dependency/dependentAssembly/assemblyIdentity");
  EXPECT_EQ(Attribute(dependency, "name"), "Microsoft.Windows.Common-Controls");
  EXPECT_EQ(Attribute(dependency, "version"), "6.0.0.0");
  EXPECT_EQ(Attribute(dependency, "publicKeyToken"), "6595b64144ccf1df");
  EXPECT_EQ(Attribute(dependency, "language"), "*");
  // The identity and the dependency name the same processor: "*" or this build's.
  EXPECT_EQ(Attribute(dependency, "processorArchitecture"), Attribute(identities[0], "processorArchitecture"));
}

TEST_P(ProgramManifests, SupportedSystemsFromWindows7To11) {
  const std::vector<Element> compatibility = Named(elements_, "compatibility");
  ASSERT_EQ(compatibility.size(), 1u);
  EXPECT_EQ(Attribute(compatibility[0], "xmlns"), kCompatibility);
  const struct { const char* system; const char* id; } rows[] = {
      {"Windows 7", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"},
      {"Windows 8", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}"},
      {"Windows 8.1", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}"},
      {"Windows 10 and 11", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"},
  };
  const std::vector<Element> listed = Named(elements_, "supportedOS");
  ASSERT_EQ(listed.size(), std::size(rows));
  for (std::size_t i = 0; i < listed.size(); ++i) {
    SCOPED_TRACE(rows[i].system);
    EXPECT_EQ(Joined(listed[i].path), "/assembly/compatibility/application/supportedOS");
    EXPECT_EQ(Attribute(listed[i], "Id"), rows[i].id);
  }
}

// Per-monitor v2 where Windows knows it, system awareness before that; long paths.
TEST_P(ProgramManifests, DpiAwarenessAndLongPaths) {
  const struct { const char* element; const char* nameSpace; const char* text; } rows[] = {
      {"dpiAware", kSettings2005, "true"},
      {"dpiAwareness", kSettings2016, "PerMonitorV2, System"},
      {"longPathAware", kSettings2016, "true"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.element);
    const std::vector<Element> found = Named(elements_, row.element);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(Joined(found[0].path), "/assembly/application/windowsSettings/" + std::string(row.element));
    EXPECT_EQ(Attribute(found[0], "xmlns"), row.nameSpace);
    EXPECT_EQ(found[0].text, row.text);
  }
  const std::vector<Element> application = Named(elements_, "application");
  ASSERT_EQ(application.size(), 2u);  // the compatibility list's and the settings'
  EXPECT_EQ(Attribute(application[1], "xmlns"), "urn:schemas-microsoft-com:asm.v3");
}

// The settings as the system's manifest reader finds them in an activation context made from the
// program's own resource: a wrong namespace or a misplaced element reads as absent.
TEST_P(ProgramManifests, TheSystemReadsTheSettings) {
  const std::wstring program = BinDirectory() + Wide(GetParam());
  ACTCTXW request = {};
  request.cbSize = sizeof request;
  request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
  request.lpSource = program.c_str();
  request.lpResourceName = MAKEINTRESOURCEW(1);
  HANDLE context = CreateActCtxW(&request);
  ASSERT_NE(context, INVALID_HANDLE_VALUE) << "error " << GetLastError();
  const struct { const char* nameSpace; const wchar_t* setting; const wchar_t* value; } rows[] = {
      {kSettings2005, L"dpiAware", L"true"},
      {kSettings2016, L"dpiAwareness", L"PerMonitorV2, System"},
      {kSettings2016, L"longPathAware", L"true"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.setting, row.setting + lstrlenW(row.setting)));
    wchar_t value[64] = {};
    SIZE_T written = 0;
    ASSERT_TRUE(QueryActCtxSettingsW(0, context, Wide(row.nameSpace).c_str(), row.setting, value, 64, &written));
    EXPECT_STREQ(value, row.value);
  }
  ReleaseActCtx(context);
}

INSTANTIATE_TEST_SUITE_P(BothPrograms, ProgramManifests, ::testing::ValuesIn(kPrograms),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           return std::string(info.param).substr(0, std::string(info.param).find('.'));
                         });

}  // namespace
