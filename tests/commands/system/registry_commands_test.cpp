// "Read Registry", "Check Registry", "Delete Registry" and "Set 64 Bit Mode"
// run through the real run initialisation and interpreter against the real
// registry; under WOW64 (the test bench) both registry views are real. Every
// key lives under the test's own key (tests/support/registry_keys.h).

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/wow64.h"
#include "tests/support/engine_run.h"
#include "tests/support/registry_keys.h"
#include "tests/support/script_text.h"
#include "tests/support/setup_folder.h"

namespace qm {
namespace {

using test::EngineRun;
using test::script_package;

constexpr REGSAM k32 = KEY_WOW64_32KEY;
constexpr REGSAM k64 = KEY_WOW64_64KEY;

std::string dword(std::uint32_t value) { return std::string(reinterpret_cast<const char*>(&value), 4); }

std::unique_ptr<EngineRun> run_to_end(const test::PackageText& package) {
  auto run = std::make_unique<EngineRun>(package);
  EXPECT_TRUE(run->run()) << "initialisation stopped the script";
  EXPECT_FALSE(run->outcome().failed) << run->outcome().error_report;
  return run;
}

std::unique_ptr<EngineRun> run_to_end(const std::string& script) { return run_to_end(script_package(script)); }

// The "Set 64 Bit Mode" line that chooses a platform, and no line for none.
std::string platform_line(const std::string& platform) {
  if (platform == "Win32") return "Set 64 Bit Mode | TRUE | |\n";
  if (platform == "ia64") return "Set 64 Bit Mode | | TRUE |\n";
  if (platform == "x64") return "Set 64 Bit Mode | | | TRUE\n";
  return "";
}

void skip_without_wow64() {
  if (!platform::is_wow64_process()) GTEST_SKIP() << "needs a 32-bit engine on 64-bit Windows";
}

TEST(RegistryCommandsTest, EachKindOfValue) {
  const test::TestRegistryKeys keys("Values");
  const std::string values = keys.path("Values");
  const struct Value {
    const char* name;
    DWORD type;
    std::string data;
  } stored[] = {
      {"Text", REG_SZ, std::string("plain text\0", 11)},
      {"Cut", REG_SZ, std::string("before\0after\0", 13)},
      {"Unterminated", REG_SZ, "no zero at the end"},
      {"Empty", REG_SZ, std::string("\0", 1)},
      {"Expand", REG_EXPAND_SZ, std::string("%PATH%;%SystemRoot%\\bin\0", 25)},
      {"Minus one", REG_DWORD, dword(0xFFFFFFFF)},
      {"Zero", REG_DWORD, dword(0)},
      {"Largest", REG_DWORD, dword(0x7FFFFFFF)},
      {"Smallest", REG_DWORD, dword(0x80000000)},
      {"Short dword", REG_DWORD, "\x01\x02"},
      {"Binary", REG_BINARY, "\x01\x02\x03"},
      {"Multi", REG_MULTI_SZ, std::string("one\0two\0\0", 9)},
      {"Qword", REG_QWORD, std::string("\x01\0\0\0\0\0\0\0", 8)},
      {"None", REG_NONE, ""},
      {"Big endian", REG_DWORD_BIG_ENDIAN, dword(1)},
      {"", REG_SZ, std::string("the default\0", 12)},
  };
  for (const Value& value : stored) test::set_value(HKEY_CURRENT_USER, k64, values, value.name, value.type, value.data);
  test::set_text(HKEY_CURRENT_USER, k64, keys.path("No default"), "Named", "x");

  const struct Case {
    std::string key, value;
    const char* check;  // what "Check Registry" gives
    const char* read;   // what "Read Registry" gives
  } cases[] = {
      {values, "Text", "plain text", "plain text"},
      {values, "Cut", "before", "before"},  // up to the first zero
      {values, "Unterminated", "no zero at the end", "no zero at the end"},
      {values, "Empty", "", ""},
      {values, "Expand", "%PATH%;%SystemRoot%\\bin", "%PATH%;%SystemRoot%\\bin"},  // not expanded
      {values, "Minus one", "-1", "-1"},
      {values, "Zero", "0", "0"},
      {values, "Largest", "2147483647", "2147483647"},
      {values, "Smallest", "-2147483648", "-2147483648"},
      {values, "Short dword", "READ$ERROR", ""},
      {values, "Binary", "BINARY$VALUE", ""},
      {values, "Multi", "UNKNOWN$TYPE", ""},
      {values, "Qword", "UNKNOWN$TYPE", ""},
      {values, "None", "UNKNOWN$TYPE", ""},
      {values, "Big endian", "UNKNOWN$TYPE", ""},
      {values, "", "the default", "the default"},
      {values, "Absent", "NO$VALUE", ""},
      {keys.path("No default"), "", "NO$VALUE", ""},
      {keys.path("No such key"), "Text", "NO$KEY", ""},
      {keys.path("No such key"), "", "NO$KEY", ""},
      // Key paths and value names are substituted and normalized; a leading
      // backslash is allowed.
      {"\\" + values, "Text", "plain text", "plain text"},
      {"\\\\" + values, "Text", "plain text", "plain text"},
      {"$TESTS$\\\\Values", "$VALUE$", "plain text", "plain text"},
      {values + "\\\\", "Text", "plain text", "plain text"},
  };
  std::string script = "Set Variable | TESTS | " + keys.path() + "\nSet Variable | VALUE | Text\n";
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const std::string fields = " | 1 | " + cases[i].key + " | " + cases[i].value + "\n";
    script += "Check Registry | C" + std::to_string(i) + fields + "Read Registry | r" + std::to_string(i) + fields;
  }
  const auto run = run_to_end(script);
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].key + " [" + cases[i].value + "]");
    EXPECT_EQ(run->get("C" + std::to_string(i)), cases[i].check);
    EXPECT_EQ(run->get("R" + std::to_string(i)), cases[i].read) << "read into the upper-cased variable";
  }
}

TEST(RegistryCommandsTest, TheResultVariable) {
  const test::TestRegistryKeys keys("Result");
  test::set_text(HKEY_CURRENT_USER, k64, keys.path(), "Name", "value");
  const auto run = run_to_end("Set Variable | OLD_READ | old\n"
                              "Set Variable | OLD_CHECK | old\n"
                              "Set Variable | FOUND | old\n"
                              "Read Registry | OLD_READ | 1 | " + keys.path() + " | Absent\n"
                              "Check Registry | OLD_CHECK | 1 | " + keys.path() + " | Absent\n"
                              "Read Registry | found | 1 | " + keys.path() + " | Name\n"
                              "Read Registry | NEW_READ | 1 | " + keys.path() + " | Absent\n");
  EXPECT_EQ(run->get("OLD_READ"), "") << "a missing value empties the variable";
  EXPECT_EQ(run->get("OLD_CHECK"), "NO$VALUE");
  EXPECT_EQ(run->get("FOUND"), "value");
  EXPECT_TRUE(run->engine().variables.exists("NEW_READ")) << "defined when missing";
  EXPECT_EQ(run->get("NEW_READ"), "");
}

TEST(RegistryCommandsTest, RootKeys) {
  const test::TestRegistryKeys keys("Roots");
  test::set_text(HKEY_CURRENT_USER, k64, keys.path(), "Where", "user");
  test::set_text(HKEY_LOCAL_MACHINE, k32, keys.path(), "Where", "machine");

  const struct Case {
    std::string root, path, value;
    const char* check;
  } cases[] = {
      {"1", keys.path(), "Where", "user"},
      {"2", keys.path(), "Where", "machine"},
      {" 2", keys.path(), "Where", "machine"},  // integer text: leading blanks
      {"$2", keys.path(), "Where", "machine"},  // and hexadecimal
      {"0x1", keys.path(), "Where", "user"},
      // Each root opens: its own (empty) path is the root itself.
      {"0", "", "No such value", "NO$VALUE"},
      {"3", "", "No such value", "NO$VALUE"},
      {"4", "", "No such value", "NO$VALUE"},
      {"0", "No\\Such\\Key", "", "NO$KEY"},
      // A root text that is no integer, or a number outside 0-4.
      {"x", keys.path(), "Where", "READ$ERROR"},
      {"", keys.path(), "Where", "READ$ERROR"},
      {"1.0", keys.path(), "Where", "READ$ERROR"},
      {"$ROOT$", keys.path(), "Where", "READ$ERROR"},  // the root field is read raw
      {"5", keys.path(), "Where", "READ$ERROR"},
      {"-1", keys.path(), "Where", "READ$ERROR"},
      {"99999999999", keys.path(), "Where", "READ$ERROR"},
  };
  test::PackageText package = script_package("Set Variable | ROOT | 1");
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    package.add_line("Check Registry", {"C" + std::to_string(i), c.root, c.path, c.value});
    package.add_line("Read Registry", {"R" + std::to_string(i), c.root, c.path, c.value});
  }
  const auto run = run_to_end(package);
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE("root '" + c.root + "' path " + c.path);
    EXPECT_EQ(run->get("C" + std::to_string(i)), c.check);
    const std::string_view check = c.check;
    EXPECT_EQ(run->get("R" + std::to_string(i)), check.find('$') == std::string_view::npos ? check : "");
  }
}

TEST(RegistryCommandsTest, ReadsTheViewOfTheTargetPlatform) {
  skip_without_wow64();
  const test::TestRegistryKeys keys("Views");
  test::set_text(HKEY_LOCAL_MACHINE, k64, keys.path("Both"), "Bits", "64");
  test::set_text(HKEY_LOCAL_MACHINE, k32, keys.path("Both"), "Bits", "32");
  test::set_text(HKEY_LOCAL_MACHINE, k64, keys.path("Only 64"), "Bits", "64 only");
  // HKEY_CURRENT_USER\Software is one key in both views.
  test::set_text(HKEY_CURRENT_USER, k64, keys.path("Shared"), "Bits", "shared");

  const struct Case {
    const char* platform;
    const char* both;
    const char* only_64;
  } cases[] = {
      {"none", "32", "NO$KEY"},  // every run starts as Win32
      {"Win32", "32", "NO$KEY"},
      {"x64", "64", "64 only"},
      {"ia64", "64", "64 only"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.platform);
    const auto run = run_to_end(platform_line(c.platform) +
                                "Check Registry | BOTH | 2 | " + keys.path("Both") + " | Bits\n"
                                "Check Registry | ONLY_64 | 2 | " + keys.path("Only 64") + " | Bits\n"
                                "Read Registry | READ_ONLY_64 | 2 | " + keys.path("Only 64") + " | Bits\n"
                                "Check Registry | SHARED | 1 | " + keys.path("Shared") + " | Bits\n");
    EXPECT_EQ(run->get("BOTH"), c.both);
    EXPECT_EQ(run->get("ONLY_64"), c.only_64);
    EXPECT_EQ(run->get("READ_ONLY_64"), std::string_view(c.only_64) == "NO$KEY" ? "" : c.only_64);
    EXPECT_EQ(run->get("SHARED"), "shared");
    EXPECT_EQ(run->engine().registry_view, platform::RegistryView::k32) << "the 32-bit view between commands";
  }
}

TEST(RegistryCommandsTest, DeletesValues) {
  const test::TestRegistryKeys keys("Delete values");
  const std::string key = keys.path("Values");
  const auto store = [&] {
    for (const char* name : {"", "Name", "Other"}) test::set_text(HKEY_CURRENT_USER, k64, key, name, "x");
  };
  const struct Case {
    std::string root, path, value, delete_key;
    std::vector<std::string> left;
  } cases[] = {
      {"1", key, "Name", "FALSE", {"", "Other"}},
      {"1", key, "Name", "", {"", "Other"}},
      {"1", key, "", "", {"Name", "Other"}},  // the key's default value
      {"1", "\\" + key, "$NAME$", "", {"", "Other"}},
      {"1", key, "Absent", "", {"", "Name", "Other"}},
      {"1", key + "\\Absent", "Name", "", {"", "Name", "Other"}},
      {"2", key, "Name", "", {"", "Name", "Other"}},  // another root
      {"9", key, "Name", "", {"", "Other"}},           // a number outside 0-4: HKEY_CURRENT_USER
      {"x", key, "Name", "", {"", "Name", "Other"}},   // no number: nothing
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("root '" + c.root + "' " + c.path + " [" + c.value + "]");
    store();
    const auto run = run_to_end("Set Variable | NAME | Name\nDelete Registry | " + c.root + " | " + c.path + " | " +
                                c.value + " | " + c.delete_key + "\nmark done");
    EXPECT_EQ(run->get("RUN"), "done");
    std::vector<std::string> left;
    for (const char* name : {"", "Name", "Other"})
      if (test::value_exists(HKEY_CURRENT_USER, k64, key, name)) left.emplace_back(name);
    EXPECT_EQ(left, c.left);
  }
}

// A key under the test's key with subkeys, in both views of HKEY_LOCAL_MACHINE
// and in HKEY_CURRENT_USER.
class KeyDeletionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* subkey : {"Tree\\a\\b", "Tree\\c", "Leaf", "Other"}) {
      test::create_key(HKEY_CURRENT_USER, k64, keys_.path(subkey));
      for (REGSAM view : {k32, k64}) test::set_text(HKEY_LOCAL_MACHINE, view, keys_.path(subkey), "", "x");
    }
  }
  void TearDown() override { test::delete_key_tree(HKEY_CURRENT_USER, k64, top_level_); }

  // Which of Tree, Tree\a, Leaf and Other are left in a root and view.
  std::vector<std::string> left(HKEY root, REGSAM view) const {
    std::vector<std::string> found;
    for (const char* subkey : {"Tree", "Tree\\a", "Leaf", "Other"})
      if (test::key_exists(root, view, keys_.path(subkey))) found.emplace_back(subkey);
    return found;
  }

  const test::TestRegistryKeys keys_{"Delete keys"};
  // A key right under HKEY_CURRENT_USER, for paths without a backslash.
  const std::string top_level_ = "QuillmoreTests-" + std::to_string(GetCurrentProcessId());
};

using Keys = std::vector<std::string>;
const Keys kAll = {"Tree", "Tree\\a", "Leaf", "Other"};

TEST_F(KeyDeletionTest, WholeTreesForA32BitTarget) {
  const struct Case {
    const char* platform;
    std::string root, path, delete_key;
    Keys user, machine_32;  // what is left
  } cases[] = {
      {"none", "1", keys_.path("Tree"), "TRUE", {"Leaf", "Other"}, kAll},
      {"Win32", "1", keys_.path("Tree"), "TRUE", {"Leaf", "Other"}, kAll},
      {"Win32", "2", keys_.path("Tree"), "TRUE", kAll, {"Leaf", "Other"}},
      {"Win32", "2", "\\" + keys_.path("Tree") + "\\", "true", kAll, {"Leaf", "Other"}},
      {"Win32", "2", keys_.path("Tree\\a"), "-1", kAll, {"Tree", "Leaf", "Other"}},
      {"Win32", "2", keys_.path("Leaf"), "TRUE", kAll, {"Tree", "Tree\\a", "Other"}},
      {"Win32", "2", keys_.path("Absent"), "TRUE", kAll, kAll},
      {"Win32", "7", keys_.path("Tree"), "TRUE", {"Leaf", "Other"}, kAll},  // outside 0-4: HKEY_CURRENT_USER
      {"Win32", "x", keys_.path("Tree"), "TRUE", kAll, kAll},
      {"Win32", "2", keys_.path("Tree"), "yes", kAll, kAll},  // not a truth text: a value, which is missing
      // An empty path would be the root itself.
      {"Win32", "1", "", "TRUE", kAll, kAll},
      {"Win32", "1", "\\", "TRUE", kAll, kAll},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.platform) + " root '" + c.root + "' " + c.path + " " + c.delete_key);
    SetUp();
    const auto run = run_to_end(platform_line(c.platform) + "Delete Registry | " + c.root + " | " + c.path +
                                " | | " + c.delete_key + "\nmark done");
    EXPECT_EQ(run->get("RUN"), "done");
    EXPECT_EQ(left(HKEY_CURRENT_USER, k64), c.user);
    EXPECT_EQ(left(HKEY_LOCAL_MACHINE, k32), c.machine_32);
    if (platform::is_wow64_process()) {
      EXPECT_EQ(left(HKEY_LOCAL_MACHINE, k64), kAll) << "the 64-bit view";
    }
  }
}

TEST_F(KeyDeletionTest, OnlyLeafKeysOfThe64BitViewForA64BitTarget) {
  skip_without_wow64();
  const struct Case {
    const char* platform;
    std::string root, path;
    Keys user, machine_64;  // what is left
  } cases[] = {
      {"x64", "2", keys_.path("Leaf"), kAll, {"Tree", "Tree\\a", "Other"}},
      {"ia64", "2", keys_.path("Leaf"), kAll, {"Tree", "Tree\\a", "Other"}},
      {"x64", "2", "\\\\" + keys_.path("Leaf") + "\\", kAll, {"Tree", "Tree\\a", "Other"}},
      {"x64", "2", keys_.path("Tree"), kAll, kAll},  // it has subkeys
      {"x64", "2", keys_.path("Tree\\a\\b"), kAll, kAll},
      {"x64", "1", keys_.path("Tree"), kAll, kAll},
      {"x64", "1", keys_.path("Leaf"), {"Tree", "Tree\\a", "Other"}, kAll},
      {"x64", "2", keys_.path("Absent"), kAll, kAll},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.platform) + " root " + c.root + " " + c.path);
    SetUp();
    const auto run =
        run_to_end(platform_line(c.platform) + "Delete Registry | " + c.root + " | " + c.path + " | | TRUE\nmark done");
    EXPECT_EQ(run->get("RUN"), "done");
    EXPECT_EQ(left(HKEY_CURRENT_USER, k64), c.user);
    EXPECT_EQ(left(HKEY_LOCAL_MACHINE, k64), c.machine_64);
    EXPECT_EQ(left(HKEY_LOCAL_MACHINE, k32), kAll) << "the 32-bit view";
  }
  // Under "Tree\a" lies "b", a leaf: it goes; then "a" is a leaf too.
  SetUp();
  run_to_end("Set 64 Bit Mode | | | TRUE\nDelete Registry | 2 | " + keys_.path("Tree\\a\\b") + " | | TRUE\n" +
             "Delete Registry | 2 | " + keys_.path("Tree\\a") + " | | TRUE");
  EXPECT_EQ(left(HKEY_LOCAL_MACHINE, k64), (Keys{"Tree", "Leaf", "Other"}));
}

TEST_F(KeyDeletionTest, AKeyRightUnderTheRootOnlyForA32BitTarget) {
  const struct Case {
    const char* platform;
    bool deleted;
  } cases[] = {{"Win32", true}, {"x64", !platform::is_wow64_process()}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.platform);
    test::create_key(HKEY_CURRENT_USER, k64, top_level_);
    run_to_end(platform_line(c.platform) + "Delete Registry | 1 | " + top_level_ + " | | TRUE");
    EXPECT_EQ(test::key_exists(HKEY_CURRENT_USER, k64, top_level_), !c.deleted);
  }
}

TEST(RegistryCommandsTest, DeletesValuesInTheViewOfTheTargetPlatform) {
  skip_without_wow64();
  const test::TestRegistryKeys keys("Delete views");
  const struct Case {
    const char* platform;
    bool left_32, left_64;
  } cases[] = {{"Win32", false, true}, {"x64", true, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.platform);
    for (REGSAM view : {k32, k64}) test::set_text(HKEY_LOCAL_MACHINE, view, keys.path(), "Name", "x");
    run_to_end(platform_line(c.platform) + "Delete Registry | 2 | " + keys.path() + " | Name | FALSE");
    EXPECT_EQ(test::value_exists(HKEY_LOCAL_MACHINE, k32, keys.path(), "Name"), c.left_32);
    EXPECT_EQ(test::value_exists(HKEY_LOCAL_MACHINE, k64, keys.path(), "Name"), c.left_64);
  }
}

TEST(SetTargetPlatformTest, TheLastExactTrueWins) {
  const struct Case {
    const char* fields;
    TargetPlatform platform;
  } cases[] = {
      {"| |", TargetPlatform::kWin32},
      {"TRUE | |", TargetPlatform::kWin32},
      {"| TRUE |", TargetPlatform::kIa64},
      {"| | TRUE", TargetPlatform::kX64},
      {"TRUE | | TRUE", TargetPlatform::kX64},
      {"TRUE | TRUE |", TargetPlatform::kIa64},
      {"TRUE | TRUE | TRUE", TargetPlatform::kX64},
  };
  for (const Case& c : cases) {
    EngineRun run(script_package(std::string("Set 64 Bit Mode | ") + c.fields));
    ASSERT_TRUE(run.run());
    EXPECT_EQ(run.engine().target_platform, c.platform) << c.fields;
  }
}

TEST(SetTargetPlatformTest, OnlyExactTrueChangesThePlatform) {
  // Each line below follows a line that chose x64, and must leave it.
  for (const char* fields : {"| |", "true | true | true", "True | | ", "-1 | -1 | -1", "$T$ | $T$ | $T$",
                             "TRUE  x | | ", "yes | | "}) {
    EngineRun run(script_package(std::string("Set Variable | T | TRUE\n"
                                             "Set 64 Bit Mode | | | TRUE\n"
                                             "Set 64 Bit Mode | ") +
                                 fields));
    ASSERT_TRUE(run.run());
    EXPECT_EQ(run.engine().target_platform, TargetPlatform::kX64) << fields;
  }
}

TEST(SetTargetPlatformTest, EveryRunStartsAsWin32) {
  EngineRun run(script_package("Record Platform\nSet 64 Bit Mode | | | TRUE\nRecord Platform"));
  std::vector<TargetPlatform> seen;
  run.engine().commands.add("Record Platform",
                            [&](Engine& engine, const ScriptLine&) { seen.push_back(engine.target_platform); });
  run.engine().target_platform = TargetPlatform::kIa64;  // as an earlier run may have left it
  ASSERT_TRUE(run.run());
  EXPECT_EQ(seen, (std::vector<TargetPlatform>{TargetPlatform::kWin32, TargetPlatform::kX64}));
}

// A real setup: the script reads and deletes in both views through the
// platform it chooses, and the registry shows what it did.
TEST(RegistryCommandsTest, ARealSetupUsesTheViewOfItsPlatform) {
  skip_without_wow64();
  const test::TestRegistryKeys keys("Setup run");
  test::set_text(HKEY_LOCAL_MACHINE, k64, keys.path("Both"), "Bits", "64");
  test::set_text(HKEY_LOCAL_MACHINE, k32, keys.path("Both"), "Bits", "32");
  test::set_text(HKEY_LOCAL_MACHINE, k64, keys.path("Only 64"), "Bits", "64 only");
  test::set_value(HKEY_CURRENT_USER, k64, keys.path(), "All bits", REG_DWORD, dword(4294967295u));
  test::set_value(HKEY_CURRENT_USER, k64, keys.path(), "Path", REG_EXPAND_SZ, std::string("%PATH%\0", 7));
  for (REGSAM view : {k32, k64}) test::create_key(HKEY_LOCAL_MACHINE, view, keys.path("Both\\Leaf"));
  test::create_key(HKEY_CURRENT_USER, k64, keys.path("Tree\\a\\b"));

  const std::string key = keys.path();
  const test::SetupFolder setup(script_package("Check Registry | ONLY_64_AS_WIN32 | 2 | " + key + "\\Only 64 | Bits\n"
                                               "Set 64 Bit Mode | | | TRUE\n"
                                               "Check Registry | ONLY_64 | 2 | " + key + "\\Only 64 | Bits\n"
                                               "Read Registry | BOTH_64 | 2 | " + key + "\\Both | Bits\n"
                                               "Delete Registry | 2 | " + key + "\\Both\\Leaf | | TRUE\n"
                                               "Set 64 Bit Mode | TRUE | |\n"
                                               "Read Registry | BOTH_32 | 2 | " + key + "\\Both | Bits\n"
                                               "Read Registry | ALL_BITS | 1 | " + key + " | All bits\n"
                                               "Check Registry | PATH | 1 | " + key + " | Path\n"
                                               "Delete Registry | 1 | " + key + "\\Tree | | TRUE\n"
                                               "dump")
                                    .text());
  ASSERT_EQ(setup.run("/s"), 0u);
  const auto variables = setup.variables();
  EXPECT_EQ(variables.at("ONLY_64_AS_WIN32"), "NO$KEY");
  EXPECT_EQ(variables.at("ONLY_64"), "64 only");
  EXPECT_EQ(variables.at("BOTH_64"), "64");
  EXPECT_EQ(variables.at("BOTH_32"), "32");
  EXPECT_EQ(variables.at("ALL_BITS"), "-1");
  EXPECT_EQ(variables.at("PATH"), "%PATH%");
  EXPECT_FALSE(test::key_exists(HKEY_LOCAL_MACHINE, k64, keys.path("Both\\Leaf")));
  EXPECT_TRUE(test::key_exists(HKEY_LOCAL_MACHINE, k32, keys.path("Both\\Leaf")));
  EXPECT_FALSE(test::key_exists(HKEY_CURRENT_USER, k64, keys.path("Tree")));
  EXPECT_TRUE(test::key_exists(HKEY_CURRENT_USER, k64, keys.path()));
}

}  // namespace
}  // namespace qm
