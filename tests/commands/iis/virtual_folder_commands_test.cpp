// "Create Virtual Folder" and "Delete Virtual Folder" against the test web
// server (test_metabase.dll), and the ASP.NET registration that runs a
// recorder in the place of the version's aspnet_regiis.exe.

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/commands/iis/test_web_server.h"
#include "tests/commands/query/query_run.h"
#include "tests/support/temp_folder.h"

namespace qm {
namespace {

using test::Metabase;
using test::standard_metabase;
using test::TestWebServer;

// The eighteen fields of a "Create Virtual Folder" line (fields 9 and 10
// hold a "|", which the tests' script text cannot).
struct FolderLine {
  std::string name = "shop";
  std::string path = "C:\\Sites\\Shop";
  std::string source = "FALSE";
  std::string read = "TRUE";
  std::string write = "FALSE";
  std::string browse = "FALSE";
  std::string log = "TRUE";
  std::string indexed = "FALSE";
  std::string application = "0|";
  std::string execute = "1";
  std::string default_document = "TRUE";
  std::string documents = "default.htm,index.htm";
  std::string footer;
  std::string anonymous = "TRUE";
  std::string ntlm = "FALSE";
  std::string basic = "FALSE";
  std::string mime;
  std::string site = "1";

  std::vector<std::string> fields() const {
    return {name,      path,     source, read,      write,     browse, log,  indexed, application,
            execute,   default_document, documents, footer,    anonymous, ntlm, basic, mime, site};
  }
};

std::unique_ptr<test::EngineRun> run_lines(const std::vector<FolderLine>& lines, const std::string& after = "") {
  test::PackageText package = test::script_package("");
  for (const FolderLine& line : lines) package.add_line("Create Virtual Folder", line.fields());
  const test::PackageText rest = test::script_package(after);
  package.lines.insert(package.lines.end(), rest.lines.begin() + 1, rest.lines.end());
  auto run = std::make_unique<test::EngineRun>(package);
  EXPECT_TRUE(run->run());
  EXPECT_FALSE(run->outcome().failed) << run->outcome().error_report;
  return run;
}

std::unique_ptr<test::EngineRun> run_line(const FolderLine& line) { return run_lines({line}); }

class VirtualFolderTest : public ::testing::Test {
 protected:
  test::MetabaseServerRegistration registration_;
};

TEST_F(VirtualFolderTest, CreateWritesEveryFieldToANewFolder) {
  TestWebServer server;
  FolderLine line;
  line.source = "TRUE";
  line.write = "-1";
  line.browse = "TRUE";
  line.log = "FALSE";
  line.indexed = "TRUE";
  line.application = "2|ShopPool";
  line.execute = "2";
  line.footer = "C:\\Sites\\footer.htm";
  line.ntlm = "TRUE";
  line.basic = "TRUE";
  line.mime = ".log=text/plain";
  run_line(line);
  const std::string folder = "W3SVC/1/Root/shop";
  const Metabase metabase = server.metabase();
  ASSERT_NE(metabase.find(folder), nullptr);
  EXPECT_EQ(metabase.find(folder)->class_name, "IIsWebVirtualDir");
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"Path", "C:\\Sites\\Shop"},
      {"AccessSource", "TRUE"},
      {"AccessRead", "TRUE"},
      {"AccessWrite", "TRUE"},
      {"EnableDirBrowsing", "TRUE"},
      {"DontLog", "TRUE"},
      {"ContentIndexed", "TRUE"},
      {"AppPoolId", "ShopPool"},
      {"AppIsolated", "2"},
      {"AppFriendlyName", "ShopPool"},
      {"AccessScript", "TRUE"},
      {"AccessExecute", "TRUE"},
      {"EnableDefaultDoc", "TRUE"},
      {"DefaultDoc", "default.htm,index.htm"},
      {"EnableDocFooter", "TRUE"},
      {"DefaultDocFooter", "C:\\Sites\\footer.htm"},
      {"AuthAnonymous", "TRUE"},
      {"AuthNTLM", "TRUE"},
      {"AuthBasic", "TRUE"},
      {"MimeMap", ".log,text/plain"},
  };
  for (const auto& [name, value] : expected) EXPECT_EQ(server.get(folder, name), value) << name;
  // The pool did not exist: it was made.
  ASSERT_NE(metabase.find("W3SVC/AppPools/ShopPool"), nullptr);
  EXPECT_TRUE(test::same_text_ignoring_case(metabase.find("W3SVC/AppPools/ShopPool")->class_name, "IIsApplicationPool"));
}

TEST_F(VirtualFolderTest, ApplicationProtectionAndPool) {
  struct Case {
    const char* application;
    const char* isolated;  // what AppCreate2 was given
    const char* pool_id;
    const char* friendly_name;
  };
  const Case cases[] = {
      {"0|", "<none>", "<none>", "<none>"},
      {"0", "<none>", "<none>", "<none>"},
      {"1|DefaultAppPool", "0", "DefaultAppPool", "DefaultAppPool"},
      {"2|DefaultAppPool", "2", "DefaultAppPool", "DefaultAppPool"},
      {"3|DefaultAppPool", "1", "DefaultAppPool", "DefaultAppPool"},
      {"3|", "1", "<none>", ""},
      {"0|DefaultAppPool", "<none>", "DefaultAppPool", "<none>"},
  };
  for (const Case& c : cases) {
    TestWebServer server;
    FolderLine line;
    line.application = c.application;
    run_line(line);
    EXPECT_EQ(server.get("W3SVC/1/Root/shop", "AppIsolated"), c.isolated) << c.application;
    EXPECT_EQ(server.get("W3SVC/1/Root/shop", "AppPoolId"), c.pool_id) << c.application;
    EXPECT_EQ(server.get("W3SVC/1/Root/shop", "AppFriendlyName"), c.friendly_name) << c.application;
    // An existing pool is used as it is.
    EXPECT_TRUE(server.calls("W3SVC/AppPools", "Create").empty()) << c.application;
  }
}

TEST_F(VirtualFolderTest, APoolThatCannotBeHadIsLeftOutButStillNamesTheApplication) {
  Metabase initial = standard_metabase();
  initial.remove_tree("W3SVC/AppPools");
  TestWebServer server(initial);
  FolderLine line;
  line.application = "2|ShopPool";
  run_line(line);
  EXPECT_EQ(server.get("W3SVC/1/Root/shop", "AppPoolId"), "<none>");
  EXPECT_EQ(server.get("W3SVC/1/Root/shop", "AppIsolated"), "2");
  EXPECT_EQ(server.get("W3SVC/1/Root/shop", "AppFriendlyName"), "ShopPool");
}

TEST_F(VirtualFolderTest, ExecutePermissions) {
  struct Case {
    const char* execute;
    const char* script;
    const char* run;
  };
  const Case cases[] = {
      {"0", "FALSE", "FALSE"}, {"1", "TRUE", "FALSE"}, {"2", "TRUE", "TRUE"},
      {"4|", "TRUE", "TRUE"},  {"-1", "FALSE", "FALSE"},
  };
  for (const Case& c : cases) {
    TestWebServer server;
    FolderLine line;
    line.execute = c.execute;
    run_line(line);
    EXPECT_EQ(server.get("W3SVC/1/Root/shop", "AccessScript"), c.script) << c.execute;
    EXPECT_EQ(server.get("W3SVC/1/Root/shop", "AccessExecute"), c.run) << c.execute;
  }
}

TEST_F(VirtualFolderTest, AnEmptyNameConfiguresTheRootOfTheSite) {
  TestWebServer server;
  FolderLine line;
  line.name = "";
  line.path = "D:\\Web";
  run_line(line);
  EXPECT_EQ(server.get("W3SVC/1/Root", "Path"), "D:\\Web");
  EXPECT_TRUE(server.calls("W3SVC/1", "Create").empty());
  // The name is a translated field read as a normalized expansion.
  line.name = "$PART$\\\\deep";
  line.path = "D:\\Web\\Deep";
  test::PackageText package = test::script_package("Set Variable | PART | shop");
  package.add_line("Create Virtual Folder", line.fields());
  test::EngineRun run(package);
  ASSERT_TRUE(run.run());
  EXPECT_EQ(server.get("W3SVC/1/Root/shop\\deep", "Path"), "D:\\Web\\Deep");
}

TEST_F(VirtualFolderTest, FooterAndDefaultDocuments) {
  struct Case {
    const char* footer;
    const char* enabled;
    const char* file;
  };
  const Case cases[] = {{"", "FALSE", "<none>"}, {"C:\\f.htm", "TRUE", "C:\\f.htm"}};
  for (const Case& c : cases) {
    TestWebServer server;
    FolderLine line;
    line.footer = c.footer;
    line.default_document = "FALSE";
    run_line(line);
    EXPECT_EQ(server.get("W3SVC/1/Root/shop", "EnableDocFooter"), c.enabled) << c.footer;
    EXPECT_EQ(server.get("W3SVC/1/Root/shop", "DefaultDocFooter"), c.file) << c.footer;
    EXPECT_EQ(server.get("W3SVC/1/Root/shop", "EnableDefaultDoc"), "FALSE");
    EXPECT_EQ(server.get("W3SVC/1/Root/shop", "DefaultDoc"), "default.htm,index.htm");
  }
}

TEST_F(VirtualFolderTest, MimeTypesAreAddedToTheFoldersMap) {
  struct Case {
    const char* existing;  // the map the folder has ("" none)
    const char* mime;
    const char* map;
  };
  const Case cases[] = {
      {"", ".log=text/plain", ".log,text/plain"},
      {"", ".log=text/plain,.dat", ".log,text/plain;.dat,"},
      {"", "\".x=a,b\",.y=c=d", ".x,a,b;.y,c=d"},
      {".a,x/a", ".b=x/b", ".a,x/a;.b,x/b"},
      {".a,x/a", "", ".a,x/a"},
  };
  for (const Case& c : cases) {
    Metabase initial = standard_metabase();
    if (*c.existing != '\0') initial.find("W3SVC/1/Root")->set("MimeMap", c.existing);
    TestWebServer server(initial);
    FolderLine line;
    line.name = "";
    line.mime = c.mime;
    run_line(line);
    EXPECT_EQ(server.get("W3SVC/1/Root", "MimeMap"), std::string(*c.map ? c.map : "<none>")) << c.mime;
  }
}

TEST_F(VirtualFolderTest, ANumberThatIsNoNumberMakesNothing) {
  for (const auto& [application, execute, site] : std::vector<std::tuple<std::string, std::string, std::string>>{
           {"|Pool", "1", "1"}, {"x|Pool", "1", "1"}, {"0|", "", "1"}, {"0|", "x|2", "1"}, {"0|", "1", "one"}}) {
    TestWebServer server;
    FolderLine line;
    line.application = application;
    line.execute = execute;
    line.site = site;
    run_line(line);
    EXPECT_EQ(server.metabase().text(), standard_metabase().text()) << application << " " << execute << " " << site;
  }
}

TEST_F(VirtualFolderTest, AFolderOfASiteThatIsNotThereIsNotMade) {
  TestWebServer server;
  FolderLine line;
  line.site = "4";
  run_line(line);
  EXPECT_EQ(server.metabase().text(), standard_metabase().text());
}

TEST_F(VirtualFolderTest, DeleteRemovesTheFolderAndWhatIsBelowIt) {
  struct Case {
    const char* site;
    const char* name;
    std::vector<std::string> gone;
    std::vector<std::string> kept;
  };
  const Case cases[] = {
      {"1", "shop", {"W3SVC/1/Root/shop", "W3SVC/1/Root/shop/images"}, {"W3SVC/1/Root", "W3SVC/1"}},
      {"1", "", {"W3SVC/1/Root", "W3SVC/1/Root/shop"}, {"W3SVC/1"}},
      {"1", "other", {}, {"W3SVC/1/Root/shop"}},
      {"2", "shop", {}, {"W3SVC/1/Root/shop"}},
      {"x", "shop", {}, {"W3SVC/1/Root/shop"}},
  };
  for (const Case& c : cases) {
    Metabase initial = standard_metabase();
    initial.add("W3SVC/1/Root/shop", "IIsWebVirtualDir");
    initial.add("W3SVC/1/Root/shop/images", "IIsWebVirtualDir");
    TestWebServer server(initial);
    const auto run = test::run_query_script(std::string("Delete Virtual Folder | ") + c.site + " | " + c.name);
    EXPECT_FALSE(run->outcome().failed) << run->outcome().error_report;
    const Metabase metabase = server.metabase();
    for (const std::string& path : c.gone) EXPECT_EQ(metabase.find(path), nullptr) << c.name << ": " << path;
    for (const std::string& path : c.kept) EXPECT_NE(metabase.find(path), nullptr) << c.name << ": " << path;
  }
}

// ---------------------------------------------------------------------------
// The ASP.NET registration.

std::string windows_folder() {
  char path[MAX_PATH] = {};
  GetWindowsDirectoryA(path, MAX_PATH);
  std::string folder = path;
  if (folder.back() != '\\') folder += '\\';
  return folder;
}

// The tests' recorder program placed as a version's aspnet_regiis.exe, and
// taken away again with the folders made for it.
class PlacedTool {
 public:
  explicit PlacedTool(const std::string& version) {
    std::string folder = windows_folder();
    for (const std::string& part : {std::string("Microsoft.NET"), std::string("Framework"), version}) {
      folder += part + "\\";
      if (CreateDirectoryA(folder.c_str(), nullptr)) made_.push_back(folder);
    }
    tool_ = folder + "aspnet_regiis.exe";
    if (GetFileAttributesA(tool_.c_str()) != INVALID_FILE_ATTRIBUTES) {
      tool_.clear();  // a tool of the machine's own: left alone
      return;
    }
    placed_ = CopyFileA((test::program_folder() + "test_program.exe").c_str(), tool_.c_str(), TRUE) != FALSE;
  }
  ~PlacedTool() {
    if (placed_) DeleteFileA(tool_.c_str());
    for (auto folder = made_.rbegin(); folder != made_.rend(); ++folder) RemoveDirectoryA(folder->c_str());
  }
  bool placed() const { return placed_; }

 private:
  std::string tool_;
  std::vector<std::string> made_;
  bool placed_ = false;
};

TEST_F(VirtualFolderTest, AnAspNetVersionIsRegisteredWithItsOwnTool) {
  struct Case {
    const char* execute;
    const char* version;  // whose tool runs, "" none
  };
  const Case cases[] = {
      {"1|2", "v2.0.50727"},
      {"1|1", "v1.1.4322"},
      {"1|v4.0.30319", "v4.0.30319"},
      {"1", ""},
      {"1|", ""},
      {"1|0", ""},
  };
  for (const Case& c : cases) {
    PlacedTool v1("v1.1.4322");
    PlacedTool v2("v2.0.50727");
    PlacedTool v4("v4.0.30319");
    if (!v1.placed() || !v2.placed() || !v4.placed()) GTEST_SKIP() << "an ASP.NET tool of the machine is in the way";
    test::TempFolder folder;
    const std::string record = folder.file("record.txt");
    SetEnvironmentVariableA("QM_RECORD_FILE", record.c_str());
    TestWebServer server;
    FolderLine line;
    line.execute = c.execute;
    run_line(line);
    SetEnvironmentVariableA("QM_RECORD_FILE", nullptr);
    if (*c.version == '\0') {
      EXPECT_EQ(GetFileAttributesA(record.c_str()), INVALID_FILE_ATTRIBUTES) << c.execute;
      continue;
    }
    const std::string tool = windows_folder() + "Microsoft.NET\\Framework\\" + c.version + "\\aspnet_regiis.exe";
    const std::string recorded = test::read_file(record);
    EXPECT_NE(recorded.find(tool), std::string::npos) << recorded;
    EXPECT_NE(recorded.find("-s \"w3svc/1/Root/shop\""), std::string::npos) << recorded;
  }
}

TEST_F(VirtualFolderTest, NoRegistrationWhenTheFolderCouldNotBeMade) {
  PlacedTool v2("v2.0.50727");
  if (!v2.placed()) GTEST_SKIP() << "an ASP.NET tool of the machine is in the way";
  test::TempFolder folder;
  const std::string record = folder.file("record.txt");
  SetEnvironmentVariableA("QM_RECORD_FILE", record.c_str());
  TestWebServer server;
  FolderLine line;
  line.execute = "1|2";
  line.site = "4";
  run_line(line);
  SetEnvironmentVariableA("QM_RECORD_FILE", nullptr);
  EXPECT_EQ(GetFileAttributesA(record.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace qm
