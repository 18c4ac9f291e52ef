// "Set Access Control" run through the real run initialisation and
// interpreter against real objects: registry keys (whose access lists Wine
// keeps exactly as written), files and folders (whose lists Wine keeps as
// Unix permissions: only the owner's and Everyone's write access survive),
// and the kinds Wine only pretends to carry out (services, shares, printers).
// Every list is read back without the engine's code.

#include <gtest/gtest.h>

#include <windows.h>
#include <aclapi.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/wow64.h"
#include "tests/commands/security/access_list_probe.h"
#include "tests/support/engine_run.h"
#include "tests/support/registry_keys.h"
#include "tests/support/script_text.h"
#include "tests/support/temp_folder.h"

namespace qm {
namespace {

using test::AccessEntries;

constexpr REGSAM k32 = KEY_WOW64_32KEY;
constexpr REGSAM k64 = KEY_WOW64_64KEY;

constexpr const char* kEveryone = "S-1-1-0";
constexpr const char* kAuthenticatedUsers = "S-1-5-11";
constexpr const char* kAdministrators = "S-1-5-32-544";
constexpr const char* kUsers = "S-1-5-32-545";

// The fields of a "Set Access Control" line by what they mean; the object's
// kind is a list of the kind fields (12-16) set true.
struct AccessLine {
  std::string object{};
  bool everyone = false, current_user = false, authenticated = false, named = false;
  std::string account{};
  bool read = false, full = false, grant = true, reset_empty = false, reset_none = false;
  std::vector<int> kinds = {14};

  std::vector<std::string> fields() const {
    const auto truth = [](bool value) { return std::string(value ? "TRUE" : "FALSE"); };
    std::vector<std::string> f = {object,      truth(everyone),    truth(current_user), truth(authenticated),
                                  truth(named), account,           truth(read),         truth(full),
                                  truth(grant), truth(reset_empty), truth(reset_none)};
    for (int field = 12; field <= 16; ++field)
      f.push_back(truth(std::find(kinds.begin(), kinds.end(), field) != kinds.end()));
    return f;
  }
};

std::string entry(const std::string& sid, const char* kind_mask_flags) { return sid + " " + kind_mask_flags; }

std::unique_ptr<test::EngineRun> run_lines(test::PackageText package) {
  package.add_line("Set Variable", {"AFTER", "reached"});
  auto run = std::make_unique<test::EngineRun>(package);
  EXPECT_TRUE(run->run()) << "initialisation stopped the script";
  EXPECT_FALSE(run->outcome().failed) << run->outcome().error_report;
  EXPECT_EQ(run->get("AFTER"), "reached") << "the script goes on after every line";
  return run;
}

// Keys whose list the tests set: given a null list again at the end, so that
// they can be removed whatever list a case left on them.
class KeysWithLists {
 public:
  explicit KeysWithLists(const std::string& name) : keys_(name) {}
  ~KeysWithLists() {
    for (const auto& [view, path] : made_) test::set_key_access(HKEY_CURRENT_USER, view, path, nullptr);
    for (const auto& [view, path] : made_machine_) test::set_key_access(HKEY_LOCAL_MACHINE, view, path, nullptr);
  }
  // A fresh key under HKEY_CURRENT_USER with this list ({"none"}: no list).
  std::string make(const std::string& name, const std::vector<std::string>& entries) {
    const std::string path = keys_.path(name);
    test::create_key(HKEY_CURRENT_USER, k64, path);
    made_.emplace_back(k64, path);
    set(HKEY_CURRENT_USER, k64, path, entries);
    return path;
  }
  std::string make_machine(REGSAM view, const std::string& name, const std::vector<std::string>& entries) {
    const std::string path = keys_.path(name);
    test::create_key(HKEY_LOCAL_MACHINE, view, path);
    made_machine_.emplace_back(view, path);
    set(HKEY_LOCAL_MACHINE, view, path, entries);
    return path;
  }

 private:
  static void set(HKEY root, REGSAM view, const std::string& path, const std::vector<std::string>& entries) {
    if (entries == std::vector<std::string>{"none"}) {
      EXPECT_TRUE(test::set_key_access(root, view, path, nullptr));
      return;
    }
    const std::vector<BYTE> list = test::make_list(entries);
    EXPECT_TRUE(test::set_key_access(root, view, path, reinterpret_cast<const ACL*>(list.data())));
  }

  test::TestRegistryKeys keys_;
  std::vector<std::pair<REGSAM, std::string>> made_;
  std::vector<std::pair<REGSAM, std::string>> made_machine_;
};

// The list each key starts with: administrators may do anything, Everyone
// may not write values.
const std::vector<std::string> kStartList = {std::string("+") + kAdministrators + " F003F 0",
                                             std::string("-") + kEveryone + " 2 0"};
const std::string kAdministratorsEntry = entry(kAdministrators, "allow F003F 0");
const std::string kEveryoneDenied = entry(kEveryone, "deny 2 0");

TEST(AccessControlTest, GrantsAndResetsOnRegistryKeys) {
  KeysWithLists keys("Access");
  const std::string user = test::process_user_sid_text();
  const std::string read = "allow 1200A9 3";
  const std::string full = "allow 1F01FF 3";
  const struct Case {
    const char* name;
    std::vector<std::string> start;
    AccessLine line;  // object filled in per case
    AccessEntries expected;
  } cases[] = {
      {"everyone read", kStartList, {.everyone = true, .read = true},
       {kAdministratorsEntry, entry(kEveryone, read.c_str())}},  // the account's deny entry goes too
      {"everyone full", kStartList, {.everyone = true, .full = true},
       {kAdministratorsEntry, entry(kEveryone, full.c_str())}},
      {"read then full", kStartList, {.everyone = true, .read = true, .full = true},
       {kAdministratorsEntry, entry(kEveryone, full.c_str())}},
      {"authenticated users", kStartList, {.authenticated = true, .read = true},
       {kAdministratorsEntry, kEveryoneDenied, entry(kAuthenticatedUsers, read.c_str())}},
      {"current user", kStartList, {.current_user = true, .full = true},
       {kAdministratorsEntry, kEveryoneDenied, entry(user, full.c_str())}},
      {"account by name", kStartList, {.named = true, .account = "Administrators", .read = true},
       {kEveryoneDenied, entry(kAdministrators, read.c_str())}},
      {"account by SID", kStartList, {.named = true, .account = "S-1-5-32-545", .full = true},
       {kAdministratorsEntry, kEveryoneDenied, entry(kUsers, full.c_str())}},
      {"accounts in field order", kStartList,
       {.everyone = true, .authenticated = true, .named = true, .account = "Users", .read = true},
       {kAdministratorsEntry, entry(kEveryone, read.c_str()), entry(kAuthenticatedUsers, read.c_str()),
        entry(kUsers, read.c_str())}},
      {"no access asked", kStartList, {.everyone = true}, {kAdministratorsEntry, kEveryoneDenied}},
      {"no account asked", kStartList, {.read = true}, {kAdministratorsEntry, kEveryoneDenied}},
      {"unknown account", kStartList, {.named = true, .account = "No Such Account", .full = true},
       {kAdministratorsEntry, kEveryoneDenied}},
      {"empty account name", kStartList, {.named = true, .account = "", .full = true},
       {kAdministratorsEntry, kEveryoneDenied}},
      {"malformed SID", kStartList, {.named = true, .account = "S-1-5-x", .full = true},
       {kAdministratorsEntry, kEveryoneDenied}},
      {"no list to begin with", {"none"}, {.everyone = true, .read = true}, {entry(kEveryone, read.c_str())}},
      {"reset to an empty list", kStartList, {.grant = false, .reset_empty = true}, {}},
      {"reset to no list", kStartList, {.grant = false, .reset_none = true}, {"none"}},
      {"empty list wins", kStartList, {.grant = false, .reset_empty = true, .reset_none = true}, {}},
      {"no list made empty", {"none"}, {.grant = false, .reset_empty = true}, {}},
      {"reset asks for nothing", kStartList, {.everyone = true, .read = true, .grant = false},
       {kAdministratorsEntry, kEveryoneDenied}},
      {"file and key: the key", kStartList, {.everyone = true, .read = true, .kinds = {12, 14}},
       {kAdministratorsEntry, entry(kEveryone, read.c_str())}},
      {"key and service: a service", kStartList, {.everyone = true, .read = true, .kinds = {14, 15}},
       {kAdministratorsEntry, kEveryoneDenied}},
      {"no kind", kStartList, {.everyone = true, .read = true, .kinds = {}}, {kAdministratorsEntry, kEveryoneDenied}},
  };
  test::PackageText package = test::script_package("");
  std::vector<std::string> paths;
  for (const Case& c : cases) {
    paths.push_back(keys.make(c.name, c.start));
    AccessLine line = c.line;
    line.object = "HKCU\\" + paths.back();
    package.add_line("Set Access Control", line.fields());
  }
  run_lines(package);
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].name);
    EXPECT_EQ(test::key_access(HKEY_CURRENT_USER, k64, paths[i]), cases[i].expected);
  }
}

TEST(AccessControlTest, HowKeysAndFieldsAreWritten) {
  KeysWithLists keys("Names");
  const AccessEntries granted = {kAdministratorsEntry, entry(kEveryone, "allow 1200A9 3")};
  const struct Case {
    const char* name;
    std::string object_prefix;  // then the key's path
    std::string everyone, read, kind;
  } cases[] = {
      {"short root", "HKCU\\", "TRUE", "TRUE", "TRUE"},
      {"long root", "HKEY_CURRENT_USER\\", "TRUE", "TRUE", "TRUE"},
      {"root of the security functions", "CURRENT_USER\\", "TRUE", "TRUE", "TRUE"},
      {"lower case", "hkey_current_user\\", "TRUE", "TRUE", "TRUE"},
      {"substituted, doubled backslashes", "$ROOT$\\\\", "$YES$", "$YES$", "$YES$"},
      {"truth texts", "User\\", "true", "-1", "True"},
  };
  test::PackageText package = test::script_package("Set Variable | ROOT | HKCU\nSet Variable | YES | TRUE");
  std::vector<std::string> paths;
  for (const Case& c : cases) {
    paths.push_back(keys.make(c.name, kStartList));
    package.add_line("Set Access Control", {c.object_prefix + paths.back(), c.everyone, "FALSE", "FALSE", "FALSE", "",
                                            c.read, "FALSE", "TRUE", "FALSE", "FALSE", "FALSE", "FALSE", c.kind,
                                            "FALSE", "FALSE"});
  }
  run_lines(package);
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].name);
    EXPECT_EQ(test::key_access(HKEY_CURRENT_USER, k64, paths[i]), granted);
  }
}

TEST(AccessControlTest, KeysOfTheTargetPlatformsRegistry) {
  if (!platform::is_wow64_process()) GTEST_SKIP() << "needs a 32-bit engine on 64-bit Windows";
  KeysWithLists keys("Views");
  const std::string only_64 = keys.make_machine(k64, "Only 64", kStartList);
  const std::string both = keys.make_machine(k64, "Both", kStartList);
  keys.make_machine(k32, "Both", kStartList);
  AccessLine line{.everyone = true, .full = true};
  test::PackageText package = test::script_package("");
  line.object = "HKLM\\" + both;
  package.add_line("Set Access Control", line.fields());  // Win32: the 32-bit key
  package.add_line("Set 64 Bit Mode", {"", "", "TRUE"});
  line.object = "HKEY_LOCAL_MACHINE\\" + only_64;
  package.add_line("Set Access Control", line.fields());
  run_lines(package);
  const AccessEntries granted = {kAdministratorsEntry, entry(kEveryone, "allow 1F01FF 3")};
  const AccessEntries untouched = {kAdministratorsEntry, kEveryoneDenied};
  EXPECT_EQ(test::key_access(HKEY_LOCAL_MACHINE, k64, only_64), granted);
  EXPECT_EQ(test::key_access(HKEY_LOCAL_MACHINE, k32, both), granted);
  EXPECT_EQ(test::key_access(HKEY_LOCAL_MACHINE, k64, both), untouched);
}

// Wine keeps a file's list as Unix permissions: Everyone's entry shows
// whether others may write, and that follows what the engine wrote.
TEST(AccessControlTest, FilesAndFoldersAsWineKeepsThem) {
  const test::TempFolder folder;
  const std::string file = folder.file("data.txt");
  test::write_file(file, "data");
  const std::string sub = folder.file("sub");
  CreateDirectoryA(sub.c_str(), nullptr);

  const auto everyone_may_write = [](const std::string& path) {
    const std::optional<AccessEntries> entries = test::file_access(path);
    EXPECT_TRUE(entries.has_value()) << path;
    if (!entries) return false;
    for (const std::string& e : *entries) {
      if (e.rfind(std::string(kEveryone) + " allow ", 0) != 0) continue;
      const unsigned long mask = std::stoul(e.substr(e.find("allow ") + 6), nullptr, 16);
      return (mask & FILE_WRITE_DATA) != 0;
    }
    return false;
  };
  const struct Step {
    const char* name;
    AccessLine line;
    bool writable;
  } steps[] = {
      {"everyone full", {.everyone = true, .full = true, .kinds = {12}}, true},
      {"everyone read", {.everyone = true, .read = true, .kinds = {12}}, false},
      {"no list", {.grant = false, .reset_none = true, .kinds = {12}}, true},
      {"empty list", {.grant = false, .reset_empty = true, .kinds = {12}}, false},
  };
  for (const std::string& path : {file, sub}) {
    for (const Step& step : steps) {
      SCOPED_TRACE(path + ": " + step.name);
      AccessLine line = step.line;
      line.object = path;
      test::PackageText package = test::script_package("");
      package.add_line("Set Access Control", line.fields());
      run_lines(package);
      EXPECT_EQ(everyone_may_write(path), step.writable);
    }
  }
}

// Objects that are not there, and the kinds Wine answers with a made-up
// list and whose writes it drops: the command says nothing and the script
// goes on.
TEST(AccessControlTest, MissingObjectsAndUnsupportedKinds) {
  const test::TempFolder folder;
  const struct Case {
    const char* name;
    std::string object;
    int kind;
  } cases[] = {
      {"missing file", folder.file("missing.txt"), 12},
      {"missing folder", folder.file("missing\\deeper"), 12},
      {"missing key", "HKCU\\Software\\QuillmoreTests\\No such key", 14},
      {"unknown root", "NOROOT\\Software", 14},
      {"missing service", "No Such Service", 15},
      {"task service", "Schedule", 15},
      {"share", "NOSUCHSHARE", 13},
      {"printer", "No Such Printer", 16},
      {"empty name", "", 12},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::PackageText package = test::script_package("");
    for (const bool grant : {true, false}) {
      AccessLine line{.object = c.object, .everyone = true, .named = true, .account = "Users", .read = true,
                      .full = true, .grant = grant, .reset_empty = true, .kinds = {c.kind}};
      package.add_line("Set Access Control", line.fields());
    }
    run_lines(package);
  }
  EXPECT_FALSE(test::file_access(folder.file("missing.txt")).has_value()) << "nothing made";
}

}  // namespace
}  // namespace qm
