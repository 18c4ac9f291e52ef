// The whole life of an installed product, as a user and an administrator
// live it: the demo product's setup.exe installs it silently, the engine
// kept in its engine cache changes the selection and repairs it, the
// uninstall entry's own command removes it; a 1.1 build upgrades it; a
// package that asks for a restart ends the run with 3010. Checked through
// Windows Installer's state, the files, the registry and the uninstall entry.

#include <windows.h>
#include <msi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/registry_view.h"
#include "platform/shell_folders.h"
#include "script/path_text.h"
#include "script/text_lines.h"
#include "tests/support/message_box.h"
#include "tests/support/installed_product.h"
#include "tests/support/registry_keys.h"
#include "tests/support/started_program.h"
#include "tests/support/temp_folder.h"
#include "tests/support/wizard_driver.h"

namespace qm {
namespace {

constexpr const char* kDemoCode = "{6F1C2A0B-3D4E-4F50-8A61-72B3C4D5E6F7}";
constexpr const char* kDemoRevision = "{0D9E8F7A-6B5C-4D3E-9F2A-1B0C9D8E7F6A}";
constexpr const char* kDemo11Revision = "{A0388E49-7BF1-4C52-8E01-A90660EC4BE3}";
constexpr const char* kRebootRevision = "{4DAF6B20-8C3E-4F97-B1D5-0E2A4C6F8B3A}";
constexpr const char* kCancelRevision = "{92F4B1D5-A03C-4E68-87F9-3D5B7F9A1C2E}";
constexpr const char* kTargetFolder = "C:\\Program Files\\Brennivax\\Sample Product\\";
constexpr const char* kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr const char* kIdentityCacheKey = "SOFTWARE\\Brennivax\\Quillmore\\Ident.Cache\\";

// The setup folders the build makes beside the test programs' folder, as a
// full path without ".." (the wizard driver knows a setup by its path).
std::string setup_of(const std::string& name) {
  const std::string path = test::program_folder() + "..\\setups\\" + name + "\\setup.exe";
  char full[MAX_PATH] = {};
  GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
  return full;
}

std::string cache_root() { return platform::shell_folder(CSIDL_COMMON_APPDATA); }

std::string quoted(const std::string& path) { return "\"" + path + "\""; }

// The last line the demo script wrote about its apply: mode, version, result.
std::string last_apply_report(const std::string& title) {
  std::string text = test::read_file(test::system_temp_folder() + title + " setup.txt");
  while (text.ends_with('\n') || text.ends_with('\r')) text.pop_back();
  return text.substr(text.find_last_of('\n') + 1);
}

// A component's state as a selection file keeps it: the names, a "$" line,
// then the states in the same order.
std::string kept_state(const std::string& selection_file, const std::string& component) {
  const std::vector<std::string> lines = split_lines(test::read_file(selection_file));
  const auto separator = std::find(lines.begin(), lines.end(), "$");
  const auto name = std::find(lines.begin(), separator, component);
  if (name == separator) return "<not kept>";
  const std::size_t state = static_cast<std::size_t>(separator - lines.begin()) + 1 + (name - lines.begin());
  return state < lines.size() ? lines[state] : "<not kept>";
}

std::string uninstall_value(const std::string& title, const char* name) {
  return test::text_value(HKEY_LOCAL_MACHINE, 0, kUninstallKey + title, name).value_or("<none>");
}

// Removes a product and everything the engine kept for it.
void remove_everything(const char* code, const std::string& title) {
  test::remove_installed_product(code, title);
  // The cache folders of the test products, and folders moved aside because
  // their engine was running.
  for (const char* revision : {kDemoRevision, kDemo11Revision, kRebootRevision, kCancelRevision})
    platform::remove_folder_tree(cache_root() + revision, 3);
  for (int n = 0; n < 10; ++n) platform::remove_folder_tree(cache_root() + "~" + std::to_string(n), 3);
  DeleteFileA((test::system_temp_folder() + title + " setup.txt").c_str());
}

class DemoLifecycleTest : public ::testing::Test {
 protected:
  void SetUp() override { remove_everything(kDemoCode, "Sample Product"); }
  void TearDown() override {
    remove_everything(kDemoCode, "Sample Product");
    platform::remove_folder_tree(kTargetFolder, 3);
  }
};

TEST_F(DemoLifecycleTest, InstallChangeRepairRemove) {
  // A first install without the help pages: the line that installs them is skipped.
  ASSERT_EQ(test::run_and_wait(quoted(setup_of("demo")) + " /s INSTALLTYPE=Custom"), 0u);
  EXPECT_EQ(last_apply_report("Sample Product"), "install 1.0.0: COMPLETE ");
  EXPECT_EQ(MsiQueryProductStateA(kDemoCode), INSTALLSTATE_DEFAULT);
  const std::string target = kTargetFolder;
  EXPECT_TRUE(platform::file_exists(target + "readme.txt"));
  EXPECT_FALSE(platform::file_exists(target + "Help\\help.txt"));
  EXPECT_TRUE(platform::folder_exists(target + "Logs"));
  EXPECT_EQ(test::text_value(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, "SOFTWARE\\Brennivax\\Sample Product", "InstallFolder"),
            target);
  EXPECT_NE(test::read_file(target + "sample.ini").find("Install Type=Custom"), std::string::npos);
  EXPECT_EQ(test::text_value(HKEY_CURRENT_USER, 0, "Environment", "SAMPLE_PRODUCT_HOME"), target);
  EXPECT_TRUE(platform::file_exists(platform::shell_folder(CSIDL_COMMON_PROGRAMS) +
                                    "Sample Product\\Sample Product Readme.lnk") ||
              platform::file_exists(platform::shell_folder(CSIDL_PROGRAMS) +
                                    "Sample Product\\Sample Product Readme.lnk"));

  // The uninstall entry and the engine cache it points into.
  EXPECT_EQ(kept_state(cache_root() + kDemoRevision + "\\setup.dat", "Program\\Help"), "FALSE");
  const std::string cache = cache_root() + kDemoRevision + "\\";
  for (const char* file : {"setup.exe", "setup.msi", "setup.res", "qvx.lib", "setup.dat", "setup.par", "instance.dat"})
    EXPECT_TRUE(platform::file_exists(cache + file)) << file;
  EXPECT_EQ(uninstall_value("Sample Product", "DisplayName"), "Sample Product");
  EXPECT_EQ(uninstall_value("Sample Product", "ModifyPath"), cache + "setup.exe");
  const std::string uninstall = uninstall_value("Sample Product", "UninstallString");
  EXPECT_EQ(uninstall, quoted(cache + "setup.exe") + " REMOVE=TRUE MODIFY=FALSE");
  EXPECT_EQ(test::text_value(HKEY_LOCAL_MACHINE, 0, kIdentityCacheKey + std::string(kDemoCode), ""), cache);

  // The cached engine finds the product installed. Without its media a
  // silent change ends in CANCEL; pointed at them, it changes the selection.
  ASSERT_EQ(test::run_and_wait(quoted(cache + "setup.exe") + " /s INSTALLTYPE=Typical"), 0u);
  EXPECT_EQ(last_apply_report("Sample Product"),
            "modify 1.0.0: CANCEL Original setup sources required to complete operation, sources not found");
  EXPECT_FALSE(platform::file_exists(target + "Help\\help.txt"));
  // (A folder without its final backslash: before a closing quote it would
  // escape the quote.)
  std::string media_folder = folder_of(setup_of("demo"));
  media_folder.pop_back();
  const std::string media = quoted("/p=" + media_folder);
  ASSERT_EQ(test::run_and_wait(quoted(cache + "setup.exe") + " /s " + media + " INSTALLTYPE=Typical"), 0u);
  EXPECT_EQ(last_apply_report("Sample Product"), "modify 1.0.0: COMPLETE ");
  EXPECT_NE(test::read_file(target + "sample.ini").find("Install Type=Typical"), std::string::npos);
  // The new selection is kept for the next run. (Wine's installer does not
  // add a component whose condition became true in a reinstall, so the help
  // pages themselves stay away under Wine.)
  EXPECT_EQ(kept_state(cache + "setup.dat", "Program\\Help"), "TRUE");

  // A repair brings back a file the user deleted.
  ASSERT_TRUE(DeleteFileA((target + "readme.txt").c_str()));
  ASSERT_EQ(test::run_and_wait(quoted(cache + "setup.exe") + " /s " + media + " REPAIR=TRUE"), 0u);
  EXPECT_EQ(last_apply_report("Sample Product"), "repair 1.0.0: COMPLETE ");
  EXPECT_TRUE(platform::file_exists(target + "readme.txt"));

  // The uninstall entry's own command removes the product and the engine's traces.
  ASSERT_EQ(test::run_and_wait(uninstall + " /s"), 0u);
  EXPECT_EQ(last_apply_report("Sample Product"), "remove 1.0.0: COMPLETE ");
  EXPECT_EQ(MsiQueryProductStateA(kDemoCode), INSTALLSTATE_UNKNOWN);
  EXPECT_FALSE(platform::file_exists(target + "readme.txt"));
  EXPECT_FALSE(platform::file_exists(target + "Help\\help.txt"));
  EXPECT_FALSE(test::text_value(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, "SOFTWARE\\Brennivax\\Sample Product",
                                "InstallFolder"));
  EXPECT_FALSE(test::text_value(HKEY_CURRENT_USER, 0, "Environment", "SAMPLE_PRODUCT_HOME"));
  EXPECT_FALSE(platform::folder_exists(cache));
  EXPECT_EQ(uninstall_value("Sample Product", "UninstallString"), "<none>");
  EXPECT_FALSE(test::text_value(HKEY_LOCAL_MACHINE, 0, kIdentityCacheKey + std::string(kDemoCode), ""));
}

TEST_F(DemoLifecycleTest, NewerBuildUpgradesTheInstalledOne) {
  ASSERT_EQ(test::run_and_wait(quoted(setup_of("demo")) + " /s"), 0u);
  ASSERT_EQ(MsiQueryProductStateA(kDemoCode), INSTALLSTATE_DEFAULT);

  ASSERT_EQ(test::run_and_wait(quoted(setup_of("demo_1_1")) + " /s"), 0u);
  EXPECT_EQ(last_apply_report("Sample Product"), "upgrade 1.1.0: COMPLETE ");
  EXPECT_EQ(MsiQueryProductStateA(kDemoCode), INSTALLSTATE_DEFAULT);
  char version[64] = {};
  DWORD size = sizeof version;
  EXPECT_EQ(MsiGetProductInfoA(kDemoCode, INSTALLPROPERTY_VERSIONSTRING, version, &size), ERROR_SUCCESS);
  EXPECT_STREQ(version, "1.1.0");
  // One product of this upgrade code is installed.
  char related[39] = {};
  EXPECT_EQ(MsiEnumRelatedProductsA("{0A1B2C3D-1111-2222-3333-444455556666}", 0, 0, related), ERROR_SUCCESS);
  EXPECT_STREQ(related, kDemoCode);
  EXPECT_EQ(MsiEnumRelatedProductsA("{0A1B2C3D-1111-2222-3333-444455556666}", 0, 1, related), ERROR_NO_MORE_ITEMS);
  // The uninstall entry now starts the newer build's engine.
  EXPECT_EQ(uninstall_value("Sample Product", "UninstallString"),
            quoted(cache_root() + kDemo11Revision + "\\setup.exe") + " REMOVE=TRUE MODIFY=FALSE");
}

// A first install as a user makes it: every page of the wizard, a folder of
// the user's choice.
TEST_F(DemoLifecycleTest, InstallThroughTheWizard) {
  const std::string chosen = "C:\\Program Files\\Brennivax\\Chosen Place\\";
  test::StartedProgram setup(quoted(setup_of("demo")));
  test::WizardDriver wizard(setup_of("demo"));
  const auto user = [&] {
    ASSERT_TRUE(wizard.wait_for_page("Title"));
    wizard.click("Next");
    ASSERT_TRUE(wizard.wait_for_page("LicenseText"));
    wizard.tick("Accept");
    wizard.click("Next");
    ASSERT_TRUE(wizard.wait_for_page("Folder"));
    wizard.type("Folder", chosen);
    wizard.click("Next");
    ASSERT_TRUE(wizard.wait_for_page("Features"));
    wizard.click("Next");
    ASSERT_TRUE(wizard.wait_for_page("Summary"));
    wizard.click("Next");
    // The progress page, then the last page once Windows Installer is done.
    ASSERT_TRUE(wizard.wait_for_page("Progress"));
    for (int wait = 0; wait < 600 && wizard.control("Progress") && IsWindowVisible(wizard.page()); ++wait) Sleep(100);
    ASSERT_TRUE(wizard.wait_for_page("Body"));
    ASSERT_EQ(wizard.text("Next"), "&Finish");
    wizard.click("Next");
  };
  user();
  if (HasFatalFailure()) setup.end();
  EXPECT_EQ(setup.wait(), 0u);
  EXPECT_EQ(last_apply_report("Sample Product"), "install 1.0.0: COMPLETE ");
  EXPECT_EQ(MsiQueryProductStateA(kDemoCode), INSTALLSTATE_DEFAULT);
  EXPECT_TRUE(platform::file_exists(chosen + "readme.txt"));
  EXPECT_TRUE(platform::file_exists(chosen + "Help\\help.txt"));
  EXPECT_EQ(uninstall_value("Sample Product", "InstallLocation"), chosen);
  remove_everything(kDemoCode, "Sample Product");
  platform::remove_folder_tree(chosen, 3);
}

TEST(RebootSetupTest, RestartRequestEndsTheRunWith3010AndValuesArriveExactly) {
  constexpr const char* kCode = "{3C9E5A1F-7B2D-4E86-A0C4-9D1F3B5E7A29}";
  remove_everything(kCode, "Reboot Product");
  EXPECT_EQ(test::run_and_wait(quoted(setup_of("reboot")) + " /s"), 3010u);
  EXPECT_EQ(last_apply_report("Reboot Product"), "REBOOT TRUE ");
  EXPECT_EQ(MsiQueryProductStateA(kCode), INSTALLSTATE_DEFAULT);
  EXPECT_EQ(test::text_value(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, "SOFTWARE\\Quillmore Tests\\Reboot", "Stored"),
            "it's \"quoted\" [NOTAPROPERTY] ` 100% {x}");
  remove_everything(kCode, "Reboot Product");
  platform::delete_registry_tree(HKEY_LOCAL_MACHINE, "SOFTWARE\\Quillmore Tests", platform::RegistryView::kDefault);
}

// The user cancels on the progress page once the files are copied: the
// confirmation, then Windows Installer ends the installation and the script
// learns CANCEL. (Wine's installer takes the cancel at the custom action
// after its pause, and leaves the copied file, which Windows rolls back.)
TEST(CancelSetupTest, CancelOnTheProgressPageEndsInCancel) {
  constexpr const char* kCode = "{81E3A0C4-9F2B-4D57-B6E8-2C4A6E8F0B1D}";
  const std::string installed = platform::shell_folder(CSIDL_PROGRAM_FILES) + "Quillmore Cancel Test\\readme.txt";
  remove_everything(kCode, "Cancel Product");
  test::StartedProgram setup(quoted(setup_of("cancel")) + " " +
                             quoted("QMPAUSEPROGRAM=" + test::program_folder() + "test_program.exe"));
  test::WizardDriver wizard(setup_of("cancel"));
  const auto user = [&] {
    ASSERT_TRUE(wizard.wait_for_page("Progress"));
    for (int wait = 0; wait < 600 && !platform::file_exists(installed); ++wait) Sleep(100);
    ASSERT_TRUE(platform::file_exists(installed)) << "the files were never copied";
    PostMessageA(wizard.control("Cancel"), BM_CLICK, 0, 0);
    const test::SeenMessageBox confirmation = test::answer_message_box("Cancel Product - Quillmore Wizard", IDYES);
    EXPECT_EQ(confirmation.text, "Are you sure you want to cancel?");
  };
  user();
  if (HasFatalFailure()) setup.end();
  EXPECT_EQ(setup.wait(), 0u);
  // LASTERROR holds Windows Installer's word for the cancelled installation.
  EXPECT_TRUE(last_apply_report("Cancel Product").starts_with("CANCEL ")) << last_apply_report("Cancel Product");
  EXPECT_EQ(MsiQueryProductStateA(kCode), INSTALLSTATE_UNKNOWN);
  remove_everything(kCode, "Cancel Product");
  DeleteFileA(installed.c_str());
  RemoveDirectoryA(folder_of(installed).c_str());
}

}  // namespace
}  // namespace qm
