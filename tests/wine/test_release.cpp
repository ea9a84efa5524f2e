// What ships, read from the built files themselves: the manifest's declarations (and that the
// system accepts it), the version resource, and the calls they do without.
#include <cstring>
#include <fstream>
#include <iterator>

#include "harness.h"

using namespace harness;

namespace {

// Opening tags "<tag ...>" of every element with this name.
std::vector<std::string> StartTags(const std::string& xml, const std::string& tag) {
  std::vector<std::string> found;
  for (size_t at = xml.find("<" + tag); at != std::string::npos; at = xml.find("<" + tag, at + 1)) {
    char next = xml[at + 1 + tag.size()];
    if (next != ' ' && next != '>' && next != '/' && next != '\r' && next != '\n') continue;
    size_t end = xml.find('>', at);
    if (end == std::string::npos) break;
    found.push_back(xml.substr(at, end + 1 - at));
  }
  return found;
}

// The value of an attribute in an opening tag; "" when absent.
std::string Attribute(const std::string& startTag, const std::string& name) {
  size_t at = startTag.find(" " + name + "=\"");
  if (at == std::string::npos) return std::string();
  at += name.size() + 3;
  return startTag.substr(at, startTag.find('"', at) - at);
}

// The text inside the one element with this tag and namespace; "<missing>" otherwise.
std::string TextOf(const std::string& xml, const std::string& tag, const std::string& ns) {
  std::vector<std::string> tags = StartTags(xml, tag);
  if (tags.size() != 1 || Attribute(tags[0], "xmlns") != ns) return "<missing>";
  size_t from = xml.find(tags[0]) + tags[0].size();
  size_t to = xml.find("</" + tag + ">", from);
  return to == std::string::npos ? "<missing>" : xml.substr(from, to - from);
}

std::string ManifestOf(const std::string& exe) {
  HMODULE image = LoadLibraryExA(exe.c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (!image) return std::string();
  std::string xml;
  HRSRC found = FindResourceA(image, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));  // RT_MANIFEST
  HGLOBAL loaded = found ? LoadResource(image, found) : nullptr;
  const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
  if (bytes) xml.assign(bytes, SizeofResource(image, found));
  FreeLibrary(image);
  return xml;
}

}  // namespace

TEST(Release, ManifestDeclaresWhatTheProgramNeeds) {
  const std::string exe = BuildFile("tavrisol.exe");
  const std::string xml = ManifestOf(exe);
  ASSERT_FALSE(xml.empty()) << "no manifest resource in " << exe;

  std::vector<std::string> level = StartTags(xml, "requestedExecutionLevel");
  ASSERT_EQ(level.size(), 1u) << xml;
  EXPECT_EQ(Attribute(level[0], "level"), "asInvoker");

  // Windows 7, 8, 8.1 and 10/11.
  std::vector<std::string> compatibility = StartTags(xml, "compatibility");
  ASSERT_EQ(compatibility.size(), 1u) << xml;
  EXPECT_EQ(Attribute(compatibility[0], "xmlns"), "urn:schemas-microsoft-com:compatibility.v1");
  std::vector<std::string> systems;
  for (const std::string& tag : StartTags(xml, "supportedOS"))
    systems.push_back(Attribute(tag, "Id"));
  EXPECT_EQ(systems, (std::vector<std::string>{"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
                                               "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                                               "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
                                               "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}));

  // Common Controls 6, the only dependency.
  std::vector<std::string> identities = StartTags(xml, "assemblyIdentity");
  ASSERT_EQ(identities.size(), 2u) << xml;  // the program's own, then the dependency's
  const std::string& controls = identities[1];
  EXPECT_EQ(Attribute(controls, "type"), "win32");
  EXPECT_EQ(Attribute(controls, "name"), "Microsoft.Windows.Common-Controls");
  EXPECT_EQ(Attribute(controls, "version"), "6.0.0.0");
  EXPECT_EQ(Attribute(controls, "publicKeyToken"), "6595b64144ccf1df");
  EXPECT_EQ(Attribute(controls, "processorArchitecture"), "*");
  EXPECT_EQ(StartTags(xml, "dependentAssembly").size(), 1u);

  // Per-monitor DPI awareness, in both forms.
  EXPECT_EQ(TextOf(xml, "dpiAwareness", "http://schemas.microsoft.com/SMI/2016/WindowsSettings"),
            "PerMonitorV2");
  EXPECT_EQ(TextOf(xml, "dpiAware", "http://schemas.microsoft.com/SMI/2005/WindowsSettings"),
            "true/pm");
  // UTF-8 as the code page of every "A" call.
  EXPECT_EQ(TextOf(xml, "activeCodePage", "http://schemas.microsoft.com/SMI/2019/WindowsSettings"),
            "UTF-8");

  // The system reads it: an activation context made from the executable's manifest.
  ACTCTXA context;
  ZeroMemory(&context, sizeof context);
  context.cbSize = sizeof context;
  context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
  context.lpSource = exe.c_str();
  context.lpResourceName = MAKEINTRESOURCEA(1);
  HANDLE made = CreateActCtxA(&context);
  EXPECT_NE(made, INVALID_HANDLE_VALUE) << "CreateActCtx error " << GetLastError();
  if (made != INVALID_HANDLE_VALUE) ReleaseActCtx(made);
}

TEST(Release, VersionResourceCarriesTheProjectVersion) {
  const std::string exe = BuildFile("tavrisol.exe");
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeA(exe.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<char> info(size);
  ASSERT_TRUE(GetFileVersionInfoA(exe.c_str(), 0, size, info.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  char numbers[64];
  snprintf(numbers, sizeof numbers, "%d.%d.%d", HIWORD(fixed->dwFileVersionMS),
           LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS));
  EXPECT_EQ(std::string(numbers), TAVRISOL_PROJECT_VERSION);
  EXPECT_EQ(LOWORD(fixed->dwFileVersionLS), 0u);
  EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
  EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
  for (const char* name : {"FileVersion", "ProductVersion"}) {
    char* text = nullptr;
    std::string query = std::string("\\StringFileInfo\\040904b0\\") + name;
    ASSERT_TRUE(
        VerQueryValueA(info.data(), query.c_str(), reinterpret_cast<void**>(&text), &length));
    EXPECT_EQ(std::string(text), TAVRISOL_PROJECT_VERSION) << name;
  }
}

// The shipped files reach into no other process: none imports, or names for a later lookup, a
// call that allocates, writes or maps memory there, queues a call to or starts a thread in it.
TEST(Release, NoShippedFileNamesACallIntoAnotherProcess) {
  for (const char* file :
       {"tavrisol.exe", "tavrisolhelper.dll", "tavrisolhelper32.dll", "tavrisolhook32.exe"}) {
    std::ifstream in(BuildFile(file), std::ios::binary);
    ASSERT_TRUE(in) << file;
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    for (const char* name :
         {"VirtualAllocEx", "WriteProcessMemory", "QueueUserAPC", "CreateRemoteThread",
          "NtQueueApcThread", "NtCreateThreadEx", "RtlCreateUserThread", "SetThreadContext",
          "MapViewOfFile2", "NtMapViewOfSection"})
      EXPECT_EQ(bytes.find(name), std::string::npos) << file << " names " << name;
  }
}
