// The demo product (samples/demo, and samples/demo-1.1 for its upgrade)
// installed by Windows Installer under Wine with the properties its script's
// lines record, written into the installer property file by hand as the
// engine writes it: every kind of change lands where the values say, the
// 1.1 build upgrades 1.0 in place, and removal takes everything away.

#include <gtest/gtest.h>

#include <windows.h>
#include <msi.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/registry_keys.h"
#include "tests/support/temp_folder.h"

namespace qm {
namespace {

constexpr const char* kProductCode = "{6F1C2A0B-3D4E-4F50-8A61-72B3C4D5E6F7}";
constexpr const char* kUpgradeRevision = "{A0388E49-7BF1-4C52-8E01-A90660EC4BE3}";
constexpr const char* kValueKey = "SOFTWARE\\Brennivax\\Quillmore Demo Test";

std::string setup_package(const char* setup) { return test::program_folder() + "..\\setups\\" + setup + "\\setup.msi"; }

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string product_info(const char* attribute) {
  char text[260] = {};
  DWORD size = sizeof text;
  if (MsiGetProductInfoA(kProductCode, attribute, text, &size) != ERROR_SUCCESS) return {};
  return text;
}

std::string file_text(const std::string& path) { return exists(path) ? test::read_file(path) : std::string(); }

// What the demo script records in a run that chose the folder `target` and
// kept both parts, in the order the engine writes it.
std::string recorded_properties(const std::string& target, const std::string& menu) {
  const std::vector<std::pair<std::string, std::string>> properties{
      {"A1A0F", "TRUE"},         {"P1A0F_1", target},
      {"A1A1F", "TRUE"},         {"P1A1F_1", target + "Help\\"},
      {"A3F2A", "TRUE"},         {"P3F2A_1", kValueKey},
      {"P3F2A_2", "InstallFolder"}, {"P3F2A_3", target},
      {"A4C0F", "TRUE"},         {"P4C0F_1", target + "Logs\\"},
      {"A5D0F", "TRUE"},         {"P5D0F_1", menu},
      {"P5D0F_2", target + "readme.txt"}, {"P5D0F_3", ""},
      {"P5D0F_4", target},       {"A6E0F", "TRUE"},
      {"P6E0F_1", target},       {"P6E0F_2", "Settings"},
      {"P6E0F_3", "Install Type"}, {"P6E0F_4", "Typical"},
      {"A7F0F", "TRUE"},         {"P7F0F_1", target},
      {"TARGETDIR", target}};
  std::string text;
  for (const auto& [name, value] : properties) text += name + "\r\n" + value + "\r\n$ex\r\n";
  return text;
}

// Removes the demo product on every way out, with the properties of the
// engine run (its removal, too, reads the property file through MSINTEMP).
class InstalledDemo {
 public:
  explicit InstalledDemo(std::string engine_run) : engine_run_(std::move(engine_run)) {
    MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
  }
  ~InstalledDemo() {
    remove();
    test::delete_key_tree(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, kValueKey);
  }
  InstalledDemo(const InstalledDemo&) = delete;
  InstalledDemo& operator=(const InstalledDemo&) = delete;

  UINT remove() {
    if (MsiQueryProductStateA(kProductCode) != INSTALLSTATE_DEFAULT) return ERROR_UNKNOWN_PRODUCT;
    return MsiConfigureProductExA(kProductCode, INSTALLLEVEL_DEFAULT, INSTALLSTATE_ABSENT, engine_run_.c_str());
  }

 private:
  std::string engine_run_;
};

std::optional<std::string> environment_value() {
  return test::text_value(HKEY_CURRENT_USER, KEY_WOW64_32KEY, "Environment", "SAMPLE_PRODUCT_HOME");
}

TEST(DemoProductTest, InstallUpgradeAndRemove) {
  ASSERT_NE(MsiQueryProductStateA(kProductCode), INSTALLSTATE_DEFAULT) << "the demo product is installed already";
  test::TempFolder engine_temp;
  test::TempFolder folders;
  const std::string target = folders.path() + "Sample Product\\";
  const std::string menu = folders.path() + "Menu\\Sample Product\\";
  test::write_file(engine_temp.file(kProductCode), recorded_properties(target, menu));
  const std::string engine_run = "MSINTEMP=\"" + engine_temp.path() + "\" ";
  InstalledDemo demo(engine_run);

  ASSERT_EQ(MsiInstallProductA(setup_package("demo").c_str(), (engine_run + "ADDLOCAL=ALL").c_str()),
            static_cast<UINT>(ERROR_SUCCESS));
  EXPECT_TRUE(exists(target + "readme.txt"));
  EXPECT_TRUE(exists(target + "Help\\help.txt"));
  EXPECT_TRUE(exists(target + "Logs"));
  EXPECT_FALSE(exists(target + "whatsnew.txt"));
  EXPECT_EQ(test::text_value(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, kValueKey, "InstallFolder"), target);
  EXPECT_EQ(file_text(target + "sample.ini"), "[Settings]\r\nInstall Type=Typical\r\n");
  EXPECT_EQ(environment_value(), target);
  EXPECT_TRUE(exists(menu + "Sample Product Readme.lnk"));
  EXPECT_EQ(product_info("VersionString"), "1.0.0");

  // The 1.1 build, as the engine installs it over an older package code.
  ASSERT_EQ(MsiInstallProductA(setup_package("demo_1_1").c_str(),
                               (engine_run + "REINSTALL=ALL REINSTALLMODE=vomus").c_str()),
            static_cast<UINT>(ERROR_SUCCESS));
  EXPECT_EQ(product_info("VersionString"), "1.1.0");
  EXPECT_EQ(product_info("PackageCode"), kUpgradeRevision) << "the package code is the 1.1 build's revision code";
  EXPECT_TRUE(exists(target + "whatsnew.txt")) << "the upgrade adds what 1.1 brings";
  EXPECT_TRUE(exists(target + "readme.txt"));

  ASSERT_EQ(demo.remove(), static_cast<UINT>(ERROR_SUCCESS));
  EXPECT_FALSE(exists(target)) << "files, the INI file and the created folder are gone";
  EXPECT_FALSE(exists(menu)) << "the shortcut and its folder are gone";
  EXPECT_FALSE(test::key_exists(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, kValueKey));
  EXPECT_EQ(environment_value(), std::nullopt);
}

}  // namespace
}  // namespace qm
