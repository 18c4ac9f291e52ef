// Scripts run through the real run initialisation and interpreter. Each
// script records the lines it runs by appending letters to RUN ("mark x").

#include <gtest/gtest.h>

#include <windows.h>

#include "engine/resume_entry.h"
#include "platform/registry.h"
#include "script/truth_text.h"
#include "tests/support/engine_run.h"
#include "tests/support/script_text.h"

namespace qm {
namespace {

using test::EngineRun;
using test::script_package;

struct ScriptRun {
  std::string marks;
  RunOutcome outcome;
};

ScriptRun run_script_text(std::string_view script) {
  EngineRun run(script_package(script));
  EXPECT_TRUE(run.run()) << "initialisation stopped the script";
  return {run.get("RUN"), run.outcome()};
}

TEST(InterpreterTest, ConditionalBlocks) {
  struct Case {
    const char* what;
    const char* script;
    const char* marks;
  } cases[] = {
      {"a false If skips its block, a true one runs it, and an Else If after a branch is not evaluated", R"(
        Set Variable | A | no
        Set Variable | B | yes
        If | A | 0 | yes | FALSE
          mark a
        End
        If | B | 0 | yes | FALSE
          mark b
        Else If | B | 0 | yes | FALSE
          mark c
        Else
          mark d
        End
        mark z)",
       "bz"},
      {"the first Else If that holds runs", R"(
        Set Variable | A | 2
        If | A | 0 | 1 | FALSE
          mark 1
        Else If | A | 0 | 2 | FALSE
          mark 2
        Else If | A | 2 | 1 | FALSE
          mark 3
        Else
          mark e
        End)",
       "2"},
      {"Else runs when nothing held", R"(
        Set Variable | A | 9
        If | A | 0 | 1 | FALSE
          mark 1
        Else If | A | 0 | 2 | FALSE
          mark 2
        Else
          mark e
        End
        mark z)",
       "ez"},
      {"a negated condition", R"(
        Set Variable | A | 1
        If | A | 0 | 1 | TRUE
          mark n
        Else
          mark y
        End)",
       "y"},
      {"an inner false block with its Else, then an outer Else If that is never evaluated", R"(
        Set Variable | A | yes
        Set Variable | B | no
        If | A | 0 | no | FALSE
          Set Variable | NEVER_DEFINED | x
        End
        If | A | 0 | yes | FALSE
          mark 1
          If | B | 0 | yes | FALSE
            mark 2
          Else
            mark 3
          End
        Else If | NEVER_DEFINED | 0 | x | FALSE
          mark 4
        End
        mark z)",
       "13z"},
      {"a false If holding a wizard loop skips to its own End", R"(
        Set Variable | A | yes
        If | A | 0 | no | FALSE
          Wizard Loop
            Display Dialog | D1 | RESULT | |
          End
          mark x
        End
        mark z)",
       "z"},
      {"a commented-out End inside a skipped block is not counted", R"(
        Set Variable | A | yes
        If | A | 0 | no | FALSE
          mark x
          # End
          mark y
        End
        mark z)",
       "z"},
      {"commented-out lines and unknown commands do nothing", R"(
        # mark c
        Code Folding Region | whatever
        Ignore | x
        mark z)",
       "z"},
      {"a jump back forgets the open branch; labels are found without regard to case", R"(
        Set Variable | DONE | no
        Label | Top
        mark t
        If | DONE | 0 | no | FALSE
          Set Variable | DONE | yes
          GoTo Label | TOP
        End
        mark z)",
       "ttz"},
      {"a jump forward to a label defined later", R"(
        GoTo Label | later
        mark x
        Label | LATER
        mark z)",
       "z"},
      {"Terminate Install ends the script", R"(
        mark a
        Terminate Install
        mark b)",
       "a"},
  };
  for (const auto& c : cases) {
    const ScriptRun run = run_script_text(c.script);
    EXPECT_FALSE(run.outcome.failed) << c.what << ": " << run.outcome.error_report;
    EXPECT_EQ(run.marks, c.marks) << c.what;
  }
}

TEST(InterpreterTest, WizardLoopSteps) {
  constexpr const char* kScript = R"(
    Wizard Loop
      Display Dialog | D1 | RESULT | |
      Comment | between
      Display Dialog | D2 | RESULT | |
      # Display Dialog | HIDDEN | RESULT | |
      Display Dialog | D3 | RESULT | |
    End
    mark z)";
  struct Case {
    std::deque<std::string> answers;
    std::vector<std::string> shown;
    const char* result;
  } cases[] = {
      {{}, {"D1", "D2", "D3"}, "NEXT"},
      {{"NEXT", "BACK", "NEXT", "NEXT", "NEXT"}, {"D1", "D2", "D1", "D2", "D3"}, "NEXT"},
      {{"BACK"}, {"D1"}, "BACK"},
      {{"NEXT", "CANCEL"}, {"D1", "D2"}, "CANCEL"},
      {{"NEXT", "NEXT", "BACK", "CUSTOM", "BACK", "BACK"}, {"D1", "D2", "D3", "D2", "D1"}, "BACK"},
  };
  for (auto& c : cases) {
    EngineRun run(script_package(kScript));
    run.dialog_answers = c.answers;
    ASSERT_TRUE(run.run());
    EXPECT_EQ(run.dialogs_shown, c.shown);
    EXPECT_EQ(run.get("RESULT"), c.result);
    EXPECT_EQ(run.get("RUN"), "z") << "execution continues after the loop";
  }
}

TEST(InterpreterTest, ExitCodes) {
  struct Case {
    const char* script;
    std::uint32_t exit_code;
    const char* marks;
  } cases[] = {
      {"mark a\nTerminate with Exit Code | 3010\nmark b", 3010, "a"},
      {"Set Variable | CODE | -1\nTerminate with Exit Code | $CODE$", 0xFFFFFFFF, ""},
      {"Terminate with Exit Code | $1F", 31, ""},
      {"mark a", 0, "a"},
  };
  for (const auto& c : cases) {
    EngineRun run(script_package(c.script));
    ASSERT_TRUE(run.run());
    EXPECT_EQ(run.engine().exit_code, c.exit_code) << c.script;
    EXPECT_EQ(run.get("RUN"), c.marks) << c.script;
  }
}

TEST(InterpreterTest, RunTimeErrorsNameTheLine) {
  struct Case {
    const char* script;
    std::size_t line;
    const char* message;
  } cases[] = {
      // Line 1 is the script's own "RUN" line.
      {"mark a\nmark b\nmark c\nmark d\nmark e\nmark f\nmark g\nmark h\nTerminate with Exit Code | ten\nmark z", 10,
       "'ten' is not a valid integer value"},
      {"Set Variable | A | x\nIf | A | 0 | x | FALSE\nWrite Registry | HKLM\nEnd", 4,
       "Unable to obtain command headers. Please rebuild your project."},
  };
  for (const auto& c : cases) {
    EngineRun run(script_package(c.script));
    ASSERT_TRUE(run.run());
    const RunOutcome& outcome = run.outcome();
    EXPECT_TRUE(outcome.failed);
    EXPECT_EQ(outcome.failed_line, c.line);
    EXPECT_EQ(outcome.error_report, std::string("Runtime error in setup script:\r\rLine ") + std::to_string(c.line) +
                                        ": " + c.message);
    EXPECT_EQ(run.get("RUN").find('z'), std::string::npos) << "nothing runs after the error";
  }
}

TEST(InterpreterTest, InternalFaultsReachTheUserAsAGeneralFailure) {
  test::TempFolder folder;
  const std::string trace = folder.file("trace.log");
  EngineRun run(script_package("mark a\nFail Inside\nmark z"));
  run.engine().commands.add("Fail Inside", [](Engine&, const ScriptLine&) {
    throw std::logic_error("vector index 7 out of range");
  });
  run.engine().variables.set_overrides({{"LOGGED", trace}});
  ASSERT_TRUE(run.run());
  EXPECT_EQ(run.outcome().error_report, "Runtime error in setup script:\r\rLine 3: General setup failure");
  EXPECT_EQ(run.get("RUN"), "a");
  EXPECT_NE(test::read_trace(trace).find("    Internal error: vector index 7 out of range\r\n"), std::string::npos)
      << "the internal text goes to the trace for support staff";
}

TEST(InterpreterTest, ValuesThatReferToThemselvesDoNotHoldTheScriptUp) {
  // From the command line alone, and from script lines: each text stops
  // after the pass that substitutes the same variables as an earlier one.
  EngineRun run(script_package(R"(
    Set Variable | SEEN | [$X$]
    Set Variable | C | $C$-
    Set Variable | D | $D$$D$
    Set Variable | E | $C$$D$
    Set Variable | F | $E$$F$
    Set Variable | SEEN2 | [$F$]
    mark z)"),
                {{"B", "$B$-"}, {"A", "$A$$A$"}, {"X", "$B$$A$"}});
  ASSERT_TRUE(run.run());
  ASSERT_FALSE(run.outcome().failed) << run.outcome().error_report;
  EXPECT_EQ(run.get("RUN"), "z");
  EXPECT_EQ(run.get("SEEN"), "[$B$--$A$$A$$A$$A$]");
  EXPECT_EQ(run.get("C"), "$C$-") << "an undefined reference stays as written";
  EXPECT_EQ(run.get("E"), "$C$--$D$$D$$D$$D$");
  EXPECT_LT(run.get("SEEN2").size(), 1000u);
}

TEST(InterpreterTest, CommandLineValues) {
  constexpr const char* kScript = R"(
    Set Variable | SEEN | $X$
    Set Variable | X | from the script
    Set Variable | TITLE_SEEN | $TITLE$)";
  for (const bool silent : {true, false}) {
    EngineRun run(script_package(kScript), {{"x", "5"}, {"title", "Other"}});
    run.engine().set_silent(silent);
    ASSERT_TRUE(run.run());
    EXPECT_EQ(run.get("SEEN"), "5") << "the value is there from the first line on";
    EXPECT_EQ(run.get("X"), silent ? "5" : "from the script");
    EXPECT_EQ(run.get("TITLE_SEEN"), "Other");
  }
}

TEST(InterpreterTest, RebootAndResumeRegistersTheSetupForTheNextStart) {
  test::PackageText package = script_package("mark a\nReboot and Resume\nmark b");
  EngineRun run(package);
  run.engine().startup.command_line_remainder = "/s A=1";
  ASSERT_TRUE(run.run());
  EXPECT_EQ(run.get("RUN"), "a");
  EXPECT_EQ(run.restarts, std::vector<RestartKind>{RestartKind::kRestartAndResume});

  const HKEY root = is_true(run.get("ALLUSERS")) ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
  const std::string run_key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\";
  const std::string name = resume_entry_name(package.product_code);
  EXPECT_EQ(name, "12345678");
  const auto key = platform::RegistryKey::open(root, run_key, KEY_READ);
  EXPECT_EQ(key.read_string(name).value_or("(missing)"), run.engine().startup.engine_path + " /s A=1");

  // The next start removes the entry before the first line runs.
  EngineRun next(script_package("Set Variable | STILL_THERE | x"));
  ASSERT_TRUE(next.run());
  EXPECT_FALSE(platform::RegistryKey::open(root, run_key, KEY_READ).read_string(name).has_value());
}

TEST(InterpreterTest, RebootComputerAsksForARestart) {
  EngineRun run(script_package("Reboot Computer\nmark b"));
  ASSERT_TRUE(run.run());
  EXPECT_EQ(run.restarts, std::vector<RestartKind>{RestartKind::kRestart});
  EXPECT_EQ(run.get("RUN"), "");
}

TEST(InterpreterTest, AnInvalidScriptDoesNotRun) {
  EngineRun run(script_package("Set Variable | A | 1\nIf | A | 0 | 1 | FALSE\nmark x"));
  EXPECT_FALSE(run.run());
  EXPECT_EQ(run.initialisation(), InitialisationResult::kInvalidScript);
}

}  // namespace
}  // namespace qm

namespace qm {
namespace {

TEST(SetVariableTest, NamesValuesAndTheKeepMarker) {
  EngineRun run(test::script_package(R"(
    Set Variable | $FOLDER$ | $TEMPDIR$Sample
    Set Variable | plain | bare name
    Set Variable | $KEPT$$VRAK$VRAK$TRUE | kept
    Set Variable | Other$VRAK$VRAK$TRUE | kept too
    Set Variable | $NOT_KEPT$$VRAK$VRAK$true | not kept
    Set Variable | $kept$$VRAK$VRAK$TRUE | again
    Set Variable | PRICE | 50
    Evaluate Expression | $PRICE$ = "50" and $PLAIN$ <> "" | CHECK)"));
  ASSERT_TRUE(run.run());
  ASSERT_FALSE(run.outcome().failed) << run.outcome().error_report;
  EXPECT_EQ(run.get("FOLDER"), run.engine().startup.temp_folder + "Sample");
  EXPECT_EQ(run.get("PLAIN"), "bare name");
  EXPECT_EQ(run.get("KEPT"), "again");
  EXPECT_EQ(run.get("NOT_KEPT"), "not kept");
  EXPECT_EQ(run.get("CHECK"), "TRUE");
  EXPECT_EQ(run.engine().variables.persisted(), (std::vector<std::string>{"KEPT", "Other"}));
}

// A user interface that notes the progress it is asked to show.
class ProgressRecorder : public UserInterface {
 public:
  explicit ProgressRecorder(std::vector<ProgressState>& shown) : shown_(shown) {}
  void process_messages() override {}
  void show_progress(Engine&, const ProgressState& progress) override { shown_.push_back(progress); }
  void preload_dialog(Engine&, std::size_t) override {}
  DialogOutcome show_dialog(Engine&, std::size_t, bool) override { return {}; }
  void hide_dialog(Engine&) override {}

 private:
  std::vector<ProgressState>& shown_;
};

TEST(SetVariableTest, ProgressReachesTheCurrentDialogAtOnce) {
  EngineRun run(test::script_package(R"(
    Set Variable | SILENT | FALSE
    Set Variable | PROGRESSTEXT | Copying files
    Set Variable | PROGRESS | 40
    Set Variable | PROGRESS | 250
    Comment | the value written stays, so it is not shown again
    Set Variable | PROGRESS | half)"));
  std::vector<ProgressState> shown;
  int dialog = 0;
  run.engine().current_window = &dialog;
  run.engine().user_interface = std::make_unique<ProgressRecorder>(shown);
  ASSERT_TRUE(run.run());
  ASSERT_EQ(shown.size(), 4u);
  EXPECT_EQ(shown[0], (ProgressState{"Copying files", 0, 100, 0}));
  EXPECT_EQ(shown[1], (ProgressState{"Copying files", 0, 100, 40}));
  EXPECT_EQ(shown[2], (ProgressState{"Copying files", 0, 100, 250})) << "the bar keeps it within its range";
  EXPECT_EQ(shown[3], (ProgressState{"Copying files", 0, 100, 100})) << "no number: a full bar";
  EXPECT_EQ(run.engine().progress.stored(), shown[3]) << "the record holds what was shown";
}

}  // namespace
}  // namespace qm
