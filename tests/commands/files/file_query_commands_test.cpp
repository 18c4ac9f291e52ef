// "Does File/Folder Exist" and "Get INI File Settings" on real files.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "tests/commands/query/query_run.h"
#include "tests/support/temp_folder.h"

namespace qm {
namespace {

using test::run_query_script;

TEST(DoesFileFolderExistTest, FilesAndFoldersEachAnswerTheirOwnQuestion) {
  const test::TempFolder temp;
  test::write_file(temp.file("a.txt"), "a");
  CreateDirectoryA(temp.file("Sub").c_str(), nullptr);
  const std::string doubled = temp.path() + "\\";  // a doubled backslash is read as one

  const struct Case {
    std::string path;
    const char* file;  // field 3
    const char* exists;
  } cases[] = {
      {temp.file("a.txt"), "TRUE", "TRUE"},
      {temp.file("a.txt"), "FALSE", "FALSE"},
      {doubled + "a.txt", "-1", "TRUE"},
      {temp.file("Sub"), "FALSE", "TRUE"},
      {temp.file("Sub\\"), "", "TRUE"},
      {temp.file("Sub"), "TRUE", "FALSE"},
      {temp.file("missing.txt"), "TRUE", "FALSE"},
      {temp.file("missing"), "FALSE", "FALSE"},
      {temp.file("missing\\a.txt"), "TRUE", "FALSE"},
      {temp.file(std::string(300, 'n') + ".txt"), "TRUE", "FALSE"},
      {"", "TRUE", "FALSE"},
      {"", "FALSE", "FALSE"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path + " / " + c.file);
    const auto run = run_query_script("Set Variable | SEEN | old\nDoes File/Folder Exist | seen | " + c.path + " | " +
                                      c.file + "\nDoes File/Folder Exist | NEW | " + c.path + " | " + c.file);
    EXPECT_FALSE(run->outcome().failed) << run->outcome().error_report;
    EXPECT_EQ(run->get("SEEN"), c.exists);
    EXPECT_EQ(run->get("NEW"), c.exists);
  }
}

TEST(DoesFileFolderExistTest, ThePathIsSubstituted) {
  const test::TempFolder temp;
  test::write_file(temp.file("a.txt"), "a");
  const auto run = run_query_script("Set Variable | DIR | " + temp.path() +
                                    "\nDoes File/Folder Exist | R | $DIR$a.txt | TRUE");
  EXPECT_EQ(run->get("R"), "TRUE");
}

TEST(GetIniFileSettingsTest, OneValue) {
  const test::TempFolder temp;
  const std::string long_value(300, 'v');
  test::write_file(temp.file("setup.ini"), "[Main]\r\nName=Value here\r\nEmpty=\r\nLong=" + long_value +
                                               "\r\n[Other]\r\nName=other\r\n");
  const std::string ini = temp.file("setup.ini");
  const struct Case {
    std::string file;
    const char* section;
    const char* key;
    std::string value;
  } cases[] = {
      {ini, "Main", "Name", "Value here"},
      {ini, "main", "NAME", "Value here"},
      {ini, "Other", "Name", "other"},
      {ini, "Main", "Empty", ""},
      {ini, "Main", "Missing", ""},
      {ini, "Missing", "Name", ""},
      {ini, "Main", "Long", long_value.substr(0, 259)},  // cut to what 260 characters hold
      {ini, "", "Name", ""},
      {ini, "Main", "", ""},  // not the list of the section's keys
      {temp.file("missing.ini"), "Main", "Name", ""},
      {temp.path(), "Main", "Name", ""},
      {temp.file(std::string(300, 'n') + ".ini"), "Main", "Name", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file + " [" + c.section + "] " + c.key);
    const auto run = run_query_script("Set Variable | V | old\nGet INI File Settings | v | " + c.file + " | " +
                                      c.section + " | " + c.key + "\nGet INI File Settings | NEW | " + c.file +
                                      " | " + c.section + " | " + c.key);
    EXPECT_FALSE(run->outcome().failed) << run->outcome().error_report;
    EXPECT_EQ(run->get("V"), c.value);
    EXPECT_EQ(run->get("NEW"), c.value);
  }
}

TEST(GetIniFileSettingsTest, FileSectionAndKeyAreSubstituted) {
  const test::TempFolder temp;
  test::write_file(temp.file("setup.ini"), "[Main]\r\nName=Value\r\n");
  const auto run = run_query_script("Set Variable | INI | " + temp.file("setup.ini") +
                                    "\nSet Variable | S | Main\nSet Variable | K | Name\n"
                                    "Get INI File Settings | V | $INI$ | $S$ | $K$");
  EXPECT_EQ(run->get("V"), "Value");
}

}  // namespace
}  // namespace qm
