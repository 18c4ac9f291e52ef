// The IIS site commands on their script lines against the test web server
// (test_metabase.dll): what they leave in its metabase, the calls they make,
// and what they report.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "tests/commands/iis/test_web_server.h"
#include "tests/commands/query/query_run.h"

namespace qm {
namespace {

using test::Metabase;
using test::MetabaseNode;
using test::standard_metabase;
using test::TestWebServer;

std::unique_ptr<test::EngineRun> run_script(const std::string& script) {
  auto run = test::run_query_script(script);
  EXPECT_FALSE(run->outcome().failed) << run->outcome().error_report;
  return run;
}

class IisSiteTest : public ::testing::Test {
 protected:
  test::MetabaseServerRegistration registration_;
};

// A "Create IIS Site" line from its fifteen fields after the first two.
std::string create_site_line(const std::string& description, const std::string& number,
                             const std::string& rest) {
  return "Create IIS Site | " + description + " | " + number + " | " + rest + "\n";
}

constexpr const char* kShopFields =
    "10.0.0.7 | shop.example | 8080 | 8443 | 90 | TRUE | TRUE | FALSE | FALSE | FALSE | ignored | 250 | 2";

TEST_F(IisSiteTest, CreateSiteWritesEveryFieldToANewSite) {
  TestWebServer server;
  run_script(create_site_line("Shop", "5", kShopFields));
  const Metabase metabase = server.metabase();
  const MetabaseNode* site = metabase.find("W3SVC/5");
  ASSERT_NE(site, nullptr);
  EXPECT_EQ(site->class_name, "IIsWebServer");
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"ServerComment", "Shop"},       {"ServerBindings", "10.0.0.7:8080:shop.example"},
      {"SecureBindings", "10.0.0.7:8443:shop.example"},
      {"ConnectionTimeout", "90"},     {"AllowKeepAlive", "TRUE"},
      {"LogType", "1"},                {"DontLog", "FALSE"},
      {"MaxConnections", "250"},       {"ServerSize", "2"},
  };
  for (const auto& [name, value] : expected) EXPECT_EQ(server.get("W3SVC/5", name), value) << name;
  // Nothing asked the service to enable anything.
  EXPECT_TRUE(server.calls("W3SVC", "SetInfo").empty());
  EXPECT_EQ(server.get("W3SVC", "EnabledExtensions"), "<none>");
}

TEST_F(IisSiteTest, CreateSiteTruthAndNumberFields) {
  struct Case {
    const char* fields;  // fields 3 to 15
    const char* name;
    const char* value;
  };
  const Case cases[] = {
      {":: | | 80 | 443 | 60 | FALSE | FALSE | FALSE | FALSE | FALSE | | 10 | 1", "LogType", "0"},
      // Without logging, DontLog is left as the server has it.
      {":: | | 80 | 443 | 60 | FALSE | FALSE | FALSE | FALSE | FALSE | | 10 | 1", "DontLog", "<none>"},
      {":: | | 80 | 443 | 60 | -1 | -1 | FALSE | FALSE | FALSE | | 10 | 1", "AllowKeepAlive", "TRUE"},
      {":: | | 80 | 443 | 60 | yes | FALSE | FALSE | FALSE | FALSE | | 10 | 1", "AllowKeepAlive", "FALSE"},
      {":: | | 80 | 443 | 60 | true | FALSE | FALSE | FALSE | FALSE | | 10 | 1", "AllowKeepAlive", "TRUE"},
      // Unlimited connections do not read field 14 at all.
      {":: | | 80 | 443 | 60 | FALSE | FALSE | FALSE | FALSE | TRUE | | many | 1", "MaxConnections", "-1"},
      {":: | | 80 | 443 | $20 | FALSE | FALSE | FALSE | FALSE | FALSE | | 10 | 1", "ConnectionTimeout", "32"},
      {"1.2.3.4 | | 80 | 443 | 60 | FALSE | FALSE | FALSE | FALSE | FALSE | | 10 | 1", "ServerBindings",
       "1.2.3.4:80:"},
  };
  for (const Case& c : cases) {
    TestWebServer server;
    run_script(create_site_line("Probe", "7", c.fields));
    EXPECT_EQ(server.get("W3SVC/7", c.name), c.value) << c.fields;
  }
}

TEST_F(IisSiteTest, CreateSiteTakesTheFirstFreeNumberWhenTheNumberIsNoNumber) {
  struct Case {
    std::vector<int> existing;
    const char* number;
    const char* made;
  };
  const Case cases[] = {
      {{}, "next", "W3SVC/1"},
      {{1}, "", "W3SVC/2"},
      {{1, 2, 4}, "new", "W3SVC/3"},
  };
  for (const Case& c : cases) {
    Metabase initial;
    initial.add("W3SVC", "IIsWebService");
    for (int number : c.existing)
      initial.add("W3SVC/" + std::to_string(number), "IIsWebServer").set("ServerComment", "Old");
    TestWebServer server(initial);
    run_script(create_site_line("Fresh", c.number, kShopFields));
    EXPECT_EQ(server.get(c.made, "ServerComment"), "Fresh") << c.number;
    for (int number : c.existing)
      EXPECT_EQ(server.get("W3SVC/" + std::to_string(number), "ServerComment"), "Old") << number;
  }
}

TEST_F(IisSiteTest, CreateSiteReconfiguresTheSiteThatHasTheNumber) {
  TestWebServer server;
  run_script(create_site_line("Renamed", "1", kShopFields));
  EXPECT_EQ(server.get("W3SVC/1", "ServerComment"), "Renamed");
  EXPECT_EQ(server.get("W3SVC/1", "ConnectionTimeout"), "90");
  // The site keeps what the line does not set, and its folders.
  EXPECT_EQ(server.get("W3SVC/1", "Status"), "2");
  EXPECT_EQ(server.get("W3SVC/1/Root", "Path"), "C:\\Inetpub\\wwwroot");
  EXPECT_TRUE(server.calls("W3SVC", "Create").empty());
}

TEST_F(IisSiteTest, CreateSiteEnablesServiceExtensionsAndCommitsThem) {
  struct Case {
    const char* asp;
    const char* exe;
    const char* extensions;
    const char* files;
    std::size_t service_commits;
  };
  const Case cases[] = {
      {"TRUE", "FALSE", "ASP", "<none>", 1},
      {"FALSE", "TRUE", "<none>", "*.exe", 1},
      {"TRUE", "TRUE", "ASP", "*.exe", 1},
      {"FALSE", "FALSE", "<none>", "<none>", 0},
  };
  for (const Case& c : cases) {
    TestWebServer server;
    run_script(create_site_line("Shop", "3", std::string(":: | | 80 | 443 | 60 | FALSE | FALSE | ") + c.asp + " | " +
                                                 c.exe + " | FALSE | | 10 | 1"));
    EXPECT_EQ(server.get("W3SVC", "EnabledExtensions"), c.extensions) << c.asp << c.exe;
    EXPECT_EQ(server.get("W3SVC", "EnabledFiles"), c.files) << c.asp << c.exe;
    EXPECT_EQ(server.calls("W3SVC", "SetInfo").size(), c.service_commits) << c.asp << c.exe;
    EXPECT_EQ(server.get("W3SVC/3", "ServerComment"), "Shop");
  }
}

TEST_F(IisSiteTest, CreateSiteReadsItsDescriptionAsANormalizedExpansion) {
  TestWebServer server;
  run_script("Set Variable | PRODUCT | Shop\n" + create_site_line("$PRODUCT$ \\\\\\\\ Site", "4", kShopFields));
  EXPECT_EQ(server.get("W3SVC/4", "ServerComment"), "Shop \\\\ Site");
}

TEST_F(IisSiteTest, CreateSiteWithANumberFieldThatIsNoNumberDoesNothing) {
  for (const char* fields : {":: | | 80 | 443 | soon | FALSE | FALSE | TRUE | FALSE | FALSE | | 10 | 1",
                             ":: | | 80 | 443 | 60 | FALSE | FALSE | TRUE | FALSE | FALSE | | ten | 1",
                             ":: | | 80 | 443 | 60 | FALSE | FALSE | TRUE | FALSE | FALSE | | 10 | big"}) {
    TestWebServer server;
    run_script(create_site_line("Shop", "6", fields));
    EXPECT_EQ(server.metabase().text(), standard_metabase().text()) << fields;
  }
}

TEST_F(IisSiteTest, DeleteSiteRemovesItWithItsFolders) {
  struct Case {
    const char* number;
    bool removed;
  };
  const Case cases[] = {{"1", true}, {" 1", true}, {"$1", true}, {"9", false}, {"one", false}};
  for (const Case& c : cases) {
    TestWebServer server;
    run_script(std::string("Delete IIS Site | ") + c.number);
    const Metabase metabase = server.metabase();
    EXPECT_EQ(metabase.find("W3SVC/1") == nullptr, c.removed) << c.number;
    EXPECT_EQ(metabase.find("W3SVC/1/Root") == nullptr, c.removed) << c.number;
    EXPECT_NE(metabase.find("W3SVC/AppPools"), nullptr) << c.number;
  }
}

TEST_F(IisSiteTest, ControlSiteActions) {
  struct Case {
    const char* status;
    const char* action;
    const char* final_status;
    std::vector<std::string> calls;  // the state changes asked, in order
  };
  const Case cases[] = {
      {"4", "0", "2", {"Start"}},
      {"2", "1", "4", {"Stop"}},
      {"2", "2", "6", {"Start", "Pause"}},
      // A stopped site cannot be paused: it is started first.
      {"4", "2", "6", {"Start", "Pause"}},
      {"6", "3", "2", {"Start", "Continue"}},
      {"2", "4", "2", {}},
      {"2", "-1", "2", {}},
      {"2", "pause", "2", {}},
  };
  for (const Case& c : cases) {
    Metabase initial = standard_metabase();
    initial.find("W3SVC/1")->set("Status", c.status);
    TestWebServer server(initial);
    run_script(std::string("Control IIS Site | 1 | ") + c.action);
    EXPECT_EQ(server.get("W3SVC/1", "Status"), c.final_status) << c.status << " " << c.action;
    std::vector<std::string> asked;
    for (const std::string& call : server.calls())
      for (const char* member : {"Start", "Stop", "Pause", "Continue"})
        if (call == std::string("W3SVC/1|") + member) asked.push_back(member);
    EXPECT_EQ(asked, c.calls) << c.status << " " << c.action;
  }
}

TEST_F(IisSiteTest, ControlSiteReadsTheActionRawAndNeedsTheSite) {
  TestWebServer server;
  // The action is not substituted; a site that is not there is not touched.
  run_script("Set Variable | ACTION | 1\nControl IIS Site | 1 | $ACTION$\nControl IIS Site | 8 | 1");
  EXPECT_EQ(server.get("W3SVC/1", "Status"), "2");
  for (const std::string& call : server.calls()) EXPECT_EQ(call.find("|Stop"), std::string::npos) << call;
}

Metabase sites_metabase() {
  Metabase metabase = standard_metabase();
  metabase.add("W3SVC/3", "IIsWebServer").set("ServerComment", "Shop");
  // The class name compares ignoring case.
  metabase.add("W3SVC/12", "iiswebserver").set("ServerComment", "Intranet");
  metabase.add("W3SVC/Mime", "IIsMimeMap").set("ServerComment", "Not a site");
  return metabase;
}

TEST_F(IisSiteTest, SiteListGivesTheSitesDescriptionsLineByLine) {
  struct Case {
    Metabase metabase;
    const char* list;
  };
  Metabase no_sites;
  no_sites.add("W3SVC", "IIsWebService");
  no_sites.add("W3SVC/AppPools", "IIsApplicationPools");
  Metabase broken = sites_metabase();
  // A site without a description ends the list where it stands.
  broken.nodes.insert(broken.nodes.begin() + 8, MetabaseNode{"W3SVC/2", "IIsWebServer", {}});
  const Case cases[] = {
      {standard_metabase(), "Default Web Site"},
      {sites_metabase(), "Default Web Site$NEWLINE$Shop$NEWLINE$Intranet"},
      {no_sites, ""},
      {broken, "Default Web Site$NEWLINE$Shop"},
  };
  for (const Case& c : cases) {
    TestWebServer server(c.metabase);
    const auto run = run_script("Get IIS Site List | $SITES$");
    EXPECT_EQ(run->get("SITES"), c.list) << c.metabase.text();
  }
}

TEST_F(IisSiteTest, SiteIndexGivesTheNumberOfTheSiteDescribedSo) {
  struct Case {
    const char* description;
    const char* index;
  };
  const Case cases[] = {
      {"Default Web Site", "1"},
      {"Shop", "3"},
      {"Intranet", "12"},
      {"Unknown", "0"},
      // Descriptions are compared exactly.
      {"shop", "0"},
      {"Not a site", "0"},
  };
  for (const Case& c : cases) {
    TestWebServer server(sites_metabase());
    const auto run = run_script(std::string("Get IIS Site Index | ") + c.description + " | INDEX");
    EXPECT_EQ(run->get("INDEX"), c.index) << c.description;
  }
}

TEST_F(IisSiteTest, AnonymousUserComesFromAProbeSiteThatIsRemovedAgain) {
  TestWebServer server;
  const auto run = run_script("IIS Anonymous User | user\nGet System Settings | SETTING | 59");
  EXPECT_EQ(run->get("USER"), "IUSR_METABASE");
  EXPECT_EQ(run->get("SETTING"), "IUSR_METABASE");
  // Both probed with site 2, the first free number, and took it away again.
  EXPECT_EQ(server.calls("W3SVC", "Create").size(), 2u);
  EXPECT_EQ(server.calls("W3SVC", "Create").front(), "W3SVC|Create|IIsWebServer|2");
  EXPECT_EQ(server.calls("W3SVC", "Delete").size(), 2u);
  EXPECT_EQ(server.metabase().text(), standard_metabase().text());
}

TEST_F(IisSiteTest, AnonymousUserWithoutAVariableAsksNothing) {
  TestWebServer server;
  run_script("IIS Anonymous User |");
  EXPECT_TRUE(server.calls().empty());
}

// No web server registered: the queries answer empty, the changes do nothing,
// and the script goes on.
TEST(IisWithoutServerTest, QueriesAnswerEmptyAndChangesDoNothing) {
  CLSID iis;
  if (SUCCEEDED(CLSIDFromProgID(L"IISNamespace", &iis))) GTEST_SKIP() << "IIS administration objects are here";
  TestWebServer server;
  const auto run = run_script(
      "Set Variable | TOUCHED | old\n"
      "Create IIS Site | Shop | 2 | :: | | 80 | 443 | 60 | FALSE | FALSE | TRUE | TRUE | FALSE | | 10 | 1\n"
      "Delete IIS Site | 1\n"
      "Control IIS Site | 1 | 1\n"
      "Set IIS Property | TRUE | | 1 | | ServerComment | Changed\n"
      "Delete Virtual Folder | 1 |\n"
      "Get IIS Site List | LIST\n"
      "Get IIS Site Index | Default Web Site | INDEX\n"
      "Get IIS Property | TRUE | | 1 | | ServerComment | PROPERTY\n"
      "IIS Anonymous User | USER\n"
      "Get System Settings | SETTING | 59\n"
      "mark done");
  EXPECT_EQ(run->get("RUN"), "done");
  EXPECT_EQ(run->get("LIST"), "");
  EXPECT_EQ(run->get("INDEX"), "0");
  EXPECT_EQ(run->get("PROPERTY"), "!ERROR!");
  EXPECT_EQ(run->get("USER"), "");
  EXPECT_EQ(run->get("SETTING"), "");
  EXPECT_EQ(server.metabase().text(), standard_metabase().text());
  EXPECT_TRUE(server.calls().empty());
}

}  // namespace
}  // namespace qm
