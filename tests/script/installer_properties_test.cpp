#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/comma_text.h"
#include "script/installer_properties.h"

namespace qm {
namespace {

using Items = std::vector<std::string>;
using Properties = std::vector<InstallerProperty>;

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
