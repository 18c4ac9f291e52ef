// Maintenance and upgrade detection in whole setups under Wine: a small
// product installed for real through Windows Installer (its product code is
// the setups' product code, its package code their revision code), the real
// engine run from its distribution folder or as the cached engine of the
// installed instance, and the variables a dump line shows. Everything a test
// installs, writes to the engine cache or to the registry goes again.

#include <gtest/gtest.h>

#include <windows.h>
#include <msi.h>

#include <map>
#include <string>

#include "engine/instance_bootstrap.h"
#include "engine/run_values.h"
#include "platform/file_system.h"
#include "platform/msi_library.h"
#include "tests/support/registry_keys.h"
#include "tests/support/script_text.h"
#include "tests/support/setup_folder.h"

namespace qm {
namespace {

constexpr const char* kProductCode = "{5D2A7C91-3E4B-4F60-9A18-7B6C5D4E3F21}";
constexpr const char* kPackageCode = "{8E1F3A5C-7B9D-4C2E-A604-1D3F5B7C9E02}";

using Variables = std::map<std::string, std::string>;

// The instance product (tests/program/fixtures), installed for this user
// while the object lives.
class InstalledProduct {
 public:
  InstalledProduct() {
    library_.function<INSTALLUILEVEL WINAPI(INSTALLUILEVEL, HWND*)>("MsiSetInternalUI")(INSTALLUILEVEL_NONE, nullptr);
    const std::string package = test::program_folder() + "instance_product.msi";
    result_ = library_.function<UINT WINAPI(LPCSTR, LPCSTR)>("MsiInstallProductA")(package.c_str(), "");
  }
  ~InstalledProduct() {
    library_.function<UINT WINAPI(LPCSTR, int, INSTALLSTATE)>("MsiConfigureProductA")(kProductCode, INSTALLLEVEL_DEFAULT,
                                                                                      INSTALLSTATE_ABSENT);
  }
  InstalledProduct(const InstalledProduct&) = delete;
  InstalledProduct& operator=(const InstalledProduct&) = delete;

  UINT result() const { return result_; }

 private:
  platform::MsiLibrary library_;
  UINT result_ = 0;
};

// An engine cache folder for all users, removed at the end.
class CommonCacheFolder {
 public:
  explicit CommonCacheFolder(const std::string& revision_code)
      : folder_(engine_cache_root(true) + revision_code + "\\") {
    CreateDirectoryA(folder_.c_str(), nullptr);
  }
  ~CommonCacheFolder() { platform::remove_folder_tree(folder_); }
  CommonCacheFolder(const CommonCacheFolder&) = delete;
  CommonCacheFolder& operator=(const CommonCacheFolder&) = delete;

  const std::string& path() const { return folder_; }

 private:
  std::string folder_;
};

test::PackageText product_package(const std::string& script, const std::string& revision_code) {
  test::PackageText package = test::script_package(script);
  package.product_code = kProductCode;
  package.revision_code = revision_code;
  package.component_sizes = {"VRAK-PREDEF-COMPONENT", "100", "CORE", "4096"};
  return package;
}

void expect_variables(const Variables& variables, const Variables& expected, const std::string& what) {
  for (const auto& [name, value] : expected) {
    const auto found = variables.find(name);
    if (value.empty() && found == variables.end()) continue;
    ASSERT_NE(found, variables.end()) << what << ": " << name;
    EXPECT_EQ(found->second, value) << what << ": " << name;
  }
}

bool is_upper_case_guid(const std::string& code) {
  if (code.size() != 38 || code.front() != '{' || code.back() != '}') return false;
  return code.find_first_not_of("0123456789ABCDEF-", 1) == 37;
}

const std::string kSelections =
    "VRAK-PREDEF-COMPONENT\r\nCore\r\n$\r\nTRUE\r\nTRUE\r\n$\r\n$\r\n$\r\n$\r\n$\r\n"
    "C:\\Installed Here\\\r\nTRUE\r\nInstalled Menu\r\n\r\nSERIAL\r\nsaved\r\nVRAK64WOW\r\nWin32\r\n";

TEST(InstanceSetupTest, AFirstRunFindsNothingInstalled) {
  const test::SetupFolder setup(test::script_package("dump").text());
  ASSERT_EQ(setup.run("/s"), 0u);
  const std::string program_files =
      test::text_value(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                       "ProgramFilesDir")
          .value_or("?");
  expect_variables(setup.variables(),
                   {{"MAINTENANCE", "FALSE"},
                    {"NEEDSUPGRADE", "FALSE"},
                    {"NEWINSTANCE", "FALSE"},
                    {"ALLUSERS", "TRUE"},
                    {"TARGETDIR", program_files + "\\Sample Product\\"}},
                   "first run");
}

// The distribution media of the installed build: a maintenance run, and a
// candidate for a new instance, which "Transform Instance" makes of it.
TEST(InstanceSetupTest, TheDistributionMediaOfTheInstalledBuild) {
  const InstalledProduct product;
  ASSERT_EQ(product.result(), static_cast<UINT>(ERROR_SUCCESS));
  const test::SetupFolder setup(product_package("dump before\nTransform Instance\ndump after\n", kPackageCode).text());
  ASSERT_EQ(setup.run("/s"), 0u);

  expect_variables(setup.variables("before"),
                   {{"MAINTENANCE", "TRUE"}, {"NEEDSUPGRADE", "FALSE"}, {"NEWINSTANCE", "TRUE"}, {"PRODUCTCODE", kProductCode}},
                   "before");
  const Variables after = setup.variables("after");
  expect_variables(after, {{"MAINTENANCE", "FALSE"}, {"NEEDSUPGRADE", "FALSE"}}, "after");
  EXPECT_TRUE(is_upper_case_guid(after.at("PRODUCTCODE"))) << after.at("PRODUCTCODE");
  EXPECT_TRUE(is_upper_case_guid(after.at("REVISIONCODE"))) << after.at("REVISIONCODE");
  EXPECT_NE(after.at("PRODUCTCODE"), kProductCode);
  EXPECT_NE(after.at("REVISIONCODE"), kPackageCode);
  EXPECT_EQ(after.at("ENGINECACHE"), engine_cache_root(true) + after.at("REVISIONCODE") + "\\");
}

// The cached engine of the installed instance: "instance.dat" beside it
// gives the identity, the selection file its model, settings and kept
// variables; nothing is to be added to the space the product takes; the
// kept variable's new value is saved into the selection file at the end.
TEST(InstanceSetupTest, TheCachedEngineOfTheInstalledInstance) {
  const InstalledProduct product;
  ASSERT_EQ(product.result(), static_cast<UINT>(ERROR_SUCCESS));
  const CommonCacheFolder cache(kPackageCode);
  test::write_file(cache.path() + "setup.dat", kSelections);
  test::write_file(cache.path() + "setup.par", "AKEPT\r\nTRUE\r\n");
  const test::SetupFolder setup(product_package("Define Component | Core | FALSE |\n"
                                                "Get Component State | Core | CORE\n"
                                                "Get Component Space | | SPACE\n"
                                                "Set Variable | SERIAL | changed\n"
                                                "dump\n",
                                                new_guid_text())
                                    .text());
  test::write_file(setup.file("instance.dat"),
                   std::string(kProductCode) + "\r\n" + kPackageCode + "\r\nCached Product\r\n");
  ASSERT_EQ(setup.run("/s"), 0u);

  expect_variables(setup.variables(),
                   {{"MAINTENANCE", "TRUE"},
                    {"NEEDSUPGRADE", "FALSE"},
                    {"NEWINSTANCE", "FALSE"},
                    {"REVISIONCODE", kPackageCode},
                    {"TITLE", "Cached Product"},
                    {"TARGETDIR", "C:\\Installed Here\\"},
                    {"STARTMENU", "Installed Menu"},
                    {"CORE", "TRUE"},
                    {"SPACE", "0"}},
                   "cached engine");
  const std::string saved = test::read_file(cache.path() + "setup.dat");
  EXPECT_EQ(saved, kSelections.substr(0, kSelections.find("SERIAL")) + "SERIAL\r\nchanged\r\nVRAK64WOW\r\nWin32\r\n");
}

// Distribution media of a newer build: an upgrade. With #LOADOLDDATA# the
// older instance's selections and kept variables come from the engine cache
// folder its identity cache entry names.
TEST(InstanceSetupTest, ANewerBuildUpgradesTheInstalledOne) {
  const InstalledProduct product;
  ASSERT_EQ(product.result(), static_cast<UINT>(ERROR_SUCCESS));
  const std::string identity_key = std::string("SOFTWARE\\Brennivax\\Quillmore\\Ident.Cache\\") + kProductCode;
  const struct {
    const char* what;
    bool load_old_data;
    std::vector<std::string> files;  // in the older instance's cache folder
    Variables expected;
  } cases[] = {
      {"without #LOADOLDDATA#", false, {"setup.dat"}, {{"CORE", "TRUE"}, {"SERIAL", ""}}},
      {"the only selection file", true, {"setup.dat", "instance.dat"}, {{"CORE", "FALSE"}, {"SERIAL", "old"}}},
      {"the one beside its engine", true, {"other.dat", "setup.dat", "setup.exe", "setup.res", "setup.msi", "setup.par"},
       {{"CORE", "FALSE"}, {"SERIAL", "old"}}},
      {"no file qualifies", true, {"one.dat", "two.dat"}, {{"CORE", "TRUE"}, {"SERIAL", ""}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::TempFolder older;
    for (const std::string& name : c.files)
      test::write_file(older.file(name),
                       "VRAK-PREDEF-COMPONENT\r\nCore\r\n$\r\nTRUE\r\nFALSE\r\n$\r\n$\r\n$\r\n$\r\n"
                       "CORE\r\n1\r\n$\r\nD:\\Old\\\r\nTRUE\r\nOld\r\n\r\nSERIAL\r\nold\r\nVRAK64WOW\r\nWin32\r\n");
    test::set_text(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, identity_key, "", older.path());
    test::PackageText package = product_package(
        "Define Component | Core | TRUE |\nGet Component State | Core | CORE\nGet Component Space | Core | SIZE\ndump\n",
        new_guid_text());
    if (c.load_old_data) package.build_constants = {"LOADOLDDATA", "TRUE"};
    const test::SetupFolder setup(package.text());
    const std::uint32_t exit_code = setup.run("/s");
    test::delete_key_tree(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, identity_key);
    ASSERT_EQ(exit_code, 0u);

    Variables expected = c.expected;
    expected.insert({{"NEEDSUPGRADE", "TRUE"}, {"MAINTENANCE", "FALSE"}, {"NEWINSTANCE", "TRUE"}, {"SIZE", "4096"}});
    expect_variables(setup.variables(), expected, c.what);
  }
}

}  // namespace
}  // namespace qm
