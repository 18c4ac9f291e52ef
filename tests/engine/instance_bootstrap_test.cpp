// Which instance a run serves and what it finds of it, through the real run
// initialisation in this process. Products installed for real are the
// program tests' (tests/program/instance_setup_test.cpp); here nothing is
// installed, and every engine cache folder a test makes is removed again.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "engine/instance_bootstrap.h"
#include "engine/run_values.h"
#include "platform/file_system.h"
#include "tests/support/engine_run.h"
#include "tests/support/registry_keys.h"
#include "tests/support/script_text.h"

namespace qm {
namespace {

using List = std::vector<std::string>;

// The engine cache folders of one revision code, removed at the end.
class CacheFolders {
 public:
  explicit CacheFolders(std::string revision_code) : revision_code_(std::move(revision_code)) {
    for (const bool all_users : {true, false}) CreateDirectoryA(folder(all_users).c_str(), nullptr);
  }
  ~CacheFolders() {
    for (const bool all_users : {true, false}) platform::remove_folder_tree(folder(all_users));
  }
  CacheFolders(const CacheFolders&) = delete;
  CacheFolders& operator=(const CacheFolders&) = delete;

  std::string folder(bool all_users) const { return engine_cache_root(all_users) + revision_code_ + "\\"; }

 private:
  std::string revision_code_;
};

std::string program_files_folder() {
  return test::text_value(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                          "ProgramFilesDir")
             .value_or("?") +
         "\\";
}

test::PackageText package_with_new_codes(const std::string& script) {
  test::PackageText package = test::script_package(script);
  package.product_code = new_guid_text();
  package.revision_code = new_guid_text();
  return package;
}

TEST(InstanceBootstrapTest, AFirstRunFromTheDistributionMedia) {
  const test::PackageText package = package_with_new_codes("Get Component Space | | REQUIRED\n");
  test::EngineRun run(package);
  ASSERT_TRUE(run.run());
  ASSERT_EQ(run.get("ALLUSERS"), "TRUE") << "the tests run as an administrator";
  const std::string cache = engine_cache_root(true) + package.revision_code + "\\";
  const struct {
    const char* name;
    std::string value;
  } expected[] = {
      {"PRODUCTCODE", package.product_code},
      {"REVISIONCODE", package.revision_code},
      {"MAINTENANCE", "FALSE"},
      {"NEEDSUPGRADE", "FALSE"},
      {"NEWINSTANCE", "FALSE"},
      {"TARGETDIR", program_files_folder() + "Sample Product\\"},
      {"STARTMENU", "Sample Product"},
      {"ENGINECACHE", cache},
      {"UNINSTALLLINK", cache + "setup.exe"},
      {"DATADIR", run.folder().file("data\\")},
      {"REQUIRED", "0"},
  };
  for (const auto& [name, value] : expected) EXPECT_EQ(run.get(name), value) << name;
  EXPECT_EQ(run.engine().components.names, List{"VRAK-PREDEF-COMPONENT"});
  EXPECT_EQ(GetFileAttributesA(cache.c_str()), INVALID_FILE_ATTRIBUTES) << "a run that installs nothing makes no cache";
}

// "instance.dat" beside the engine: the engine runs from an instance's
// engine cache, and takes that instance's identity.
TEST(InstanceBootstrapTest, TheInstanceFileBesideTheEngineGivesTheIdentity) {
  const test::PackageText package = package_with_new_codes("");
  test::EngineRun run(package);
  const std::string product = new_guid_text();
  const std::string revision = new_guid_text();
  test::write_file(run.folder().file("instance.dat"), product + "\r\n" + revision + "\r\nOther Product\r\n");
  ASSERT_TRUE(run.run());
  EXPECT_EQ(run.get("PRODUCTCODE"), product);
  EXPECT_EQ(run.get("REVISIONCODE"), revision);
  EXPECT_EQ(run.get("TITLE"), "Other Product");
  EXPECT_EQ(run.get("STARTMENU"), "Other Product");
  EXPECT_EQ(run.get("TARGETDIR"), program_files_folder() + "Other Product\\");
  EXPECT_EQ(run.get("ENGINECACHE"), engine_cache_root(true) + revision + "\\");
  EXPECT_EQ(run.get("NEWINSTANCE"), "FALSE");
  EXPECT_EQ(run.get("MAINTENANCE"), "FALSE");
}

// A short or empty instance file replaces what it has and leaves the rest.
TEST(InstanceBootstrapTest, AShortInstanceFileReplacesWhatItHas) {
  const test::PackageText package = package_with_new_codes("");
  const std::string product = new_guid_text();
  const struct {
    std::string text;
    std::string product_code, revision_code, title;
  } cases[] = {
      {"", package.product_code, package.revision_code, "Sample Product"},
      {product + "\r\n", product, package.revision_code, "Sample Product"},
      {product + "\r\n\r\nRenamed", product, package.revision_code, "Renamed"},
  };
  for (const auto& c : cases) {
    test::EngineRun run(package);
    test::write_file(run.folder().file("instance.dat"), c.text);
    ASSERT_TRUE(run.run());
    EXPECT_EQ(run.engine().instance.product_code, c.product_code) << c.text;
    EXPECT_EQ(run.engine().instance.revision_code, c.revision_code) << c.text;
    EXPECT_EQ(run.get("TITLE"), c.title) << c.text;
    EXPECT_EQ(run.get("NEWINSTANCE"), "FALSE") << c.text;
  }
}

// An earlier run of the same build saved its selections without
// installing: a fresh run starts from them, with the engine's component
// once.
TEST(InstanceBootstrapTest, AFreshRunStartsFromSelectionsAnEarlierRunLeft) {
  test::PackageText package = package_with_new_codes(
      "Define Component | Core | TRUE |\n"
      "Get Component State | Core | CORE\n");
  package.component_sizes = {"VRAK-PREDEF-COMPONENT", "10", "CORE", "20"};
  const CacheFolders cache(package.revision_code);
  test::write_file(cache.folder(true) + "setup.dat",
                   "VRAK-PREDEF-COMPONENT\r\nCore\r\n$\r\nTRUE\r\nFALSE\r\n$\r\n$\r\n$\r\n$\r\n$\r\n"
                   "D:\\Saved\\\r\nTRUE\r\nSaved Menu\r\n\r\nSERIAL\r\n42\r\nVRAK64WOW\r\nWin32\r\n");
  test::EngineRun run(package);
  ASSERT_TRUE(run.run());
  EXPECT_EQ(run.get("MAINTENANCE"), "FALSE");
  EXPECT_EQ(run.get("TARGETDIR"), "D:\\Saved\\");
  EXPECT_EQ(run.get("STARTMENU"), "Saved Menu");
  EXPECT_EQ(run.get("SERIAL"), "42");
  EXPECT_EQ(run.get("CORE"), "FALSE");
  EXPECT_EQ(run.engine().components.names, (List{"VRAK-PREDEF-COMPONENT", "Core"}));
  EXPECT_EQ(run.engine().components.required_space(), 10);
  EXPECT_EQ(run.engine().variables.persisted(), List{"SERIAL"});
}

TEST(InstanceBootstrapTest, AWebMediaBuildKeepsItsDataInTheEngineCache) {
  test::PackageText package = package_with_new_codes("");
  package.build_kind = "2";
  test::EngineRun run(package);
  ASSERT_TRUE(run.run());
  EXPECT_EQ(run.get("DATADIR"), run.get("ENGINECACHE"));
  EXPECT_EQ(run.engine().startup.data_folder, run.get("ENGINECACHE"));
}

// A patch run loads the installed product's selections and property list
// from the engine cache folder its uninstall registration names; the space
// the installed selection takes is already spent.
TEST(InstanceBootstrapTest, APatchRunLoadsTheInstalledProductsState) {
  test::PackageText package = package_with_new_codes(
      "Define Component | Core | FALSE |\n"
      "Get Component State | Core | CORE\n"
      "Get Component Space | | SPACE\n");
  package.product_title = "Quillmore Patch Test " + std::to_string(GetCurrentProcessId());
  package.component_sizes = {"VRAK-PREDEF-COMPONENT", "0", "CORE", "4096"};
  const std::string installed = new_guid_text();
  const CacheFolders cache(installed);
  const std::string uninstall_key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + package.product_title;
  test::set_text(HKEY_CURRENT_USER, KEY_WOW64_32KEY, uninstall_key, "UninstallString",
                 "\"" + cache.folder(false) + "setup.exe\" REMOVE=TRUE MODIFY=FALSE");
  test::write_file(cache.folder(false) + "setup.dat",
                   "VRAK-PREDEF-COMPONENT\r\nCore\r\n$\r\nTRUE\r\nTRUE\r\n$\r\n$\r\n$\r\n$\r\n$\r\n"
                   "C:\\Installed\\\r\nTRUE\r\nMenu\r\n\r\nVRAK64WOW\r\nWin32\r\n");
  test::write_file(cache.folder(true) + "setup.par", "AOLD\r\nTRUE\r\n");

  test::EngineRun run(package);
  CreateDirectoryA(run.engine().startup.support_folder.c_str(), nullptr);
  test::write_file(run.engine().startup.support_folder + "setup.msp", "");
  const bool ran = run.run();
  test::delete_key_tree(HKEY_CURRENT_USER, KEY_WOW64_32KEY, uninstall_key);
  ASSERT_TRUE(ran);

  EXPECT_EQ(run.engine().installed_revision_code, installed);
  EXPECT_EQ(run.get("TARGETDIR"), "C:\\Installed\\");
  EXPECT_EQ(run.get("CORE"), "TRUE");
  EXPECT_EQ(run.get("SPACE"), "0");
  EXPECT_EQ(run.engine().components.baseline, 4096);
  const std::vector<std::string>& pass_through = run.engine().properties.pass_through();
  ASSERT_GE(pass_through.size(), 2u);
  EXPECT_EQ(pass_through[0], "AOLD");
  EXPECT_EQ(pass_through[1], "TRUE");
}

// Without a registered engine copy a patch run has nothing to load.
TEST(InstanceBootstrapTest, APatchRunOfAProductWithoutARegistrationLoadsNothing) {
  test::PackageText package = package_with_new_codes("Get Component Space | | SPACE\n");
  package.product_title = "Quillmore Unregistered Test " + std::to_string(GetCurrentProcessId());
  test::EngineRun run(package);
  CreateDirectoryA(run.engine().startup.support_folder.c_str(), nullptr);
  test::write_file(run.engine().startup.support_folder + "setup.msp", "");
  ASSERT_TRUE(run.run());
  EXPECT_EQ(run.engine().installed_revision_code, "");
  EXPECT_EQ(run.engine().components.baseline, 0);
}

TEST(InstanceBootstrapTest, NewCodesAreUpperCaseGuidsInBraces) {
  const std::string first = new_guid_text();
  const std::string second = new_guid_text();
  EXPECT_NE(first, second);
  for (const std::string& code : {first, second}) {
    ASSERT_EQ(code.size(), 38u) << code;
    for (std::size_t i = 0; i < code.size(); ++i) {
      const char c = code[i];
      if (i == 0) EXPECT_EQ(c, '{');
      else if (i == 37) EXPECT_EQ(c, '}');
      else if (i == 9 || i == 14 || i == 19 || i == 24) EXPECT_EQ(c, '-');
      else EXPECT_TRUE((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')) << code;
    }
  }
}

}  // namespace
}  // namespace qm
