// "Install ODBC Driver", "Create ODBC DSN" and "Install Assembly" end to
// end: the lines change nothing themselves, but their flag properties let
// Windows Installer register the driver and the data source that the
// product's database carries (ODBCDriver and ODBCDataSource, conditioned on
// the lines' flags), and the assembly line's recorded folder reaches it.
// Checked in the real registry, where the ODBC installer keeps them; the
// data source is added by the setup library of a pretend driver of ours
// (tests/commands/system/test_odbc_setup.cpp), which the test registers.

#include <gtest/gtest.h>

#include <windows.h>
#include <msi.h>

#include <optional>
#include <string>

#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/registry_view.h"
#include "tests/support/installed_product.h"
#include "tests/support/started_program.h"
#include "tests/support/temp_folder.h"

namespace qm {
namespace {

constexpr const char* kProductCode = "{5B1E3C7A-9D24-4F08-A6B3-1C5E7A9D3F20}";
constexpr const char* kDriverKey = "SOFTWARE\\ODBC\\ODBCINST.INI\\Quill Test Driver";
constexpr const char* kSetupDriverKey = "SOFTWARE\\ODBC\\ODBCINST.INI\\Quill Test Setup Driver";
constexpr const char* kSourceKey = "SOFTWARE\\ODBC\\ODBC.INI\\Quill Test Source";
constexpr const char* kProductKey = "SOFTWARE\\Brennivax\\Odbc Product";

std::string setup_program() { return test::program_folder() + "..\\setups\\odbc\\setup.exe"; }
std::string report_file() { return test::system_temp_folder() + "Odbc Product setup.txt"; }

void remove_product() {
  test::remove_installed_product(kProductCode, "Odbc Product");
  for (const char* key : {kDriverKey, kSourceKey, kProductKey})
    platform::delete_registry_tree(HKEY_LOCAL_MACHINE, key, platform::RegistryView::kDefault);
  DeleteFileA(report_file().c_str());
}

// A value of a key of the machine's; nothing when the key is missing.
std::optional<std::string> machine_value(const char* key_path, const char* name) {
  const platform::RegistryKey key = platform::RegistryKey::open(HKEY_LOCAL_MACHINE, key_path, KEY_READ);
  if (!key.valid()) return std::nullopt;
  return key.read_string(name);
}

// The pretend driver whose setup library adds data sources, registered as
// the ODBC installer registers drivers.
class SetupDriver {
 public:
  SetupDriver() {
    const std::string library = test::program_folder() + "test_odbc_setup.dll";
    const platform::RegistryKey key = platform::RegistryKey::create(HKEY_LOCAL_MACHINE, kSetupDriverKey, KEY_WRITE);
    key.write_string("Driver", library);
    key.write_string("Setup", library);
  }
  ~SetupDriver() {
    platform::delete_registry_tree(HKEY_LOCAL_MACHINE, kSetupDriverKey, platform::RegistryView::kDefault);
  }
  SetupDriver(const SetupDriver&) = delete;
  SetupDriver& operator=(const SetupDriver&) = delete;
};

class OdbcSetupTest : public ::testing::Test {
 protected:
  void SetUp() override { remove_product(); }
  void TearDown() override { remove_product(); }
};

TEST_F(OdbcSetupTest, WhatIsRegisteredFollowsTheLinesThatRan) {
  const SetupDriver setup_driver;
  const struct Case {
    const char* arguments;
    bool driver;
    bool source;
  } cases[] = {{"/s with-driver", true, false}, {"/s with-source", false, true},
               {"/s with-driver with-source", true, true}, {"/s", false, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    EXPECT_EQ(test::run_and_wait("\"" + setup_program() + "\" " + c.arguments), 0u);
    EXPECT_EQ(test::read_file(report_file()), "COMPLETE \r\n");
    const std::optional<std::string> driver = machine_value(kDriverKey, "Driver");
    EXPECT_EQ(driver.has_value(), c.driver);
    if (driver) {
      EXPECT_TRUE(driver->ends_with("\\Quillmore Odbc Test\\quilldrv.dll")) << *driver;
    }
    // The folder as the line recorded it: expanded and normalized.
    EXPECT_EQ(machine_value(kProductKey, "AssemblyFolder").value_or("(none)"), "C:\\Quill\\Assemblies\\");
    const std::optional<std::string> source_driver = machine_value(kSourceKey, "Driver");
    EXPECT_EQ(source_driver.has_value(), c.source);
    if (source_driver) {
      EXPECT_TRUE(source_driver->ends_with("test_odbc_setup.dll")) << *source_driver;
    }
    test::uninstall_product(kProductCode);
    EXPECT_FALSE(machine_value(kDriverKey, "Driver").has_value()) << "removing the product removes its driver";
    EXPECT_FALSE(machine_value(kSourceKey, "Driver").has_value()) << "and its data source";
    remove_product();
  }
}

}  // namespace
}  // namespace qm
