// "Get IIS Property" and "Set IIS Property" on sites and virtual folders of
// the test web server (test_metabase.dll).

#include <gtest/gtest.h>

#include <string>

#include "tests/commands/iis/test_web_server.h"
#include "tests/commands/query/query_run.h"

namespace qm {
namespace {

using test::Metabase;
using test::standard_metabase;
using test::TestWebServer;

class IisPropertyTest : public ::testing::Test {
 protected:
  test::MetabaseServerRegistration registration_;
};

Metabase property_metabase() {
  Metabase metabase = standard_metabase();
  metabase.add("W3SVC/1/Root/shop", "IIsWebVirtualDir").set("Path", "C:\\Shop");
  metabase.find("W3SVC/1")->set("MaxConnections", "-1");
  return metabase;
}

TEST_F(IisPropertyTest, GetReadsAPropertyOfTheSiteOrOfAFolder) {
  struct Case {
    const char* of_site;
    const char* site;
    const char* folder;
    const char* name;
    const char* value;
  };
  const Case cases[] = {
      {"TRUE", "1", "", "ServerComment", "Default Web Site"},
      {"TRUE", "1", "shop", "Status", "2"},
      {"TRUE", "1", "", "MaxConnections", "-1"},
      {"FALSE", "1", "", "Path", "C:\\Inetpub\\wwwroot"},
      {"FALSE", "1", "shop", "Path", "C:\\Shop"},
      {"-1", "1", "shop", "ServerComment", "Default Web Site"},
      // Truth values read as automation writes them, which scripts take as true.
      {"FALSE", "1", "", "AccessRead", "-1"},
      {"FALSE", "1", "", "accessread", "-1"},
      // What cannot be read.
      {"TRUE", "1", "", "NoSuchProperty", "!ERROR!"},
      {"FALSE", "1", "", "ServerComment", "!ERROR!"},
      {"TRUE", "9", "", "ServerComment", "!ERROR!"},
      {"FALSE", "1", "missing", "Path", "!ERROR!"},
      {"FALSE", "1", "shop", "MimeMap", "!ERROR!"},
  };
  for (const Case& c : cases) {
    TestWebServer server(property_metabase());
    const auto run = test::run_query_script(std::string("Get IIS Property | ") + c.of_site + " | $UNDEFINED$ | " +
                                            c.site + " | " + c.folder + " | " + c.name + " | $VALUE$");
    EXPECT_FALSE(run->outcome().failed) << run->outcome().error_report;
    EXPECT_EQ(run->get("VALUE"), c.value) << c.of_site << " " << c.site << "/" << c.folder << " " << c.name;
  }
}

TEST_F(IisPropertyTest, GetWithASiteNumberThatIsNoNumberLeavesTheVariableAlone) {
  TestWebServer server(property_metabase());
  const auto run = test::run_query_script(
      "Set Variable | VALUE | old\nGet IIS Property | TRUE | | first | | ServerComment | VALUE");
  EXPECT_EQ(run->get("VALUE"), "old");
}

TEST_F(IisPropertyTest, SetWritesAndCommitsAProperty) {
  struct Case {
    const char* of_site;
    const char* folder;
    const char* name;
    const char* value;
    const char* path;
    const char* stored;
  };
  const Case cases[] = {
      {"TRUE", "", "ServerComment", "Shop front", "W3SVC/1", "Shop front"},
      {"TRUE", "", "ConnectionTimeout", "120", "W3SVC/1", "120"},
      {"FALSE", "shop", "AccessWrite", "TRUE", "W3SVC/1/Root/shop", "TRUE"},
      {"FALSE", "shop", "AccessWrite", "-1", "W3SVC/1/Root/shop", "TRUE"},
      {"FALSE", "", "DefaultDoc", "a.htm,b.htm", "W3SVC/1/Root", "a.htm,b.htm"},
      {"FALSE", "shop", "Path", "D:\\\\New", "W3SVC/1/Root/shop", "D:\\New"},
      // Refused by the server: nothing changes.
      {"TRUE", "", "ConnectionTimeout", "long", "W3SVC/1", "<none>"},
      {"TRUE", "", "Status", "4", "W3SVC/1", "2"},
      {"TRUE", "", "NoSuchProperty", "x", "W3SVC/1", "<none>"},
      {"FALSE", "missing", "Path", "x", "W3SVC/1/Root/missing", "<none>"},
  };
  for (const Case& c : cases) {
    TestWebServer server(property_metabase());
    const auto run = test::run_query_script(std::string("Set IIS Property | ") + c.of_site + " | $UNDEFINED$ | 1 | " +
                                            c.folder + " | " + c.name + " | " + c.value);
    EXPECT_FALSE(run->outcome().failed) << run->outcome().error_report;
    EXPECT_EQ(server.get(c.path, c.name), c.stored) << c.name << " " << c.value;
  }
}

}  // namespace
}  // namespace qm
