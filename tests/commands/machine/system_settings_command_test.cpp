// "Get System Settings" against the real machine (Windows under Wine): every
// answer is held against the same fact read here by other means, never
// against what this one machine happens to be; the registry-based questions
// are also run on values the test writes into the prefix's registry.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/fault_guard.h"
#include "tests/commands/machine/registry_override.h"
#include "tests/commands/query/query_run.h"

namespace qm {
namespace {

constexpr REGSAM k32 = KEY_WOW64_32KEY;
constexpr REGSAM k64 = KEY_WOW64_64KEY;

std::string truth(bool value) { return value ? "TRUE" : "FALSE"; }

// Runs one "Get System Settings" line per question (after `prelude`) and
// gives the answers, in order.
std::vector<std::string> answers(const std::vector<int>& questions, const std::string& prelude = "") {
  std::string script = prelude;
  for (int question : questions)
    script += "Get System Settings | A" + std::to_string(question) + " | " + std::to_string(question) + "\n";
  const auto run = test::run_query_script(script);
  EXPECT_FALSE(run->outcome().failed) << run->outcome().error_report;
  std::vector<std::string> found;
  for (int question : questions) found.push_back(run->get("A" + std::to_string(question)));
  return found;
}

std::string answer(int question, const std::string& prelude = "") { return answers({question}, prelude).front(); }

OSVERSIONINFOEXA version_info() {
  OSVERSIONINFOEXA info = {};
  info.dwOSVersionInfoSize = sizeof info;
  GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info));
  return info;
}

bool in_group(DWORD group) {
  SID_IDENTIFIER_AUTHORITY nt_authority = SECURITY_NT_AUTHORITY;
  PSID sid = nullptr;
  AllocateAndInitializeSid(&nt_authority, 2, SECURITY_BUILTIN_DOMAIN_RID, group, 0, 0, 0, 0, 0, 0, &sid);
  BOOL member = FALSE;
  CheckTokenMembership(nullptr, sid, &member);
  FreeSid(sid);
  return member != FALSE;
}

TEST(GetSystemSettingsTest, MemoryScreenAndColours) {
  MEMORYSTATUSEX memory = {};
  memory.dwLength = sizeof memory;
  ASSERT_TRUE(GlobalMemoryStatusEx(&memory));
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  const HDC screen = GetDC(nullptr);
  const int bits = GetDeviceCaps(screen, BITSPIXEL);
  const int dots = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);

  std::vector<int> questions;
  std::vector<std::string> expected;
  const std::uint64_t megabytes[] = {32, 64, 128, 256, 512, 1024, 2048};
  for (int i = 0; i < 7; ++i) {
    questions.push_back(1 + i);
    expected.push_back(truth((megabytes[i] - 2) * 1024 * 1024 <= memory.ullTotalPhys));
  }
  const int sizes[][2] = {{800, 600}, {1024, 768}, {1280, 1024}, {1600, 1200}, {1920, 1440}};
  for (int i = 0; i < 5; ++i) {
    const int w = sizes[i][0];
    const int h = sizes[i][1];
    questions.push_back(8 + i);
    expected.push_back(truth((width >= w && height >= h) || (width >= h && height >= w)));
  }
  for (int i = 0; i < 4; ++i) {
    questions.push_back(13 + i);
    expected.push_back(truth(bits >= 8 * (i + 1)));
  }
  questions.insert(questions.end(), {64, 66, 67});
  expected.insert(expected.end(), {std::to_string(dots), truth(GetSystemMetrics(SM_TABLETPC) != 0),
                                   truth(GetSystemMetrics(SM_MEDIACENTER) != 0)});
  const std::vector<std::string> found = answers(questions);
  for (std::size_t i = 0; i < questions.size(); ++i) EXPECT_EQ(found[i], expected[i]) << "question " << questions[i];
  EXPECT_EQ(found[0], "TRUE") << "any machine that runs the tests has 30 MB";
}

TEST(GetSystemSettingsTest, WindowsVersionAndServicePack) {
  const OSVERSIONINFOEXA info = version_info();
  const bool nt = info.dwPlatformId == VER_PLATFORM_WIN32_NT;
  const auto reaches = [&](DWORD major, DWORD minor) {
    return info.dwMajorVersion > major || (info.dwMajorVersion == major && info.dwMinorVersion >= minor);
  };
  int service_pack = 0;
  for (int n = 10; n >= 1 && service_pack == 0; --n)
    if (std::string(info.szCSDVersion).find(std::to_string(n)) != std::string::npos) service_pack = n;

  std::vector<int> questions = {17, 18};
  std::vector<std::string> expected = {truth(!nt), truth(nt)};
  const DWORD versions[][2] = {{4, 0}, {4, 10}, {4, 11}, {4, 90}, {4, 0}, {5, 0}, {5, 1}, {5, 2}};
  for (int i = 0; i < 8; ++i) {
    questions.push_back(19 + i);
    expected.push_back(truth(reaches(versions[i][0], versions[i][1])));
  }
  for (int level = 1; level <= 6; ++level) {
    questions.push_back(26 + level);
    expected.push_back(truth(service_pack >= level));
  }
  questions.insert(questions.end(), {68, 69});
  expected.insert(expected.end(), {truth(info.wProductType != VER_NT_WORKSTATION), truth(reaches(6, 0))});
  const std::vector<std::string> found = answers(questions);
  for (std::size_t i = 0; i < questions.size(); ++i) EXPECT_EQ(found[i], expected[i]) << "question " << questions[i];
}

TEST(GetSystemSettingsTest, LanguageOfTheSystem) {
  const std::string winver = [] {
    char folder[MAX_PATH] = {};
    GetSystemDirectoryA(folder, MAX_PATH);
    return std::string(folder) + "\\winver.exe";
  }();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(winver.c_str(), &ignored);
  std::string translation;
  std::string language;
  if (size != 0) {
    std::vector<char> data(size);
    GetFileVersionInfoA(winver.c_str(), 0, size, data.data());
    DWORD* table = nullptr;
    UINT length = 0;
    if (VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&table), &length) &&
        length >= 4) {
      translation = std::to_string(*table);
      char name[260] = {};
      VerLanguageNameA(*table & 0xFFFF, name, sizeof name);
      language = name;
    }
  }
  const std::vector<std::string> found = answers({33, 34});
  EXPECT_EQ(found[0], translation);
  EXPECT_EQ(found[1], language);
}

TEST(GetSystemSettingsTest, RegisteredOwnerInTheTargetPlatformsView) {
  const std::string key = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
  test::RegistryOverride owner_32(HKEY_LOCAL_MACHINE, k32, key, "RegisteredOwner");
  test::RegistryOverride organization_32(HKEY_LOCAL_MACHINE, k32, key, "RegisteredOrganization");
  test::RegistryOverride owner_64(HKEY_LOCAL_MACHINE, k64, key, "RegisteredOwner");
  test::RegistryOverride organization_64(HKEY_LOCAL_MACHINE, k64, key, "RegisteredOrganization");
  owner_32.set_text("Owner of 32 bits");
  organization_32.set_text("Organization of 32 bits");
  owner_64.set_text("Owner of 64 bits");
  organization_64.remove();

  const auto run = test::run_query_script("Get System Settings | OWNER | 35\n"
                                          "Get System Settings | ORGANIZATION | 36\n"
                                          "Set 64 Bit Mode | | | TRUE\n"
                                          "Get System Settings | OWNER64 | 35\n"
                                          "Get System Settings | ORGANIZATION64 | 36\n");
  EXPECT_EQ(run->get("OWNER"), "Owner of 32 bits");
  EXPECT_EQ(run->get("ORGANIZATION"), "Organization of 32 bits");
  bool wow64 = false;
  BOOL is_wow64 = FALSE;
  wow64 = IsWow64Process(GetCurrentProcess(), &is_wow64) && is_wow64;
  EXPECT_EQ(run->get("OWNER64"), wow64 ? "Owner of 64 bits" : "Owner of 32 bits");
  EXPECT_EQ(run->get("ORGANIZATION64"), wow64 ? "" : "Organization of 32 bits") << "a missing value is empty";
}

// The version of a file's fixed version information, as four numbers.
std::vector<std::uint32_t> file_version(const std::string& path) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  if (size == 0) return {0, 0, 0, 0};
  std::vector<char> data(size);
  GetFileVersionInfoA(path.c_str(), 0, size, data.data());
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length) || fixed == nullptr)
    return {0, 0, 0, 0};
  return {HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
          LOWORD(fixed->dwFileVersionLS)};
}

TEST(GetSystemSettingsTest, InternetExplorerByItsLibrary) {
  char folder[MAX_PATH] = {};
  GetSystemDirectoryA(folder, MAX_PATH);
  const std::vector<std::uint32_t> installed = file_version(std::string(folder) + "\\shdocvw.dll");
  const std::vector<std::vector<std::uint32_t>> thresholds = {
      {6, 0, 2800, 1106}, {6, 0, 2600, 0},     {5, 50, 4807, 2300}, {5, 50, 4522, 1800},
      {5, 50, 4134, 100}, {5, 0, 3502, 5400},  {5, 0, 3314, 2100},  {5, 0, 2919, 6307},
      {5, 0, 2014, 213},  {4, 72, 3612, 1707}, {4, 72, 3110, 3},    {4, 72, 2106, 7},
      {4, 71, 1712, 5},   {4, 70, 1300, 0},    {4, 70, 1215, 0},    {4, 70, 1155, 0}};
  std::vector<int> questions;
  for (int i = 0; i < 16; ++i) questions.push_back(37 + i);
  const std::vector<std::string> found = answers(questions);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(found[i], truth(installed >= thresholds[i])) << "question " << 37 + i;
}

TEST(GetSystemSettingsTest, InternetExplorerByItsRegistryEntry) {
  test::RegistryOverride version(HKEY_LOCAL_MACHINE, k32, "SOFTWARE\\Microsoft\\Internet Explorer", "Version");
  const struct {
    const char* text;
    const char* answer;
  } cases[] = {
      {"7.0.5730.11", "TRUE"},  {"7.0.5730.10", "FALSE"}, {"7.0.5730.12", "TRUE"}, {"7.0.5731", "TRUE"},
      {"7.0.5730", "FALSE"},    {"6.99.9999.9999", "FALSE"}, {"11.0.9600.16428", "TRUE"},
      {"8", "TRUE"},            {"7", "FALSE"},          {"", "FALSE"},
      {"7.0.5730.11.2", "TRUE"},  // a fifth part is not read
      {"7.0.5730.x", "FALSE"},     // the last part, no integer, counts as 0
      {"7.0.5730.$F", "TRUE"},     // integer text: hexadecimal 15
      {"-1.0.0.0", "TRUE"},        // compared unsigned
  };
  for (const auto& c : cases) {
    version.set_text(c.text);
    EXPECT_EQ(answer(72), c.answer) << c.text;
  }
  version.remove();
  EXPECT_EQ(answer(72), "FALSE") << "no value";

  version.set_text("7.zero.5730.11");
  const auto run = std::make_unique<test::EngineRun>(test::script_package("Get System Settings | A | 72"));
  run->run();
  EXPECT_EQ(run->outcome().error_report, test::script_error_report(2, "'zero' is not a valid integer value"));
}

TEST(GetSystemSettingsTest, InternetInformationServicesVersion) {
  const std::string key = "SOFTWARE\\Microsoft\\INetStp";
  test::RegistryOverride major(HKEY_LOCAL_MACHINE, k32, key, "MajorVersion");
  test::RegistryOverride minor(HKEY_LOCAL_MACHINE, k32, key, "MinorVersion");
  if (major.key_existed()) GTEST_SKIP() << "IIS is installed here; its entry is left alone";
  const std::vector<int> questions = {53, 54, 55, 56, 57, 58, 73};  // 6.0 5.1 5.0 4.0 3.0 2.0 7.0
  EXPECT_EQ(answers(questions), std::vector<std::string>(7, "FALSE")) << "not installed";
  const struct {
    DWORD major, minor;
    std::vector<std::string> answers;
  } cases[] = {
      {5, 1, {"FALSE", "TRUE", "TRUE", "TRUE", "TRUE", "TRUE", "FALSE"}},
      {5, 0, {"FALSE", "FALSE", "TRUE", "TRUE", "TRUE", "TRUE", "FALSE"}},
      {6, 0, {"TRUE", "TRUE", "TRUE", "TRUE", "TRUE", "TRUE", "FALSE"}},
      {7, 5, {"TRUE", "TRUE", "TRUE", "TRUE", "TRUE", "TRUE", "TRUE"}},
      {10, 0, {"TRUE", "TRUE", "TRUE", "TRUE", "TRUE", "TRUE", "TRUE"}},
      {1, 9, {"FALSE", "FALSE", "FALSE", "FALSE", "FALSE", "FALSE", "FALSE"}},
      {2, 0, {"FALSE", "FALSE", "FALSE", "FALSE", "FALSE", "TRUE", "FALSE"}},
  };
  for (const auto& c : cases) {
    major.set_dword(c.major);
    minor.set_dword(c.minor);
    EXPECT_EQ(answers(questions), c.answers) << c.major << "." << c.minor;
  }
  minor.remove();
  EXPECT_EQ(answers(questions), std::vector<std::string>(7, "FALSE")) << "no minor version";
  minor.set_text("0");
  EXPECT_EQ(answers(questions), std::vector<std::string>(7, "FALSE")) << "a minor version that is no number";
}

TEST(GetSystemSettingsTest, UserComputerAndGroups) {
  char user[261] = {};
  DWORD user_size = sizeof user;
  ASSERT_TRUE(GetUserNameA(user, &user_size));
  BYTE sid[SECURITY_MAX_SID_SIZE];
  DWORD sid_size = sizeof sid;
  char domain[256] = {};
  DWORD domain_size = sizeof domain;
  SID_NAME_USE use;
  ASSERT_TRUE(LookupAccountNameA(nullptr, user, sid, &sid_size, domain, &domain_size, &use));
  char computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD computer_size = sizeof computer;
  ASSERT_TRUE(GetComputerNameA(computer, &computer_size));
  const bool admin = in_group(DOMAIN_ALIAS_RID_ADMINS);
  const std::string membership = admin                                    ? "ADMIN"
                                 : in_group(DOMAIN_ALIAS_RID_POWER_USERS) ? "POWER"
                                 : in_group(DOMAIN_ALIAS_RID_USERS)       ? "USER"
                                 : in_group(DOMAIN_ALIAS_RID_GUESTS)      ? "GUEST"
                                                                          : "ERROR";
  const std::vector<std::string> found = answers({0, 60, 61, 62, 63});
  EXPECT_EQ(found[0], truth(admin));
  EXPECT_EQ(found[1], user);
  EXPECT_EQ(found[2], computer);
  EXPECT_EQ(found[3], domain);
  EXPECT_EQ(found[4], membership);
}

TEST(GetSystemSettingsTest, IisAnonymousUserIsEmptyWithoutIis) {
  CLSID iis;
  if (SUCCEEDED(CLSIDFromProgID(L"IISNamespace", &iis))) GTEST_SKIP() << "IIS administration objects are here";
  EXPECT_EQ(answer(59), "");
}

// The first bytes of a probe, then "mov eax, ebx; pop ebx; ret", in
// executable memory of its own: the same questions asked independently of
// the engine's probes.
std::uint32_t probe_ebx(const std::vector<std::uint8_t>& instruction, bool& faulted) {
  std::vector<std::uint8_t> code = {0x53};  // push ebx
  code.insert(code.end(), instruction.begin(), instruction.end());
  code.insert(code.end(), {0x89, 0xD8, 0x5B, 0xC3});
  void* memory = VirtualAlloc(nullptr, code.size(), MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE);
  std::copy(code.begin(), code.end(), static_cast<std::uint8_t*>(memory));
  const platform::GuardedCallResult result = platform::call_guarded(memory, {});
  VirtualFree(memory, 0, MEM_RELEASE);
  faulted = result.faulted;
  return result.value;
}

TEST(GetSystemSettingsTest, ProcessorAndVirtualMachines) {
  bool vmware_faulted = false;
  const std::uint32_t vmware = probe_ebx({0xB8, 0x68, 0x58, 0x4D, 0x56,   // mov eax, 564D5868h
                                          0x31, 0xDB,                     // xor ebx, ebx
                                          0xB9, 0x0A, 0, 0, 0,            // mov ecx, 10
                                          0xBA, 0x58, 0x56, 0, 0,         // mov edx, 5658h
                                          0xED},                          // in eax, dx
                                         vmware_faulted);
  bool virtual_pc_faulted = false;
  const std::uint32_t virtual_pc = probe_ebx({0xB8, 1, 0, 0, 0,           // mov eax, 1
                                              0x31, 0xDB,                 // xor ebx, ebx
                                              0x0F, 0x3F, 0x07, 0x0B},    // Virtual PC's call
                                             virtual_pc_faulted);
  const bool in_vmware = !vmware_faulted && vmware == 0x564D5868;
  const bool in_virtual_pc = !virtual_pc_faulted && virtual_pc == 0;

  BOOL wow64 = FALSE;
  IsWow64Process(GetCurrentProcess(), &wow64);
  SYSTEM_INFO system = {};
  GetNativeSystemInfo(&system);
  const std::string architecture = system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_INTEL   ? "X86"
                                   : system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_IA64  ? "IA64"
                                   : system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ? "AMD64"
                                                                                                   : "UNKNOWN";
  const std::vector<std::string> found = answers({65, 70, 71, 74, 75});
  EXPECT_EQ(found[0], truth(wow64 != FALSE));
  EXPECT_EQ(found[1], truth(in_vmware));
  EXPECT_EQ(found[2], truth(in_virtual_pc));
  EXPECT_EQ(found[3], truth(!in_vmware && !in_virtual_pc));
  EXPECT_EQ(found[4], architecture);
}

TEST(GetSystemSettingsTest, EveryQuestionAnswersAndOthersAreEmpty) {
  std::string script = "Set Variable | OLD | old\n";
  for (int question = 0; question <= 75; ++question)
    script += "Get System Settings | Q" + std::to_string(question) + " | " + std::to_string(question) + "\n";
  script += "Get System Settings | OLD | 76\n"
            "Get System Settings | minus | -1\n"
            "Get System Settings | LARGE | 2147483647\n"
            "Get System Settings | HEX | $12\n"
            "Get System Settings | BLANKS |   18\n";
  const auto run = test::run_query_script(script);
  ASSERT_FALSE(run->outcome().failed) << run->outcome().error_report;
  const std::vector<int> texts = {33, 34, 35, 36, 59, 60, 61, 62, 63, 64, 75};
  for (int question = 0; question <= 75; ++question) {
    const std::string found = run->get("Q" + std::to_string(question));
    if (std::find(texts.begin(), texts.end(), question) == texts.end()) {
      EXPECT_TRUE(found == "TRUE" || found == "FALSE") << "question " << question << ": " << found;
    }
  }
  EXPECT_EQ(run->get("OLD"), "") << "no such question: empty";
  EXPECT_EQ(run->get("MINUS"), "");
  EXPECT_EQ(run->get("LARGE"), "");
  EXPECT_EQ(run->get("HEX"), run->get("Q18")) << "$12 is 18";
  EXPECT_EQ(run->get("BLANKS"), run->get("Q18"));
}

TEST(GetSystemSettingsTest, QuestionsThatAreNoNumberStopTheScript) {
  const struct {
    const char* question;
    const char* message;
  } cases[] = {
      {"ten", "'ten' is not a valid integer value"},
      {"", "'' is not a valid integer value"},
      {"1.5", "'1.5' is not a valid integer value"},
      {"99999999999", "'99999999999' is not a valid integer value"},
      {"$Q$", "'$Q$' is not a valid integer value"},  // read as written
  };
  for (const auto& c : cases) {
    const auto run = std::make_unique<test::EngineRun>(
        test::script_package(std::string("Set Variable | Q | 3\nGet System Settings | NEW | ") + c.question));
    run->run();
    EXPECT_EQ(run->outcome().error_report, test::script_error_report(3, c.message)) << c.question;
    EXPECT_TRUE(run->engine().variables.exists("NEW")) << "defined before the number is read";
  }
}

}  // namespace
}  // namespace qm
