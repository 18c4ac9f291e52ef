// The selection file read into and written from a run: the component model,
// the settings, the kept variables and the target platform, and the save
// after the script. The engine cache roots are private folders here.

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/selection_data.h"
#include "tests/support/temp_folder.h"

namespace qm {
namespace {

using List = std::vector<std::string>;

constexpr const char* kRevision = "{0C1D2E3F-4A5B-4C6D-8E7F-9A0B1C2D3E4F}";

// An engine as run initialisation leaves it, with the engine cache roots in
// a temporary folder.
struct TestEngine {
  test::TempFolder folder;
  std::unique_ptr<Engine> engine = std::make_unique<Engine>();

  TestEngine() {
    StartupValues& startup = engine->startup;
    startup.engine_name = "setup";
    startup.engine_folder = folder.path();
    startup.data_folder = folder.file("data\\");
    startup.user_cache_root = folder.file("user\\");
    startup.common_cache_root = folder.file("common\\");
    for (const std::string& made : {startup.data_folder, startup.user_cache_root, startup.common_cache_root})
      CreateDirectoryA(made.c_str(), nullptr);
    engine->instance.revision_code = kRevision;
    VariableStore& variables = engine->variables;
    variables.define("TARGETDIR", "C:\\Program Files\\Sample\\", category::kPreInitialization);
    variables.define("ALLUSERS", "TRUE", category::kPreInitialization);
    variables.define("STARTMENU", "Sample", category::kPreInitialization);
  }

  Engine& operator*() { return *engine; }
  Engine* operator->() { return engine.get(); }
  std::string file(const std::string& name) const { return folder.file(name); }
  std::string common_selection_file() const { return folder.file(std::string("common\\") + kRevision + "\\setup.dat"); }
  std::string user_selection_file() const { return folder.file(std::string("user\\") + kRevision + "\\setup.dat"); }
};

void define_components(ComponentModel& model) {
  model.start_run({"VRAK-PREDEF-COMPONENT", "100", "CORE", "5", "DOCS", "7"});
  model.define("VRAK-PREDEF-COMPONENT", true, "");
  model.define("Core", true, "Core files");
  model.define("Docs", false, "Manuals");
  model.define("Tools", true, "");
}

std::optional<std::string> file_text(const std::string& path) {
  if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return test::read_file(path);
}

// A component the file names but the model lacks changes nothing; the
// model's components take the file's states, whatever the case of their
// names; the three sets become the file's; the sizes stay the package's.
TEST(SelectionDataTest, LoadingInMergeModeChangesOnlyWhatTheModelHas) {
  TestEngine engine;
  ComponentModel& model = engine->components;
  define_components(model);
  model.mark_deleted("Tools");
  model.hide("Docs");
  test::write_file(engine.file("saved.dat"),
                   "core\r\nUnknown\r\nDOCS\r\n$\r\nFALSE\r\nTRUE\r\nTRUE\r\n$\r\nDocs\r\n$\r\n$\r\nCore\r\n$\r\n"
                   "CORE\r\n999\r\nUNKNOWN\r\n1\r\n$\r\nD:\\Elsewhere\\\r\nFALSE\r\nElsewhere\r\n\r\n"
                   "SERIAL\r\n1234$NEWLINE$5678\r\nVRAK64WOW\r\nx64\r\n");

  read_selection_file(*engine, engine.file("saved.dat"), SelectionReadMode::kMerge);

  EXPECT_EQ(model.names, (List{"VRAK-PREDEF-COMPONENT", "Core", "Docs", "Tools"}));
  EXPECT_EQ(model.states, (List{"TRUE", "FALSE", "TRUE", "TRUE"}));
  EXPECT_EQ(model.deleted, List{"Docs"});
  EXPECT_EQ(model.hidden, List{});
  EXPECT_EQ(model.choice_locked, List{"Core"});
  EXPECT_EQ(model.size("Core"), 5);
  EXPECT_EQ(model.size("Unknown"), 0);
  EXPECT_EQ(engine->variables.get("TARGETDIR"), "D:\\Elsewhere\\");
  EXPECT_EQ(engine->variables.get("ALLUSERS"), "FALSE");
  EXPECT_EQ(engine->variables.get("STARTMENU"), "Elsewhere");
  EXPECT_EQ(engine->variables.expand("$SERIAL$"), "1234\r\n5678");
  EXPECT_EQ(engine->variables.persisted(), List{"SERIAL"});
  EXPECT_EQ(engine->target_platform, TargetPlatform::kX64);
}

// A file cut off in its hidden list: the deleted set it holds in full
// replaces the model's; the sets it does not hold stay; no setting changes.
TEST(SelectionDataTest, LoadingACutOffFileInMergeModeKeepsWhatItDoesNotHold) {
  TestEngine engine;
  ComponentModel& model = engine->components;
  define_components(model);
  model.mark_deleted("Tools");
  model.hide("Docs");
  model.lock("Core");
  test::write_file(engine.file("cut.dat"), "Docs\r\n$\r\nTRUE\r\n$\r\nCore\r\n$\r\nCore\r\n");

  read_selection_file(*engine, engine.file("cut.dat"), SelectionReadMode::kMerge);

  EXPECT_EQ(model.states, (List{"TRUE", "TRUE", "TRUE", "TRUE"}));
  EXPECT_EQ(model.deleted, List{"Core"});
  EXPECT_EQ(model.hidden, List{"Docs"});
  EXPECT_EQ(model.choice_locked, List{"Core"});
  EXPECT_EQ(engine->variables.get("TARGETDIR"), "C:\\Program Files\\Sample\\");
}

// The file's components join the model; the component the model has
// already takes the file's state instead of coming twice; size pairs follow
// the package's, and only for names without one.
TEST(SelectionDataTest, LoadingInFullMode) {
  const struct {
    SelectionReadMode mode;
    List sizes;
  } cases[] = {
      {SelectionReadMode::kFull, {"VRAK-PREDEF-COMPONENT", "100", "CORE", "5", "NEW", "3"}},
      {SelectionReadMode::kFullWithoutSizes, {"VRAK-PREDEF-COMPONENT", "100", "CORE", "5"}},
  };
  for (const auto& c : cases) {
    TestEngine engine;
    ComponentModel& model = engine->components;
    model.start_run({"VRAK-PREDEF-COMPONENT", "100", "CORE", "5"});
    model.define("VRAK-PREDEF-COMPONENT", true, "");
    test::write_file(engine.file("saved.dat"),
                     "VRAK-PREDEF-COMPONENT\r\nCore\r\nNew\r\n$\r\nFALSE\r\nFALSE\r\n$\r\nNew\r\n$\r\nCore\r\n$\r\n$\r\n"
                     "VRAK-PREDEF-COMPONENT\r\n1\r\nCORE\r\n7\r\nNEW\r\n3\r\n$\r\n");

    read_selection_file(*engine, engine.file("saved.dat"), c.mode);

    EXPECT_EQ(model.names, (List{"VRAK-PREDEF-COMPONENT", "Core", "New"}));
    EXPECT_EQ(model.states, (List{"FALSE", "FALSE", ""}));
    EXPECT_EQ(model.deleted, List{"New"});
    EXPECT_EQ(model.hidden, List{"Core"});
    EXPECT_EQ(model.sizes, c.sizes);
    // Settings the file does not reach stay as they were.
    EXPECT_EQ(engine->variables.get("STARTMENU"), "Sample");
    // A component without a saved state takes its default when the script defines it.
    model.define("New", true, "");
    EXPECT_EQ(model.states[2], "TRUE");
  }
}

TEST(SelectionDataTest, AFileThatDoesNotExistOrIsAFolderChangesNothing) {
  TestEngine engine;
  define_components(engine->components);
  const ComponentModel before = engine->components;
  for (const std::string& path : {engine.file("missing.dat"), engine.file("data")}) {
    for (SelectionReadMode mode : {SelectionReadMode::kFull, SelectionReadMode::kMerge}) {
      read_selection_file(*engine, path, mode);
      EXPECT_EQ(engine->components.names, before.names);
      EXPECT_EQ(engine->components.states, before.states);
    }
  }
}

// Written in full and read into a fresh run, the model, the settings, the
// kept variables (line breaks included) and the platform come back.
TEST(SelectionDataTest, WrittenInFullAndReadBackByAnotherRun) {
  TestEngine writer;
  ComponentModel& model = writer->components;
  define_components(model);
  model.set_state("Core", false);
  model.mark_deleted("Tools");
  model.hide("Docs");
  model.lock("Docs");
  model.set_size("Tools", 12345);
  VariableStore& variables = writer->variables;
  variables.define("NOTES", "line one\r\nline two", category::kSetVariable);
  variables.keep("NOTES");
  variables.define("SERIAL", "ABC", category::kSetVariable);
  variables.keep("SERIAL");
  variables.keep("NEVER_DEFINED");
  writer->target_platform = TargetPlatform::kIa64;
  const std::string path = writer.file("saved.dat");
  write_selection_file(*writer, path, SelectionWriteMode::kFull, false);
  EXPECT_NE(test::read_file(path).find("NOTES\r\nline one$NEWLINE$line two\r\n"), std::string::npos);
  EXPECT_EQ(test::read_file(path).find("NEVER_DEFINED"), std::string::npos);

  TestEngine reader;
  reader->components.start_run({});
  reader->variables.define("TARGETDIR", "", category::kPreInitialization);
  read_selection_file(*reader, path, SelectionReadMode::kFull);
  const ComponentModel& loaded = reader->components;
  EXPECT_EQ(loaded.names, model.names);
  EXPECT_EQ(loaded.states, model.states);
  EXPECT_EQ(loaded.deleted, model.deleted);
  EXPECT_EQ(loaded.hidden, model.hidden);
  EXPECT_EQ(loaded.choice_locked, model.choice_locked);
  EXPECT_EQ(loaded.sizes, model.sizes);
  EXPECT_EQ(loaded.descriptions, List{});
  EXPECT_EQ(reader->variables.get("TARGETDIR"), "C:\\Program Files\\Sample\\");
  EXPECT_EQ(reader->variables.expand("$NOTES$"), "line one\r\nline two");
  EXPECT_EQ(reader->variables.get("SERIAL"), "ABC");
  EXPECT_EQ(reader->variables.persisted(), (List{"NOTES", "SERIAL"}));
  EXPECT_EQ(reader->target_platform, TargetPlatform::kIa64);
}

// The data folder line: the data folder's short form, or an empty line.
TEST(SelectionDataTest, TheDataFolderLine) {
  TestEngine engine;
  define_components(engine->components);
  char short_form[MAX_PATH] = {};
  ASSERT_GT(GetShortPathNameA(engine->startup.data_folder.c_str(), short_form, MAX_PATH), 0u);
  for (const bool with_line : {true, false}) {
    write_selection_file(*engine, engine.file("saved.dat"), SelectionWriteMode::kFull, with_line);
    const std::string expected_line = with_line ? std::string(short_form) : "";
    EXPECT_NE(test::read_file(engine.file("saved.dat")).find("\r\nSample\r\n" + expected_line + "\r\nVRAK64WOW\r\n"),
              std::string::npos)
        << test::read_file(engine.file("saved.dat"));
  }
}

TEST(SelectionDataTest, WritingInUpdateMode) {
  const std::string lists = "Core\r\n$\r\nTRUE\r\n$\r\n$\r\n$\r\n$\r\n$\r\n";
  const struct {
    const char* what;
    std::optional<std::string> old_text;
    std::optional<std::string> new_text;
  } cases[] = {
      {"an earlier file", lists + "C:\\Old\\\r\nFALSE\r\nOld\r\nD\r\nSERIAL\r\nold\r\nGONE\r\n1\r\nVRAK64WOW\r\nx64\r\n",
       lists + "C:\\Old\\\r\nFALSE\r\nOld\r\nD\r\nSERIAL\r\nnew$NEWLINE$value\r\nVRAK64WOW\r\nx64\r\n"},
      {"fewer than six list ends", "Core\r\n$\r\nTRUE\r\n$\r\n", "Core\r\n$\r\nTRUE\r\n$\r\n"},
      {"no earlier file", std::nullopt, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TestEngine engine;
    define_components(engine->components);
    engine->variables.define("SERIAL", "new\r\nvalue", category::kSetVariable);
    engine->variables.keep("SERIAL");
    const std::string path = engine.file("saved.dat");
    if (c.old_text) test::write_file(path, *c.old_text);
    write_selection_file(*engine, path, SelectionWriteMode::kUpdate, true);
    EXPECT_EQ(file_text(path), c.new_text);
  }
}

TEST(SelectionDataTest, AFileThatCannotBeWrittenIsAnError) {
  TestEngine engine;
  EXPECT_THROW(write_selection_file(*engine, engine.file("no folder\\saved.dat"), SelectionWriteMode::kFull, false),
               SetupError);
}

// After the script: nothing when the run removed the engine cache or keeps
// no variables; the whole file when it wrote the cache; otherwise the
// earlier file's update, and no file (nor folder) without an earlier one.
TEST(SelectionDataTest, TheSaveAfterTheScript) {
  const std::string old_file = "Old\r\n$\r\nTRUE\r\n$\r\n$\r\n$\r\n$\r\n$\r\nT\r\nA\r\nS\r\nD\r\nX\r\nold\r\nVRAK64WOW\r\nx64\r\n";
  const struct {
    const char* what;
    bool written, removed, keeps;
    bool old_exists;
    std::optional<std::string> expected;  // "full": the whole file; else the exact text
  } cases[] = {
      {"removed", true, true, true, true, old_file},
      {"no kept variables", true, false, false, true, old_file},
      {"cache written", true, false, true, false, "full"},
      {"cache written over an earlier file", true, false, true, true, "full"},
      {"earlier file", false, false, true, true,
       "Old\r\n$\r\nTRUE\r\n$\r\n$\r\n$\r\n$\r\n$\r\nT\r\nA\r\nS\r\nD\r\nX\r\nnew\r\nVRAK64WOW\r\nx64\r\n"},
      {"no earlier file", false, false, true, false, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TestEngine engine;
    define_components(engine->components);
    engine->cache_written = c.written;
    engine->cache_removed = c.removed;
    engine->variables.define("X", "new", category::kSetVariable);
    if (c.keeps) engine->variables.keep("X");
    const std::string path = engine.common_selection_file();
    if (c.old_exists) {
      CreateDirectoryA(engine.file(std::string("common\\") + kRevision).c_str(), nullptr);
      test::write_file(path, old_file);
    }

    save_selection_data(*engine);

    const std::optional<std::string> saved = file_text(path);
    if (c.expected == "full") {
      ASSERT_TRUE(saved);
      EXPECT_TRUE(saved->starts_with("VRAK-PREDEF-COMPONENT\r\nCore\r\nDocs\r\nTools\r\n$\r\n")) << *saved;
      char short_form[MAX_PATH] = {};
      GetShortPathNameA(engine->startup.data_folder.c_str(), short_form, MAX_PATH);
      EXPECT_TRUE(saved->ends_with(std::string(short_form) + "\r\nX\r\nnew\r\nVRAK64WOW\r\nWin32\r\n")) << *saved;
    } else {
      EXPECT_EQ(saved, c.expected);
    }
    if (!c.old_exists && !c.written) {
      EXPECT_EQ(GetFileAttributesA(engine.file(std::string("common\\") + kRevision).c_str()), INVALID_FILE_ATTRIBUTES);
    }
  }
}

// The selection file of this user's engine cache comes first; without it,
// the one for all users.
TEST(SelectionDataTest, TheUsersSelectionFileComesFirst) {
  TestEngine engine;
  EXPECT_EQ(selection_file_path(*engine), engine.common_selection_file());
  CreateDirectoryA(engine.file(std::string("user\\") + kRevision).c_str(), nullptr);
  test::write_file(engine.user_selection_file(), "");
  EXPECT_EQ(selection_file_path(*engine), engine.user_selection_file());
}

}  // namespace
}  // namespace qm
