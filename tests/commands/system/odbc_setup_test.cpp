// "Install ODBC Driver" end to end: the line changes nothing itself, but its
// flag property lets Windows Installer register the driver that the
// product's database carries (ODBCDriver, conditioned on the line's flag).
// Checked in the real registry, where the ODBC installer keeps its drivers.

#include <gtest/gtest.h>

#include <windows.h>
#include <msi.h>

#include <optional>
#include <string>

#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/registry_view.h"
#include "tests/support/started_program.h"
#include "tests/support/temp_folder.h"

namespace qm {
namespace {

constexpr const char* kProductCode = "{5B1E3C7A-9D24-4F08-A6B3-1C5E7A9D3F20}";
constexpr const char* kDriverKey = "SOFTWARE\\ODBC\\ODBCINST.INI\\Quill Test Driver";

std::string setup_program() { return test::program_folder() + "..\\setups\\odbc\\setup.exe"; }
std::string report_file() { return test::system_temp_folder() + "Odbc Product setup.txt"; }

void remove_product() {
  if (MsiQueryProductStateA(kProductCode) != INSTALLSTATE_UNKNOWN) {
    MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
    MsiConfigureProductA(kProductCode, INSTALLLEVEL_DEFAULT, INSTALLSTATE_ABSENT);
  }
  for (const std::string& key : {std::string("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Odbc Product"),
                                 std::string("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\") + kProductCode,
                                 std::string("SOFTWARE\\Brennivax\\Quillmore\\Ident.Cache\\") + kProductCode,
                                 std::string(kDriverKey)})
    platform::delete_registry_tree(HKEY_LOCAL_MACHINE, key, platform::RegistryView::kDefault);
  DeleteFileA(report_file().c_str());
}

// The driver's library as the ODBC installer registered it; nothing when it
// is not registered.
std::optional<std::string> registered_driver() {
  const platform::RegistryKey key = platform::RegistryKey::open(HKEY_LOCAL_MACHINE, kDriverKey, KEY_READ);
  if (!key.valid()) return std::nullopt;
  return key.read_string("Driver");
}

class OdbcSetupTest : public ::testing::Test {
 protected:
  void SetUp() override { remove_product(); }
  void TearDown() override { remove_product(); }
};

TEST_F(OdbcSetupTest, TheDriverIsRegisteredWhenItsLineRan) {
  const struct Case {
    const char* arguments;
    bool registered;
  } cases[] = {{"/s with-driver", true}, {"/s", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    EXPECT_EQ(test::run_and_wait("\"" + setup_program() + "\" " + c.arguments), 0u);
    EXPECT_EQ(test::read_file(report_file()), "COMPLETE \r\n");
    const std::optional<std::string> driver = registered_driver();
    EXPECT_EQ(driver.has_value(), c.registered);
    if (driver) {
      EXPECT_TRUE(driver->ends_with("\\Quillmore Odbc Test\\quilldrv.dll")) << *driver;
    }
    remove_product();
    EXPECT_FALSE(registered_driver().has_value()) << "removing the product removes its driver";
  }
}

}  // namespace
}  // namespace qm
