// The product database's own custom action at work: the probe product
// (tests/actions/fixtures/probe, built by the setup build tool with the
// action library) installed for this user by Windows Installer under Wine,
// after an installer property file was written by hand as the engine writes
// it. Every test removes what it installed.

#include <gtest/gtest.h>

#include <windows.h>
#include <msi.h>
#include <msidefs.h>
#include <msiquery.h>
#include <shlobj.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/support/registry_keys.h"
#include "tests/support/temp_folder.h"

namespace qm {
namespace {

constexpr const char* kProductCode = "{58C78085-7D1B-4A87-B91E-F471212C5669}";
constexpr const char* kValuesKey = "Software\\Brennivax\\Actions Probe";
// The probe's Write Registry line has the header AC710001.
constexpr const char* kLineFlag = "AAC710001";
constexpr const char* kLineValue = "PAC710001_3";

std::string built_package() { return test::program_folder() + "..\\setups\\actions_probe\\setup.msi"; }

std::string default_install_folder() {
  char folder[MAX_PATH] = {};
  SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
  return std::string(folder) + "\\Quillmore Actions Probe\\";
}

bool file_exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::optional<std::string> installed_value(const char* name) {
  return test::text_value(HKEY_CURRENT_USER, KEY_WOW64_32KEY, kValuesKey, name);
}

// The triples the engine writes: name, value, "$ex", lines ending in CR LF.
std::string property_file_text(const std::vector<std::pair<std::string, std::string>>& properties) {
  std::string text;
  for (const auto& [name, value] : properties) text += name + "\r\n" + value + "\r\n$ex\r\n";
  return text;
}

// The installer property file, named by the product code in `folder`, for
// as long as the object lives.
class PropertyFile {
 public:
  PropertyFile(const std::string& folder, const std::string& text) : path_(folder + kProductCode) {
    test::write_file(path_, text);
  }
  ~PropertyFile() { DeleteFileA(path_.c_str()); }
  PropertyFile(const PropertyFile&) = delete;
  PropertyFile& operator=(const PropertyFile&) = delete;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// The product installed with a property string, removed again on every way
// out (its registry key too, should the removal fail). The removal gets the
// same properties: as in a run of the engine, it finds the property file
// through MSINTEMP.
class Installation {
 public:
  Installation(const std::string& package, const std::string& properties) : properties_(properties) {
    MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
    result_ = MsiInstallProductA(package.c_str(), properties.c_str());
  }
  ~Installation() {
    remove();
    test::delete_key_tree(HKEY_CURRENT_USER, KEY_WOW64_32KEY, kValuesKey);
  }
  Installation(const Installation&) = delete;
  Installation& operator=(const Installation&) = delete;

  UINT result() const { return result_; }
  UINT remove() {
    if (MsiQueryProductStateA(kProductCode) != INSTALLSTATE_DEFAULT) return ERROR_UNKNOWN_PRODUCT;
    return MsiConfigureProductExA(kProductCode, INSTALLLEVEL_DEFAULT, INSTALLSTATE_ABSENT, properties_.c_str());
  }

 private:
  std::string properties_;
  UINT result_ = 0;
};

TEST(InstallationTest, ThePropertyFileDecidesValuesAndFolder) {
  ASSERT_NE(MsiQueryProductStateA(kProductCode), INSTALLSTATE_DEFAULT) << "left over from an earlier run";
  // A value of every character that formatted texts, SQL and the file treat
  // specially: it must arrive exactly.
  const std::string tricky = "it's \"quoted\" [BRACKETS] `tick` $ex";
  struct Case {
    const char* description;
    bool in_engine_folder;  // MSINTEMP names a folder; otherwise the installer's own TempFolder
    std::vector<std::pair<std::string, std::string>> properties;  // TARGETDIR is added first
    std::string trailer;                                           // raw lines after the triples
    std::optional<std::string> value;
  };
  const Case cases[] = {
      {"the line ran", true, {{kLineFlag, "TRUE"}, {kLineValue, tricky + "$NEWLINE$second line"}}, "",
       tricky + "\r\nsecond line"},
      {"the line did not run", true, {{kLineFlag, "FALSE"}, {kLineValue, "unused"}}, "", std::nullopt},
      {"a damaged file in the installer's own folder", false, {{kLineFlag, "TRUE"}},
       "$ex\r\n" + std::string(kLineValue) + "\r\nthe last marker lost\r\n", "the last marker lost"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.description);
    test::TempFolder engine_temp;
    test::TempFolder target;
    auto properties = c.properties;
    properties.insert(properties.begin(), {"TARGETDIR", target.path()});
    const PropertyFile file(c.in_engine_folder ? engine_temp.path() : test::system_temp_folder(),
                            property_file_text(properties) + c.trailer);
    Installation installation(built_package(),
                              c.in_engine_folder ? "MSINTEMP=\"" + engine_temp.path() + "\"" : std::string());
    ASSERT_EQ(installation.result(), static_cast<UINT>(ERROR_SUCCESS));

    EXPECT_EQ(installed_value("Value"), c.value);
    EXPECT_TRUE(file_exists(target.path() + "probe.txt")) << "the script's TARGETDIR is the folder";
    EXPECT_FALSE(file_exists(default_install_folder() + "probe.txt"));

    // Removal reads the file again and so finds the same folder and the
    // line's flag, without which it would leave the line's rows alone.
    EXPECT_EQ(installation.remove(), static_cast<UINT>(ERROR_SUCCESS));
    EXPECT_FALSE(file_exists(target.path() + "probe.txt"));
    EXPECT_FALSE(test::key_exists(HKEY_CURRENT_USER, KEY_WOW64_32KEY, kValuesKey));
  }
}

// A value the engine wrote into the Property table, "'" stored as "$QUOTE$".
void add_property_row(const std::string& package, const char* name, const char* value) {
  MSIHANDLE database = 0;
  ASSERT_EQ(MsiOpenDatabaseA(package.c_str(), MSIDBOPEN_TRANSACT, &database), static_cast<UINT>(ERROR_SUCCESS));
  MSIHANDLE view = 0;
  MsiDatabaseOpenViewA(database, "INSERT INTO `Property` (`Property`, `Value`) VALUES (?, ?)", &view);
  const MSIHANDLE record = MsiCreateRecord(2);
  MsiRecordSetStringA(record, 1, name);
  MsiRecordSetStringA(record, 2, value);
  EXPECT_EQ(MsiViewExecute(view, record), static_cast<UINT>(ERROR_SUCCESS)) << name;
  MsiCloseHandle(record);
  MsiViewClose(view);
  MsiCloseHandle(view);
  MsiDatabaseCommit(database);
  MsiCloseHandle(database);
}

// What the engine does to every package before installing it: word count
// 8, a package of uncompressed files.
void mark_uncompressed(const std::string& package) {
  MSIHANDLE summary = 0;
  ASSERT_EQ(MsiGetSummaryInformationA(0, package.c_str(), 20, &summary), static_cast<UINT>(ERROR_SUCCESS));
  MsiSummaryInfoSetPropertyA(summary, PID_WORDCOUNT, VT_I4, 8, nullptr, nullptr);
  EXPECT_EQ(MsiSummaryInfoPersist(summary), static_cast<UINT>(ERROR_SUCCESS));
  MsiCloseHandle(summary);
}

TEST(InstallationTest, WithoutAFileThePackageInstallsAsItSaysAndGetsItsQuotesBack) {
  ASSERT_NE(MsiQueryProductStateA(kProductCode), INSTALLSTATE_DEFAULT) << "left over from an earlier run";
  test::TempFolder copy;
  const std::string package = copy.file("setup.msi");
  test::copy_file(built_package(), package);
  add_property_row(package, "QUOTED", "It$QUOTE$s O$quote$Brien");
  add_property_row(package, "GIVEN", "from the $QUOTE$table$QUOTE$");
  // The files still come from the package's own cabinet, which they name.
  mark_uncompressed(package);
  // No file in this empty folder, nor in the installer's own.
  test::TempFolder engine_temp;
  ASSERT_FALSE(file_exists(test::system_temp_folder() + kProductCode));

  Installation installation(package, "MSINTEMP=\"" + engine_temp.path() + "\" GIVEN=\"from the command line\"");
  ASSERT_EQ(installation.result(), static_cast<UINT>(ERROR_SUCCESS));
  EXPECT_EQ(installed_value("Quoted"), "It's O'Brien");
  EXPECT_EQ(installed_value("Given"), "from the command line") << "a value given on the command line stays";
  EXPECT_EQ(installed_value("Value"), std::nullopt);
  EXPECT_TRUE(file_exists(default_install_folder() + "probe.txt"));
  EXPECT_EQ(installation.remove(), static_cast<UINT>(ERROR_SUCCESS));
  EXPECT_FALSE(file_exists(default_install_folder() + "probe.txt"));
}

TEST(InstallationTest, AFileThatCannotBeReadFailsTheInstallation) {
  ASSERT_NE(MsiQueryProductStateA(kProductCode), INSTALLSTATE_DEFAULT) << "left over from an earlier run";
  test::TempFolder engine_temp;
  test::TempFolder target;
  const PropertyFile file(engine_temp.path(), property_file_text({{"TARGETDIR", target.path()}}));
  // Held open by another party that shares nothing.
  const HANDLE held = CreateFileA(file.path().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  Installation installation(built_package(), "MSINTEMP=\"" + engine_temp.path() + "\"");
  CloseHandle(held);
  EXPECT_EQ(installation.result(), static_cast<UINT>(ERROR_INSTALL_FAILURE))
      << "installing without the engine's choices would report a success that is none";
  EXPECT_NE(MsiQueryProductStateA(kProductCode), INSTALLSTATE_DEFAULT);
  EXPECT_FALSE(file_exists(target.path() + "probe.txt"));
  EXPECT_FALSE(file_exists(default_install_folder() + "probe.txt"));
}

}  // namespace
}  // namespace qm
