// The IIS commands in a real setup run: setup.exe, started silently, builds
// a site with a folder on the test web server (test_metabase.dll, found
// through its class registration, with the metabase file named in the
// environment setup.exe inherits), asks about it and controls it.

#include <gtest/gtest.h>

#include <string>

#include "tests/commands/iis/test_web_server.h"
#include "tests/support/script_text.h"
#include "tests/support/setup_folder.h"

namespace qm {
namespace {

TEST(IisSetupTest, ASetupBuildsAndQueriesASite) {
  const test::MetabaseServerRegistration registration;
  const test::TestWebServer server;
  test::PackageText package = test::script_package(
      "Set Variable | PRODUCT | Shop\n"
      "Create IIS Site | $PRODUCT$ | next | | shop.example | 8080 | 8443 | 120 | TRUE | TRUE | TRUE | FALSE | FALSE "
      "| | 100 | 1\n"
      "Get IIS Site Index | $PRODUCT$ | INDEX\n");
  package.add_line("Create Virtual Folder",
                   {"store", "C:\\Sites\\Store", "FALSE", "TRUE", "FALSE", "FALSE", "TRUE", "FALSE", "2|StorePool", "1",
                    "TRUE", "default.aspx", "", "TRUE", "FALSE", "FALSE", ".json=application/json", "$INDEX$"});
  const test::PackageText rest = test::script_package(
      "Control IIS Site | $INDEX$ | 0\n"
      "Set IIS Property | FALSE | | $INDEX$ | store | AccessWrite | TRUE\n"
      "Get IIS Property | FALSE | | $INDEX$ | store | Path | STORE_PATH\n"
      "Get IIS Property | TRUE | | $INDEX$ | | Status | STATUS\n"
      "Get IIS Site List | SITES\n"
      "IIS Anonymous User | ANONYMOUS\n"
      "Delete IIS Site | 1\n"
      "Get IIS Site List | LEFT\n"
      "dump");
  package.lines.insert(package.lines.end(), rest.lines.begin() + 1, rest.lines.end());
  package.plugin_commands = rest.plugin_commands;
  const test::SetupFolder setup(package.text());
  ASSERT_EQ(setup.run("/s"), 0u);

  const auto variables = setup.variables();
  EXPECT_EQ(variables.at("INDEX"), "2");
  EXPECT_EQ(variables.at("STORE_PATH"), "C:\\Sites\\Store");
  EXPECT_EQ(variables.at("STATUS"), "2");
  EXPECT_EQ(variables.at("SITES"), "Default Web Site$NEWLINE$Shop");
  EXPECT_EQ(variables.at("ANONYMOUS"), "IUSR_METABASE");
  EXPECT_EQ(variables.at("LEFT"), "Shop");

  const test::Metabase metabase = server.metabase();
  EXPECT_EQ(metabase.find("W3SVC/1"), nullptr);
  EXPECT_EQ(server.get("W3SVC/2", "ServerBindings"), ":8080:shop.example");
  EXPECT_EQ(server.get("W3SVC/2", "Status"), "2");
  EXPECT_EQ(server.get("W3SVC", "EnabledExtensions"), "ASP");
  EXPECT_EQ(server.get("W3SVC/2/Root/store", "AppPoolId"), "StorePool");
  EXPECT_EQ(server.get("W3SVC/2/Root/store", "AccessWrite"), "TRUE");
  EXPECT_EQ(server.get("W3SVC/2/Root/store", "MimeMap"), ".json,application/json");
  EXPECT_NE(metabase.find("W3SVC/AppPools/StorePool"), nullptr);
  // The anonymous user's probe site is gone again.
  EXPECT_EQ(metabase.find("W3SVC/3"), nullptr);
}

}  // namespace
}  // namespace qm
