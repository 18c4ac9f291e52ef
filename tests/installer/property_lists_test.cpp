#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "engine/comma_text.h"
#include "installer/property_lists.h"
#include "platform/handle.h"
#include "tests/support/temp_folder.h"

namespace qm {
namespace {

using Items = std::vector<std::string>;
using Properties = std::vector<InstallerProperty>;

// The names of the files in a folder, to spot leftovers of a save.
Items files_in(const std::string& folder) {
  Items names;
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = entry.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(search, &entry));
  FindClose(search);
  return names;
}

TEST(InstallerPropertyListsTest, KeepsDuplicatesInRecordingOrder) {
  InstallerPropertyLists lists;
  lists.record("A3F2A", "FALSE");
  lists.record("AB7", "FALSE");
  lists.record("A3F2A", "TRUE");  // a deferred line that ran
  lists.record("P3F2A_1", "first");
  lists.record("P3F2A_1", "second");  // the same line ran again
  lists.set_installer_property("ProductLanguage", "1033");

  EXPECT_EQ(lists.installer_properties(), (Properties{{"A3F2A", "FALSE"},
                                                      {"AB7", "FALSE"},
                                                      {"A3F2A", "TRUE"},
                                                      {"P3F2A_1", "first"},
                                                      {"P3F2A_1", "second"},
                                                      {"ProductLanguage", "1033"}}));
  EXPECT_EQ(lists.pass_through(), (Items{"A3F2A", "FALSE", "AB7", "FALSE", "A3F2A", "TRUE", "P3F2A_1", "first",
                                         "P3F2A_1", "second"}));
}

TEST(InstallerPropertyListsTest, LineBreaksAreStoredEncoded) {
  const struct {
    std::string given;
    std::string stored;
  } cases[] = {
      {"one\r\ntwo", "one$NEWLINE$two"},
      {"\r\n\r\n", "$NEWLINE$$NEWLINE$"},
      {"end\r\n", "end$NEWLINE$"},
      {"lone\nfeed", "lone\nfeed"},      // only CR LF is a line break here
      {"lone\rreturn", "lone\rreturn"},
      {"\r\r\n", "\r$NEWLINE$"},
      {"", ""},
  };
  for (const auto& c : cases) {
    InstallerPropertyLists lists;
    lists.record("N\r\n" + c.given, c.given);
    lists.set_installer_property("S", c.given);
    EXPECT_EQ(lists.installer_properties(), (Properties{{"N$NEWLINE$" + c.stored, c.stored}, {"S", c.stored}}));
    EXPECT_EQ(lists.pass_through(), (Items{"N$NEWLINE$" + c.stored, c.stored}));
  }
}

TEST(InstallerPropertyListsTest, TakingTheInstallerListStartsANewOne) {
  InstallerPropertyLists lists;
  lists.record("MSINTEMP", "C:\\Temp\\");
  lists.set_installer_property("ProductLanguage", "1031");

  EXPECT_EQ(lists.take_installer_properties(),
            (Properties{{"MSINTEMP", "C:\\Temp\\"}, {"ProductLanguage", "1031"}}));
  EXPECT_TRUE(lists.installer_properties().empty());

  lists.record("MSINTEMP", "D:\\Temp\\");
  EXPECT_EQ(lists.installer_properties(), (Properties{{"MSINTEMP", "D:\\Temp\\"}}));
  // The pass-through list lives for the whole run.
  EXPECT_EQ(lists.pass_through(), (Items{"MSINTEMP", "C:\\Temp\\", "MSINTEMP", "D:\\Temp\\"}));
}

TEST(InstallerPropertyListsTest, SavedFileHoldsOneItemPerLine) {
  test::TempFolder folder;
  const std::string par = folder.file("setup.par");
  InstallerPropertyLists lists;
  lists.record("NOTE", "first line\r\nsecond line");
  lists.record("EMPTY", "");
  lists.record("PATH", "C:\\Program Files\\Sample\\");
  lists.save_pass_through(par);

  EXPECT_EQ(test::read_file(par),
            "NOTE\r\nfirst line$NEWLINE$second line\r\nEMPTY\r\n\r\nPATH\r\nC:\\Program Files\\Sample\\\r\n");
}

TEST(InstallerPropertyListsTest, SaveAndLoadRoundTrip) {
  test::TempFolder folder;
  const std::string par = folder.file("setup.par");
  const Items values = {
      "", " padded ", "a,b", "say \"hi\"", "tab\there", "line\r\nbreak", "ends with return\r",
      "\nstarts with feed", "\r", "\n", "caf\xE9", "$NEWLINE$",
  };
  InstallerPropertyLists saved;
  for (std::size_t i = 0; i < values.size(); ++i) saved.record("P" + std::to_string(i), values[i]);
  saved.save_pass_through(par);

  InstallerPropertyLists loaded;
  EXPECT_TRUE(loaded.load_pass_through(par));
  EXPECT_EQ(loaded.pass_through(), saved.pass_through());
  EXPECT_TRUE(loaded.installer_properties().empty());
}

TEST(InstallerPropertyListsTest, EmptyListSavesAnEmptyFile) {
  test::TempFolder folder;
  const std::string par = folder.file("setup.par");
  test::write_file(par, "OLD\r\nVALUE\r\n");
  InstallerPropertyLists().save_pass_through(par);

  EXPECT_EQ(test::read_file(par), "");
  EXPECT_EQ(files_in(folder.path()), Items{"setup.par"});
}

TEST(InstallerPropertyListsTest, ReadsParFiles) {
  const struct {
    std::string text;
    Items items;
  } cases[] = {
      {"", {}},
      {"A\r\nB\r\n", {"A", "B"}},
      {"A\r\nB", {"A", "B"}},            // no line end after the last item
      {"A\r\n\r\n", {"A", ""}},          // an empty value
      {"\r\n\r\n", {"", ""}},
      {"A\r\nB\r\nC\r\n", {"A", "B"}},   // the unpaired last name is dropped
      {"A\r\nB\r\nC", {"A", "B"}},
      {"A\r\n", {}},
      {"a\rb\r\nc\nd\r\n", {"a\rb", "c\nd"}},
      {"x\r\r\n\ny\r\n", {"x\r", "\ny"}},
      {"N\r\none$NEWLINE$two\r\n", {"N", "one$NEWLINE$two"}},  // kept encoded
  };
  for (const auto& c : cases) {
    test::TempFolder folder;
    const std::string par = folder.file("setup.par");
    test::write_file(par, c.text);
    InstallerPropertyLists lists;
    EXPECT_TRUE(lists.load_pass_through(par));
    EXPECT_EQ(lists.pass_through(), c.items) << c.text;
  }
}

TEST(InstallerPropertyListsTest, LoadedPairsComeBeforeNewRecords) {
  test::TempFolder folder;
  const std::string par = folder.file("setup.par");
  test::write_file(par, "A3F2A\r\nTRUE\r\nP3F2A_1\r\nold\r\n");

  InstallerPropertyLists lists;
  ASSERT_TRUE(lists.load_pass_through(par));
  lists.record("A3F2A", "FALSE");
  lists.record("P3F2A_1", "new");

  EXPECT_EQ(lists.pass_through(),
            (Items{"A3F2A", "TRUE", "P3F2A_1", "old", "A3F2A", "FALSE", "P3F2A_1", "new"}));
  EXPECT_EQ(lists.installer_properties(), (Properties{{"A3F2A", "FALSE"}, {"P3F2A_1", "new"}}));
}

TEST(InstallerPropertyListsTest, MissingParFileLeavesListAsItIs) {
  test::TempFolder folder;
  InstallerPropertyLists lists;
  lists.record("A1", "FALSE");

  EXPECT_FALSE(lists.load_pass_through(folder.file("missing.par")));
  EXPECT_FALSE(lists.load_pass_through(folder.file("no folder\\setup.par")));
  EXPECT_EQ(lists.pass_through(), (Items{"A1", "FALSE"}));
}

TEST(InstallerPropertyListsTest, FailedSaveLeavesEarlierFileAndNoLeftovers) {
  test::TempFolder folder;
  InstallerPropertyLists lists;
  lists.record("NEW", "value");

  // A folder where the file should be: the replacement fails after the new
  // content was written.
  const std::string blocked = folder.file("blocked.par");
  ASSERT_TRUE(CreateDirectoryA(blocked.c_str(), nullptr));
  EXPECT_THROW(lists.save_pass_through(blocked), std::runtime_error);
  EXPECT_EQ(files_in(folder.path()), Items{"blocked.par"});

  // No folder at all.
  EXPECT_THROW(lists.save_pass_through(folder.file("missing\\setup.par")), std::runtime_error);
  EXPECT_EQ(files_in(folder.path()), Items{"blocked.par"});
}

TEST(InstallerPropertyListsTest, FileInUseKeepsItsEarlierContent) {
  // A reader that does not share delete access blocks the replacement; the
  // save then fails as a whole and succeeds once the reader is gone.
  test::TempFolder folder;
  const std::string par = folder.file("setup.par");
  test::write_file(par, "OLD\r\nVALUE\r\n");
  InstallerPropertyLists lists;
  lists.record("NEW", "value");

  {
    platform::UniqueHandle reader(
        CreateFileA(par.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(reader.valid());
    EXPECT_THROW(lists.save_pass_through(par), std::runtime_error);
  }
  EXPECT_EQ(test::read_file(par), "OLD\r\nVALUE\r\n");
  EXPECT_EQ(files_in(folder.path()), Items{"setup.par"});

  lists.save_pass_through(par);
  EXPECT_EQ(test::read_file(par), "NEW\r\nvalue\r\n");
  EXPECT_EQ(files_in(folder.path()), Items{"setup.par"});
}

TEST(InstallerPropertyListsTest, CommaTextRoundTrips) {
  const Items values[] = {
      {},
      {"A1", "FALSE"},
      {"", ""},
      {"P1", "a,b", "P2", "say \"hi\"", "P3", " padded ", "P4", ""},
      {"NOTE", "one\r\ntwo", "PATH", "C:\\Program Files\\"},
  };
  for (const Items& items : values) {
    InstallerPropertyLists lists;
    for (std::size_t i = 0; i + 1 < items.size(); i += 2) lists.record(items[i], items[i + 1]);
    EXPECT_EQ(from_comma_text(lists.pass_through_comma_text()), lists.pass_through());
  }
}

TEST(InstallerPropertyListsTest, ClearEmptiesBothLists) {
  InstallerPropertyLists lists;
  lists.record("A1", "FALSE");
  lists.clear_pass_through();
  EXPECT_TRUE(lists.pass_through().empty());
  EXPECT_EQ(lists.installer_properties().size(), 1u);

  lists.record("A2", "FALSE");
  lists.clear();
  EXPECT_TRUE(lists.pass_through().empty());
  EXPECT_TRUE(lists.installer_properties().empty());
}

}  // namespace
}  // namespace qm
