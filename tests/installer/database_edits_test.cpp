// The edits that go into a product's package before Windows Installer runs
// it, made in copies of a real package (built with wixl; tables it lacks are
// added here) through Windows Installer under Wine, and read back with
// msi.dll's own functions.

#include <gtest/gtest.h>

#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include <map>
#include <string>
#include <vector>

#include "installer/database_edits.h"
#include "tests/support/temp_folder.h"

namespace qm {
namespace {

// A copy of the probe package, opened and read with msi.dll directly.
class PackageCopy {
 public:
  PackageCopy() : path_(folder_.file("product.msi")) {
    test::copy_file(test::program_folder() + "probe_product.msi", path_);
  }
  const std::string& path() const { return path_; }

  void run(const std::string& statement) const {
    MSIHANDLE database = open(MSIDBOPEN_TRANSACT);
    MSIHANDLE view = 0;
    EXPECT_EQ(MsiDatabaseOpenViewA(database, statement.c_str(), &view), static_cast<UINT>(ERROR_SUCCESS)) << statement;
    EXPECT_EQ(MsiViewExecute(view, 0), static_cast<UINT>(ERROR_SUCCESS)) << statement;
    MsiViewClose(view);
    MsiCloseHandle(view);
    MsiDatabaseCommit(database);
    MsiCloseHandle(database);
  }

  // Every record of a query, its fields as texts.
  std::vector<std::vector<std::string>> rows(const std::string& query) const {
    std::vector<std::vector<std::string>> found;
    MSIHANDLE database = open(MSIDBOPEN_READONLY);
    MSIHANDLE view = 0;
    if (MsiDatabaseOpenViewA(database, query.c_str(), &view) == ERROR_SUCCESS && MsiViewExecute(view, 0) == ERROR_SUCCESS) {
      MSIHANDLE record = 0;
      while (MsiViewFetch(view, &record) == ERROR_SUCCESS) {
        std::vector<std::string> fields;
        for (UINT field = 1; field <= MsiRecordGetFieldCount(record); ++field) {
          char text[1024] = {};
          DWORD size = sizeof text;
          MsiRecordGetStringA(record, field, text, &size);
          fields.emplace_back(text, size);
        }
        found.push_back(fields);
        MsiCloseHandle(record);
      }
      MsiViewClose(view);
    }
    MsiCloseHandle(view);
    MsiCloseHandle(database);
    return found;
  }

  std::map<std::string, std::string> properties() const {
    std::map<std::string, std::string> found;
    for (const auto& row : rows("SELECT `Property`, `Value` FROM `Property`")) found[row[0]] = row[1];
    return found;
  }

  std::string summary_text(UINT property) const {
    MSIHANDLE info = 0;
    MsiGetSummaryInformationA(0, path_.c_str(), 0, &info);
    char text[260] = {};
    DWORD size = sizeof text;
    UINT type = 0;
    INT number = 0;
    FILETIME time{};
    MsiSummaryInfoGetPropertyA(info, property, &type, &number, &time, text, &size);
    MsiCloseHandle(info);
    return type == VT_I4 ? std::to_string(number) : std::string(text);
  }

 private:
  MSIHANDLE open(LPCSTR mode) const {
    MSIHANDLE database = 0;
    MsiOpenDatabaseA(path_.c_str(), mode, &database);
    return database;
  }

  test::TempFolder folder_;
  std::string path_;
};

TEST(DatabaseEditsTest, PropertiesGoInAsRecordedWithQuotesAndLineBreaksKept) {
  PackageCopy package;
  platform::MsiLibrary msi;
  NewInstanceIdentity no_new_instance;
  write_installer_properties(msi, package.path(),
                             {{"ACUSTOMER", "O'Brien"},
                              {"PNOTES_1", "line one$NEWLINE$line two$newline$"},
                              {"TWICE", "first"},
                              {"TWICE", "second"},
                              {"Manufacturer", "Brennivax Labs"},
                              {"ODD'NAME`[1]", "kept"}},
                             no_new_instance);
  const auto properties = package.properties();
  EXPECT_EQ(properties.at("ACUSTOMER"), "O$QUOTE$Brien");
  EXPECT_EQ(properties.at("PNOTES_1"), "line one\r\nline two\r\n");
  EXPECT_EQ(properties.at("TWICE"), "second") << "the value recorded last wins";
  EXPECT_EQ(properties.at("Manufacturer"), "Brennivax Labs") << "a property the package has is overwritten";
  EXPECT_EQ(properties.at("ODD'NAME`[1]"), "kept") << "a name goes in as it is, whatever it holds";
  EXPECT_EQ(properties.at("ProductName"), "Quillmore Probe Product") << "others stay";
}

TEST(DatabaseEditsTest, ANewInstanceGetsItsOwnIdentity) {
  PackageCopy package;
  platform::MsiLibrary msi;
  const auto components_before = package.rows("SELECT `ComponentId` FROM `Component`");
  NewInstanceIdentity instance{true, false, "{11111111-2222-3333-4444-555555555555}",
                               "{66666666-7777-8888-9999-AAAAAAAAAAAA}"};
  write_installer_properties(msi, package.path(), {{"FIRST", "1"}, {"LAST", "2"}}, instance);
  EXPECT_TRUE(instance.components_renewed);
  const auto components_after = package.rows("SELECT `ComponentId` FROM `Component`");
  ASSERT_EQ(components_after.size(), components_before.size());
  EXPECT_NE(components_after, components_before);
  EXPECT_EQ(components_after[0][0].size(), 38u) << components_after[0][0];
  EXPECT_EQ(package.properties().at("ProductCode"), instance.product_code);
  EXPECT_EQ(package.summary_text(9), instance.cache_key);
  EXPECT_EQ(package.properties().at("LAST"), "2");

  // Once per run: a second write leaves the new identifiers alone.
  write_installer_properties(msi, package.path(), {{"MORE", "3"}}, instance);
  EXPECT_EQ(package.rows("SELECT `ComponentId` FROM `Component`"), components_after);
}

TEST(DatabaseEditsTest, TargetPlatformAndWordCount) {
  PackageCopy package;
  platform::MsiLibrary msi;
  const auto attributes = [&] { return package.rows("SELECT `Attributes` FROM `Component`").at(0).at(0); };
  const std::string languages = package.summary_text(7).substr(package.summary_text(7).find(';'));
  const std::string before = attributes();

  set_target_platform(msi, package.path(), TargetPlatform::kWin32);
  EXPECT_EQ(package.summary_text(7), "Intel" + languages);
  EXPECT_EQ(attributes(), before) << "already Intel: the components keep their bits";

  set_target_platform(msi, package.path(), TargetPlatform::kX64);
  EXPECT_EQ(package.summary_text(7), "x64" + languages);
  EXPECT_EQ(std::stoi(attributes()), std::stoi(before) | 256);

  set_target_platform(msi, package.path(), TargetPlatform::kIa64);
  EXPECT_EQ(package.summary_text(7), "Intel64" + languages);
  EXPECT_EQ(std::stoi(attributes()), std::stoi(before) | 256);

  set_target_platform(msi, package.path(), TargetPlatform::kWin32);
  EXPECT_EQ(std::stoi(attributes()), std::stoi(before) & ~256);

  set_word_count(msi, package.path());
  EXPECT_EQ(package.summary_text(15), "8");
}

TEST(DatabaseEditsTest, TranslatedShortcutsAndProgIds) {
  PackageCopy package;
  // wixl's packages have an empty Shortcut table.
  package.run("INSERT INTO `Shortcut` (`Shortcut`, `Directory_`, `Name`, `Component_`, `Target`, `Description`) "
              "VALUES ('Start', 'P1A2B_1', 'Sample~1|Sample Program', 'Probe', '[INSTALLDIR]probe.txt', 'Starts it')");
  package.run("CREATE TABLE `ProgId` (`ProgId` CHAR(255) NOT NULL, `Description` CHAR(255) "
              "PRIMARY KEY `ProgId`)");
  package.run("INSERT INTO `ProgId` (`ProgId`, `Description`) VALUES ('Sample.Document', 'Sample document')");
  package.run("CREATE TABLE `Extension` (`Extension` CHAR(255) NOT NULL, `Component_` CHAR(72) NOT NULL, "
              "`ProgId_` CHAR(255) PRIMARY KEY `Extension`, `Component_`)");
  package.run("INSERT INTO `Extension` (`Extension`, `Component_`, `ProgId_`) VALUES ('sample', 'Probe', "
              "'Sample.Document')");
  platform::MsiLibrary msi;
  translate_shortcuts(msi, package.path(), {"P1A2B_1", "Beisp~1|Beispiel's Programm", "Startet [es]"});
  translate_progids(msi, package.path(), {"Sample.Document", "Beispiel.Dokument", "Beispiel`s Dokument"});

  const auto shortcuts = package.rows("SELECT `Name`, `Description` FROM `Shortcut`");
  ASSERT_EQ(shortcuts.size(), 1u);
  EXPECT_EQ(shortcuts[0][0], "Beisp~1|Beispiel's Programm") << "a quote in a translation is stored as it is";
  EXPECT_EQ(shortcuts[0][1], "Startet [es]");
  const auto progids = package.rows("SELECT `ProgId`, `Description` FROM `ProgId`");
  ASSERT_EQ(progids.size(), 1u);
  EXPECT_EQ(progids[0][0], "Beispiel.Dokument") << "the ProgId itself is renamed";
  EXPECT_EQ(progids[0][1], "Beispiel`s Dokument");
  const auto extensions = package.rows("SELECT `ProgId_` FROM `Extension`");
  ASSERT_EQ(extensions.size(), 1u);
  EXPECT_EQ(extensions[0][0], "Beispiel.Dokument") << "the extension follows its ProgId";
}

TEST(DatabaseEditsTest, AssembliesOfThePackage) {
  PackageCopy package;
  platform::MsiLibrary msi;
  EXPECT_TRUE(package_assemblies(msi, package.path()).empty()) << "no assembly tables: nothing";
  package.run("CREATE TABLE `MsiAssembly` (`Component_` CHAR(72) NOT NULL, `Feature_` CHAR(38) NOT NULL "
              "PRIMARY KEY `Component_`)");
  package.run("CREATE TABLE `MsiAssemblyName` (`Component_` CHAR(72) NOT NULL, `Name` CHAR(255) NOT NULL, "
              "`Value` CHAR(255) NOT NULL PRIMARY KEY `Component_`, `Name`)");
  for (const char* row : {"'Core', 'Main'", "'Tools', 'Main'"})
    package.run(std::string("INSERT INTO `MsiAssembly` (`Component_`, `Feature_`) VALUES (") + row + ")");
  for (const char* row : {"'Core', 'Name', 'Sample.Core'", "'Core', 'Version', '1.2.0.0'",
                          "'Core', 'Culture', 'neutral'", "'Tools', 'Name', 'Sample.Tools'",
                          "'Tools', 'Version', '2.0.0.0'"})
    package.run(std::string("INSERT INTO `MsiAssemblyName` (`Component_`, `Name`, `Value`) VALUES (") + row + ")");
  EXPECT_EQ(package_assemblies(msi, package.path()),
            (std::vector<std::string>{"Sample.Core,Version=1.2.0.0", "Sample.Tools,Version=2.0.0.0"}));

  // The tool runs once per assembly with "/u <assembly>".
  std::vector<std::string> runs;
  remove_assemblies(msi, package.path(), "installutil.exe",
                    [&runs](const std::string& tool, const std::string& parameters) {
                      runs.push_back(tool + " " + parameters);
                    });
  EXPECT_EQ(runs, (std::vector<std::string>{"installutil.exe /u Sample.Core,Version=1.2.0.0",
                                            "installutil.exe /u Sample.Tools,Version=2.0.0.0"}));

  // A name without its version: the tool does not run.
  package.run("DELETE FROM `MsiAssemblyName` WHERE `Component_`='Tools' AND `Name`='Version'");
  EXPECT_TRUE(package_assemblies(msi, package.path()).empty());
}

TEST(DatabaseEditsTest, PackagesThatCannotBeOpenedGetNoEdits) {
  test::TempFolder folder;
  test::write_file(folder.file("broken.msi"), "this is no installer database");
  platform::MsiLibrary msi;
  NewInstanceIdentity instance{true, false, "{1}", "{2}"};
  for (const std::string& path : {folder.file("missing.msi"), folder.file("broken.msi")}) {
    write_installer_properties(msi, path, {{"A", "1"}}, instance);
    set_target_platform(msi, path, TargetPlatform::kX64);
    set_word_count(msi, path);
    translate_shortcuts(msi, path, {"a", "b", "c"});
    translate_progids(msi, path, {"a", "b", "c"});
    EXPECT_TRUE(package_assemblies(msi, path).empty());
  }
  EXPECT_EQ(test::read_file(folder.file("broken.msi")), "this is no installer database");
  EXPECT_FALSE(package_code_matches(msi, "{00000000-0000-0000-0000-000000000000}", "{1}"));
}

}  // namespace
}  // namespace qm
