// How handlers read their fields and write their results, on a hand-made
// engine whose package holds one script line with the fields under test.

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/command_parameters.h"
#include "engine/engine.h"
#include "script/package_reader.h"
#include "platform/registry.h"
#include "script/script_error.h"
#include "tests/support/package_text.h"
#include "tests/support/registry_keys.h"

namespace qm {
namespace {

using test::PackageText;

constexpr std::string_view kCategory = "Test";

// An engine holding line 0 "Probe" with `fields`, and that line.
struct ProbeLine {
  std::unique_ptr<Engine> engine = std::make_unique<Engine>();
  ScriptLine line;
};

ProbeLine probe_line(std::vector<std::string> fields) {
  PackageText package;
  package.add_line("Probe", std::move(fields));
  ProbeLine probe;
  probe.engine->package = parse_package(package.text());
  probe.line = {0, "Probe", PackageText::line_id(0)};
  return probe;
}

TEST(ParametersTest, ExpandedAndNormalizedFields) {
  struct Case {
    const char* field;
    const char* expanded;
    const char* normalized;
  } cases[] = {
      {R"($FOLDER$\setup.ini)", R"(C:\\Data\setup.ini)", R"(C:\Data\setup.ini)"},
      {R"($FOLDER$\\setup.ini)", R"(C:\\Data\\setup.ini)", R"(C:\Data\setup.ini)"},
      {R"($FOLDER$\\\\setup.ini)", R"(C:\\Data\\\\setup.ini)", R"(C:\Data\\setup.ini)"},
      {R"(\\$SERVER$\share)", R"(\\host\share)", R"(\\host\share)"},
      {R"($SHARE$\\sub)", R"(\\host\\share\\sub)", R"(\\host\share\sub)"},
      {"$folder$", R"(C:\\Data)", R"(C:\Data)"},  // references are found without regard to case
      {"$NESTED$", R"(C:\\Data\\x)", R"(C:\Data\x)"},
      // Nothing is checked: a reference to no variable stays as written.
      {R"($NO_SUCH$\\x)", R"($NO_SUCH$\\x)", R"($NO_SUCH$\x)"},
      {"", "", ""},
  };
  for (const auto& c : cases) {
    ProbeLine probe = probe_line({c.field});
    VariableStore& variables = probe.engine->variables;
    variables.define("FOLDER", R"(C:\\Data)", kCategory);
    variables.define("SERVER", "host", kCategory);
    variables.define("SHARE", R"(\\host\\share)", kCategory);
    variables.define("NESTED", R"($FOLDER$\\x)", kCategory);
    EXPECT_EQ(expanded_field(*probe.engine, probe.line, 1), c.expanded) << c.field;
    EXPECT_EQ(normalized_field(*probe.engine, probe.line, 1), c.normalized) << c.field;
    EXPECT_EQ(probe.engine->field(probe.line, 1), c.field) << "the raw field is left as it is";
  }
}

TEST(ParametersTest, TruthFieldsAreReadRaw) {
  struct Case {
    const char* field;
    bool value;
  } cases[] = {
      {"TRUE", true},   {"true", true},    {"tRuE", true},     {"-1", true},     {"FALSE", false},
      {"", false},      {"1", false},      {"yes", false},     {" TRUE", false}, {"TRUE ", false},
      {"-1 ", false},   {"-01", false},    {"$YES$", false},  // not substituted
  };
  for (const auto& c : cases) {
    ProbeLine probe = probe_line({c.field});
    probe.engine->variables.define("YES", "TRUE", kCategory);
    EXPECT_EQ(truth_field(*probe.engine, probe.line, 1), c.value) << '"' << c.field << '"';
  }
}

TEST(ParametersTest, VariableNameFields) {
  struct Case {
    const char* field;
    const char* bare;       // bare variable field
    const char* reference;  // variable reference field
  } cases[] = {
      {"Result", "RESULT", "Result"},
      {"$Result$", "$RESULT$", "Result"},
      {"RESULT", "RESULT", "RESULT"},
      {"", "", ""},
      // Not a reference: the whole raw field is the name.
      {"$Result", "$RESULT", "$Result"},
      {"Result$", "RESULT$", "Result$"},
      {"$A$B$", "$A$B$", "$A$B$"},
      {"$$", "$$", "$$"},
  };
  for (const auto& c : cases) {
    ProbeLine probe = probe_line({c.field});
    probe.engine->variables.define("RESULT", "value", kCategory);
    EXPECT_EQ(bare_variable_field(*probe.engine, probe.line, 1), c.bare) << c.field;
    EXPECT_EQ(variable_reference_field(*probe.engine, probe.line, 1), c.reference) << c.field;
  }
}

TEST(ParametersTest, TranslatedFields) {
  const std::string own_key = PackageText::line_id(0);
  struct Case {
    const char* what;
    const char* language;
    const char* mode;
    std::vector<std::string> keys;
    std::vector<std::string> translated;
    std::size_t offset;
    const char* expected;
  } cases[] = {
      {"no language chosen: the expanded text", "", "", {own_key, own_key}, {"Erste", "Zweite"}, 1,
       R"(Product at C:\\Data)"},
      {"text number 1", "German", "", {own_key, own_key}, {"Erste", "Zweite"}, 1, "Erste"},
      {"text number 2", "German", "", {own_key, own_key}, {"Erste", "Zweite"}, 2, "Zweite"},
      {"the line's texts follow another line's", "German", "", {"{other}", own_key, own_key},
       {"Fremd", "Erste", "Zweite"}, 2, "Zweite"},
      {"the translation is substituted again", "German", "", {own_key}, {"$TITLE$ in $FOLDER$"}, 1,
       R"(Product in C:\\Data)"},
      {"no entry for the line", "German", "", {"{other}"}, {"Fremd"}, 1, R"(Product at C:\\Data)"},
      {"a text number past the table", "German", "", {own_key}, {"Erste"}, 2, R"(Product at C:\\Data)"},
      {"only variable texts are translated in this mode", "German", "VARSONLY", {own_key}, {"Erste"}, 1,
       R"(Product at C:\\Data)"},
  };
  for (const auto& c : cases) {
    ProbeLine probe = probe_line({"$TITLE$ at $FOLDER$"});
    Engine& engine = *probe.engine;
    engine.variables.define("TITLE", "Product", kCategory);
    engine.variables.define("FOLDER", R"(C:\\Data)", kCategory);
    engine.translations.current_language = c.language;
    engine.translations.mode = c.mode;
    engine.translations.keys = c.keys;
    engine.translations.sources = c.translated;
    engine.translations.translated = c.translated;
    EXPECT_EQ(translated_field(engine, probe.line, 1, c.offset), c.expected) << c.what;
  }
}

TEST(ParametersTest, ResultWrites) {
  ProbeLine probe = probe_line({"x"});
  Engine& engine = *probe.engine;
  engine.variables.define("KNOWN", "old", kCategory);

  set_result(engine, probe.line, "known", "new");
  EXPECT_EQ(engine.variables.get("KNOWN"), "new");
  set_or_define_result(engine, probe.line, "KNOWN", "newer");
  EXPECT_EQ(engine.variables.get("KNOWN"), "newer");
  set_or_define_result(engine, probe.line, "Fresh", "defined");
  EXPECT_EQ(engine.variables.get("FRESH"), "defined");

  try {
    set_result(engine, probe.line, "UNKNOWN", "value");
    ADD_FAILURE() << "setting an undefined variable must fail";
  } catch (const ScriptError& error) {
    EXPECT_STREQ(error.what(), "Attempting to set value of undefined variable UNKNOWN");
  }
  EXPECT_FALSE(engine.variables.exists("UNKNOWN"));
}

// Whether a file placed in the 32-bit system folder is seen under the path of
// the 64-bit one: true while file-system redirection is on.
class RedirectionProbe {
 public:
  RedirectionProbe() {
    char wow64_folder[MAX_PATH];
    char system_folder[MAX_PATH];
    if (GetSystemWow64DirectoryA(wow64_folder, MAX_PATH) == 0 || GetSystemDirectoryA(system_folder, MAX_PATH) == 0)
      return;
    const std::string name = "\\qm-redirection-probe-" + std::to_string(GetCurrentProcessId()) + ".txt";
    real_path_ = wow64_folder + name;
    redirected_path_ = system_folder + name;
    const HANDLE file = CreateFileA(real_path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    CloseHandle(file);
    usable_ = true;
  }
  ~RedirectionProbe() {
    if (usable_) DeleteFileA(real_path_.c_str());
  }
  RedirectionProbe(const RedirectionProbe&) = delete;
  RedirectionProbe& operator=(const RedirectionProbe&) = delete;

  bool usable() const { return usable_ && redirected(); }
  bool redirected() const { return GetFileAttributesA(redirected_path_.c_str()) != INVALID_FILE_ATTRIBUTES; }

 private:
  std::string real_path_;
  std::string redirected_path_;
  bool usable_ = false;
};

TEST(ParametersTest, RedirectionGuard) {
  RedirectionProbe probe;
  if (!probe.usable()) GTEST_SKIP() << "needs a 32-bit engine on 64-bit Windows with a writable system folder";

  struct Case {
    TargetPlatform platform;
    bool redirected_inside;
  } cases[] = {
      {TargetPlatform::kWin32, true},
      {TargetPlatform::kX64, false},
      {TargetPlatform::kIa64, false},
  };
  for (const auto& c : cases) {
    Engine engine;
    engine.target_platform = c.platform;
    {
      const RedirectionGuard guard(engine);
      EXPECT_EQ(probe.redirected(), c.redirected_inside) << static_cast<int>(c.platform);
    }
    EXPECT_TRUE(probe.redirected()) << "redirection is back on after the guard";
  }

  Engine engine;
  engine.target_platform = TargetPlatform::kX64;
  try {
    const RedirectionGuard guard(engine);
    throw ScriptError("failed");
  } catch (const ScriptError&) {
  }
  EXPECT_TRUE(probe.redirected()) << "redirection is back on after a failure";
}

// Commands open their keys with engine.registry_view: inside the guard a
// 64-bit target sees a key that exists only in the 64-bit registry.
TEST(ParametersTest, RegistryViewGuard) {
  if (!platform::is_wow64_process()) GTEST_SKIP() << "needs a 32-bit engine on 64-bit Windows";
  const test::TestRegistryKeys keys("View guard");
  test::create_key(HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY, keys.path());
  const auto sees_64_bit_key = [&](const Engine& engine) {
    return platform::RegistryKey::open(HKEY_LOCAL_MACHINE, keys.path(), KEY_READ, engine.registry_view).valid();
  };

  using platform::RegistryView;
  struct Case {
    TargetPlatform platform;
    RegistryView view_inside;
  } cases[] = {
      {TargetPlatform::kWin32, RegistryView::k32},
      {TargetPlatform::kX64, RegistryView::k64},
      {TargetPlatform::kIa64, RegistryView::k64},
  };
  for (const auto& c : cases) {
    Engine engine;
    engine.target_platform = c.platform;
    {
      const RegistryViewGuard guard(engine);
      EXPECT_EQ(engine.registry_view, c.view_inside) << static_cast<int>(c.platform);
      EXPECT_EQ(sees_64_bit_key(engine), c.view_inside == RegistryView::k64) << static_cast<int>(c.platform);
    }
    EXPECT_EQ(engine.registry_view, RegistryView::k32) << "the 32-bit view after the guard";
    EXPECT_FALSE(sees_64_bit_key(engine));
  }

  Engine engine;
  engine.target_platform = TargetPlatform::kX64;
  try {
    const RegistryViewGuard guard(engine);
    throw ScriptError("failed");
  } catch (const ScriptError&) {
  }
  EXPECT_EQ(engine.registry_view, RegistryView::k32) << "the 32-bit view after a failure";
}

}  // namespace
}  // namespace qm
