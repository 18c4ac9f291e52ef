// The pass-through list on disk: written whole or not at all, read back as
// it was recorded.

#include "installer/pass_through_file.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/unique_resource.h"
#include "platform/windows_error.h"
#include "tests/support/temp_folder.h"

namespace qm {
namespace {

using Items = std::vector<std::string>;
using Properties = std::vector<InstallerProperty>;

// The names of the files in a folder, to spot leftovers of a save.
Items files_in(const std::string& folder) {
  Items names;
  WIN32_FIND_DATAA entry;
  const platform::UniqueFindHandle search(FindFirstFileA((folder + "*").c_str(), &entry));
  if (!search) return names;
  do {
    const std::string name = entry.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(search.get(), &entry));
  return names;
}

TEST(PassThroughFileTest, SavedFileHoldsOneItemPerLine) {
  test::TempFolder folder;
  const std::string par = folder.file("setup.par");
  InstallerPropertyLists lists;
  lists.record("NOTE", "first line\r\nsecond line");
  lists.record("EMPTY", "");
  lists.record("PATH", "C:\\Program Files\\Sample\\");
  save_pass_through_file(lists, par);

  EXPECT_EQ(test::read_file(par),
            "NOTE\r\nfirst line$NEWLINE$second line\r\nEMPTY\r\n\r\nPATH\r\nC:\\Program Files\\Sample\\\r\n");
}

TEST(PassThroughFileTest, SaveAndLoadRoundTrip) {
  test::TempFolder folder;
  const std::string par = folder.file("setup.par");
  const Items values = {
      "", " padded ", "a,b", "say \"hi\"", "tab\there", "line\r\nbreak", "ends with return\r",
      "\nstarts with feed", "\r", "\n", "caf\xE9", "$NEWLINE$",
  };
  InstallerPropertyLists saved;
  for (std::size_t i = 0; i < values.size(); ++i) saved.record("P" + std::to_string(i), values[i]);
  save_pass_through_file(saved, par);

  InstallerPropertyLists loaded;
  EXPECT_TRUE(load_pass_through_file(loaded, par));
  EXPECT_EQ(loaded.pass_through(), saved.pass_through());
  EXPECT_TRUE(loaded.installer_properties().empty());
}

TEST(PassThroughFileTest, EmptyListSavesAnEmptyFile) {
  test::TempFolder folder;
  const std::string par = folder.file("setup.par");
  test::write_file(par, "OLD\r\nVALUE\r\n");
  save_pass_through_file(InstallerPropertyLists(), par);

  EXPECT_EQ(test::read_file(par), "");
  EXPECT_EQ(files_in(folder.path()), Items{"setup.par"});
}

TEST(PassThroughFileTest, ReadsParFiles) {
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
    EXPECT_TRUE(load_pass_through_file(lists, par));
    EXPECT_EQ(lists.pass_through(), c.items) << c.text;
  }
}

TEST(PassThroughFileTest, LoadedPairsComeBeforeNewRecords) {
  test::TempFolder folder;
  const std::string par = folder.file("setup.par");
  test::write_file(par, "A3F2A\r\nTRUE\r\nP3F2A_1\r\nold\r\n");

  InstallerPropertyLists lists;
  ASSERT_TRUE(load_pass_through_file(lists, par));
  lists.record("A3F2A", "FALSE");
  lists.record("P3F2A_1", "new");

  EXPECT_EQ(lists.pass_through(),
            (Items{"A3F2A", "TRUE", "P3F2A_1", "old", "A3F2A", "FALSE", "P3F2A_1", "new"}));
  EXPECT_EQ(lists.installer_properties(), (Properties{{"A3F2A", "FALSE"}, {"P3F2A_1", "new"}}));
}

TEST(PassThroughFileTest, MissingParFileLeavesListAsItIs) {
  test::TempFolder folder;
  InstallerPropertyLists lists;
  lists.record("A1", "FALSE");

  EXPECT_FALSE(load_pass_through_file(lists, folder.file("missing.par")));
  EXPECT_FALSE(load_pass_through_file(lists, folder.file("no folder\\setup.par")));
  EXPECT_EQ(lists.pass_through(), (Items{"A1", "FALSE"}));
}

TEST(PassThroughFileTest, FailedSaveLeavesEarlierFileAndNoLeftovers) {
  test::TempFolder folder;
  InstallerPropertyLists lists;
  lists.record("NEW", "value");

  // A folder where the file should be: the replacement fails after the new
  // content was written.
  const std::string blocked = folder.file("blocked.par");
  ASSERT_TRUE(CreateDirectoryA(blocked.c_str(), nullptr));
  EXPECT_THROW(save_pass_through_file(lists, blocked), platform::WindowsError);
  EXPECT_EQ(files_in(folder.path()), Items{"blocked.par"});

  // No folder at all.
  EXPECT_THROW(save_pass_through_file(lists, folder.file("missing\\setup.par")), platform::WindowsError);
  EXPECT_EQ(files_in(folder.path()), Items{"blocked.par"});
}

TEST(PassThroughFileTest, FileInUseKeepsItsEarlierContent) {
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
    EXPECT_THROW(save_pass_through_file(lists, par), platform::WindowsError);
  }
  EXPECT_EQ(test::read_file(par), "OLD\r\nVALUE\r\n");
  EXPECT_EQ(files_in(folder.path()), Items{"setup.par"});

  save_pass_through_file(lists, par);
  EXPECT_EQ(test::read_file(par), "NEW\r\nvalue\r\n");
  EXPECT_EQ(files_in(folder.path()), Items{"setup.par"});
}

}  // namespace
}  // namespace qm
