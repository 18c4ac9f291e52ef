// "Apply Changes" and "Apply Patch" with Windows Installer itself: real
// packages installed and removed, checked through Windows Installer's own
// state, the files and the registry.

#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/registry_view.h"
#include "platform/shell_folders.h"
#include "platform/windows_error.h"
#include "script/path_text.h"
#include "tests/support/engine_run.h"
#include "tests/support/script_text.h"
#include "tests/support/temp_folder.h"

#include <shlobj.h>

namespace qm {
namespace {

struct TestProduct {
  const char* database;  // in the test programs' folder
  const char* code;
  const char* folder;    // under Program Files
};

constexpr TestProduct kApplyProduct = {"apply_product.msi", "{5D1E3A7C-2B4F-4C86-9E0A-7F3B1C5D9E21}",
                                       "Quillmore Apply Test"};
constexpr TestProduct kRefusedProduct = {"refused_product.msi", "{9B5C7E1A-6F8D-4A0B-9C4E-3D7F5B9CBD65}",
                                         "Quillmore Refused Test"};
constexpr TestProduct kRebootProduct = {"reboot_product.msi", "{BD7E9A3C-8B0F-4C2D-9E6A-5F9B7DBEDF87}",
                                        "Quillmore Reboot Test"};
constexpr const char* kValueKey = "SOFTWARE\\Quillmore Tests\\Apply";

INSTALLSTATE product_state(const TestProduct& product) { return MsiQueryProductStateA(product.code); }

std::string installed_file(const TestProduct& product) {
  return platform::shell_folder(CSIDL_PROGRAM_FILES) + product.folder + "\\apply_product.txt";
}

std::string stored_value() {
  return platform::RegistryKey::open(HKEY_LOCAL_MACHINE, kValueKey, KEY_READ).read_string("Stored").value_or("<none>");
}

constexpr const char* kRevisionCode = "{AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}";
constexpr const char* kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr const char* kIdentityCacheKey = "SOFTWARE\\Brennivax\\Quillmore\\Ident.Cache\\";

// The engine cache of the test package (its revision code), for all users.
std::string cache_folder() {
  return platform::shell_folder(CSIDL_COMMON_APPDATA) + kRevisionCode + "\\";
}

// Whatever a test leaves installed or registered is removed again.
class ProductCleanup {
 public:
  explicit ProductCleanup(const TestProduct& product) : product_(product) { remove(); }
  ~ProductCleanup() { remove(); }

 private:
  void remove() {
    platform::remove_folder_tree(cache_folder());
    for (const std::string& key : {std::string(kUninstallKey) + "Sample Product", std::string(kUninstallKey) + product_.code,
                                  std::string(kIdentityCacheKey) + product_.code})
      platform::delete_registry_tree(HKEY_LOCAL_MACHINE, key, platform::RegistryView::kDefault);
    if (product_state(product_) == INSTALLSTATE_UNKNOWN) return;
    MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
    MsiConfigureProductA(product_.code, INSTALLLEVEL_DEFAULT, INSTALLSTATE_ABSENT);
  }
  const TestProduct& product_;
};

// A silent run of `script` with the product's package as setup.msi.
class ApplyRun {
 public:
  ApplyRun(const TestProduct& product, const std::string& script, const std::string& header_line = {}) {
    test::PackageText package = test::script_package(script);
    package.product_code = product.code;
    for (std::size_t i = 0; i < package.lines.size(); ++i)
      if (!header_line.empty() && package.lines[i].command == header_line)
        package.command_headers = {"7A01", std::to_string(i)};
    run_ = std::make_unique<test::EngineRun>(package);
    Engine& engine = run_->engine();
    test::copy_file(test::program_folder() + product.database, engine.startup.installer_database);
    // The engine cache keeps a copy of the running engine: any program stands in.
    test::copy_file(test::program_folder() + "test_program.exe", engine.startup.engine_path);
    CreateDirectoryA(engine.startup.data_folder.c_str(), nullptr);
    test::write_file(engine.startup.data_folder + product.code, "");
    // The engine marks packages as uncompressed: their files lie in folders
    // beside the package, as Windows Installer finds the source there.
    const std::string source = folder_of(engine.startup.installer_database) + product.folder + "\\";
    CreateDirectoryA(source.c_str(), nullptr);
    test::copy_file(test::program_folder() + "apply_product.txt", source + "apply_product.txt");
  }

  test::EngineRun& operator*() { return *run_; }
  test::EngineRun* operator->() { return run_.get(); }

 private:
  std::unique_ptr<test::EngineRun> run_;
};

TEST(ApplyChangesTest, InstallsWithTheRecordedValuesAndRemovesAgain) {
  ProductCleanup cleanup(kApplyProduct);
  const std::string value = "say \"hi\" [BRACKET] `tick` {brace} 100%";
  ApplyRun install(kApplyProduct,
                   "Write Registry | HKEY_LOCAL_MACHINE | | " + std::string(kValueKey) + " | Stored | " + value +
                       "\n"
                       "Apply Changes | progress | RESULT | TRUE | FALSE\n",
                   "Write Registry");
  install->engine().startup.trace_file = install->folder().file("install.log");
  ASSERT_TRUE(install->run());
  EXPECT_FALSE(install->outcome().failed) << install->outcome().error_report;
  EXPECT_EQ(install->get("RESULT"), "COMPLETE") << install->get("LASTERROR");
  EXPECT_EQ(install->get("LASTERROR"), "");
  EXPECT_EQ(product_state(kApplyProduct), INSTALLSTATE_DEFAULT);
  EXPECT_TRUE(platform::file_exists(installed_file(kApplyProduct)));
  EXPECT_EQ(stored_value(), value);
  // The property file lived only while Windows Installer ran.
  EXPECT_FALSE(platform::file_exists(install->engine().startup.temp_folder + kApplyProduct.code));
  const std::string log = test::read_trace(install->folder().file("install.log"));
  // Wine's installer writes its own log from the file's start instead of
  // appending, over the header's first line; the sections come later.
  for (const char* section : {"*** Variables ***", "*** Properties ***", "*** MSI Database ***", "*** GUID ***",
                              "*** Data Directory ***", "*** Media Directory ***", "*** MSI Directory ***"})
    EXPECT_NE(log.find(section), std::string::npos) << section;
  EXPECT_NE(log.find(std::string("*** GUID ***\r\n") + kApplyProduct.code), std::string::npos);
  // A first install takes its files from the data folder.
  EXPECT_NE(log.find("*** Data Directory ***\r\n" +
                     platform::short_path_form(install->engine().startup.data_folder) + "\r\n"),
            std::string::npos);

  // The engine cache holds what a maintenance run needs, and the product is
  // registered for removal through it.
  for (const char* file : {"setup.exe", "setup.msi", "setup.dat", "setup.par", "instance.dat"})
    EXPECT_TRUE(platform::file_exists(cache_folder() + file)) << file;
  const auto entry =
      platform::RegistryKey::open(HKEY_LOCAL_MACHINE, std::string(kUninstallKey) + "Sample Product", KEY_READ);
  EXPECT_EQ(entry.read_string("UninstallString").value_or(""),
            "\"" + cache_folder() + "setup.exe\" REMOVE=TRUE MODIFY=FALSE");
  EXPECT_EQ(entry.read_string("DisplayName").value_or(""), "Sample Product");

  ApplyRun remove(kApplyProduct, "Apply Changes | progress | RESULT | FALSE | TRUE\n");
  ASSERT_TRUE(remove->run());
  EXPECT_FALSE(remove->outcome().failed) << remove->outcome().error_report;
  EXPECT_FALSE(platform::folder_exists(cache_folder()));
  EXPECT_FALSE(platform::RegistryKey::open(HKEY_LOCAL_MACHINE, std::string(kUninstallKey) + "Sample Product", KEY_READ)
                   .valid());
  EXPECT_EQ(remove->get("RESULT"), "COMPLETE") << remove->get("LASTERROR");
  EXPECT_EQ(product_state(kApplyProduct), INSTALLSTATE_UNKNOWN);
  EXPECT_FALSE(platform::file_exists(installed_file(kApplyProduct)));
  EXPECT_EQ(stored_value(), "<none>");
}

TEST(ApplyChangesTest, RefusedPackageReportsTheInstallersError) {
  ProductCleanup cleanup(kRefusedProduct);
  ApplyRun run(kRefusedProduct, "Apply Changes | progress | RESULT | TRUE | FALSE\n");
  ASSERT_TRUE(run->run());
  EXPECT_EQ(run->get("RESULT"), "ERROR");
  std::string expected = platform::system_error_text(ERROR_INSTALL_FAILURE);
  while (!expected.empty() && (static_cast<unsigned char>(expected.back()) <= ' ' || expected.back() == '.'))
    expected.pop_back();
  EXPECT_EQ(run->get("LASTERROR"), expected);
  EXPECT_FALSE(run->get("LASTERROR").empty());
  EXPECT_EQ(product_state(kRefusedProduct), INSTALLSTATE_UNKNOWN);
  EXPECT_FALSE(platform::file_exists(installed_file(kRefusedProduct)));
}

TEST(ApplyChangesTest, RestartRequestReportsReboot) {
  ProductCleanup cleanup(kRebootProduct);
  ApplyRun run(kRebootProduct, "Apply Changes | progress | RESULT | TRUE | FALSE\n");
  ASSERT_TRUE(run->run());
  EXPECT_EQ(run->get("RESULT"), "REBOOT") << run->get("LASTERROR");
  EXPECT_EQ(run->get("REBOOTCOMPUTER"), "TRUE");
  EXPECT_EQ(product_state(kRebootProduct), INSTALLSTATE_DEFAULT);
}

// Adds a row to the Property table of a package.
void add_property(const std::string& package, const std::string& name, const std::string& value) {
  MSIHANDLE database = 0;
  ASSERT_EQ(MsiOpenDatabaseA(package.c_str(), MSIDBOPEN_TRANSACT, &database), ERROR_SUCCESS);
  MSIHANDLE view = 0;
  ASSERT_EQ(MsiDatabaseOpenViewA(database, "INSERT INTO `Property` (`Property`, `Value`) VALUES (?, ?)", &view),
            ERROR_SUCCESS);
  const MSIHANDLE record = MsiCreateRecord(2);
  MsiRecordSetStringA(record, 1, name.c_str());
  MsiRecordSetStringA(record, 2, value.c_str());
  EXPECT_EQ(MsiViewExecute(view, record), ERROR_SUCCESS);
  MsiCloseHandle(record);
  MsiCloseHandle(view);
  EXPECT_EQ(MsiDatabaseCommit(database), ERROR_SUCCESS);
  MsiCloseHandle(database);
}

// The user's cancel reaches Windows Installer once the files are copied:
// the product is not installed. The test product pauses after its files (the test
// program sleeping), and Wine's installer takes the cancel at the custom
// action that follows.
TEST(ApplyChangesTest, CancelDuringInstallationRollsBack) {
  ProductCleanup cleanup(kApplyProduct);
  ApplyRun run(kApplyProduct, "Apply Changes | progress | RESULT | TRUE | FALSE\n");
  Engine& engine = run->engine();
  add_property(engine.startup.installer_database, "QMPAUSEPROGRAM", test::program_folder() + "test_program.exe");
  std::atomic<bool> finished{false};
  std::atomic<bool> cancelled_with_files{false};
  std::thread canceller([&] {
    while (!finished) {
      if (platform::file_exists(installed_file(kApplyProduct))) {
        engine.cancel_requested = true;
        engine.apply_cancelled = true;
        cancelled_with_files = true;
        return;
      }
      Sleep(1);
    }
  });
  const bool ran = run->run();
  finished = true;
  canceller.join();
  ASSERT_TRUE(ran);
  ASSERT_TRUE(cancelled_with_files);
  EXPECT_EQ(run->get("RESULT"), "CANCEL");
  EXPECT_EQ(product_state(kApplyProduct), INSTALLSTATE_UNKNOWN);
  EXPECT_EQ(stored_value(), "<none>");
  // Wine's installer ends a cancelled script without running its rollback
  // script, so the copied file stays there (Windows takes it away).
  DeleteFileA(installed_file(kApplyProduct).c_str());
  RemoveDirectoryA(folder_of(installed_file(kApplyProduct)).c_str());
}

TEST(ApplyChangesTest, MissingMediaInMaintenanceEndInCancel) {
  ApplyRun run(kApplyProduct,
               "Set Variable | $MAINTENANCE$ | TRUE\n"
               "Apply Changes | progress | RESULT | TRUE | FALSE\n");
  DeleteFileA((run->engine().startup.data_folder + kApplyProduct.code).c_str());
  ASSERT_TRUE(run->run());
  EXPECT_EQ(run->get("RESULT"), "CANCEL");
  EXPECT_EQ(run->get("LASTERROR"), "Original setup sources required to complete operation, sources not found");
  EXPECT_EQ(product_state(kApplyProduct), INSTALLSTATE_UNKNOWN);
}

TEST(ApplyChangesTest, MissingPatchReportsError) {
  ApplyRun run(kApplyProduct, "Apply Patch | RESULT | | FALSE\n");
  ASSERT_TRUE(run->run());
  EXPECT_EQ(run->get("RESULT"), "ERROR");
  EXPECT_FALSE(run->get("LASTERROR").empty());
}

}  // namespace
}  // namespace qm
