#include <gtest/gtest.h>

#include "script/command_line.h"

namespace qm {
namespace {

TEST(CommandLineTest, Remainder) {
  const std::pair<const char*, const char*> cases[] = {
      {"\"C:\\My Setups\\setup.exe\" /s A=1", "/s A=1"},
      {"\"C:\\My Setups\\setup.exe\"", ""},
      {"setup.exe /s A=1", "/s A=1"},
      {"setup.exe", ""},
      {"\"unclosed quote", ""},
  };
  for (const auto& [raw, remainder] : cases) EXPECT_EQ(parse_command_line(raw, {}).remainder, remainder) << raw;
}

TEST(CommandLineTest, Switches) {
  struct Case {
    std::vector<std::string> parameters;
    bool silent;
    bool no_splash;
  } cases[] = {
      {{"/s"}, true, false},      {{"-S"}, true, false},        {{"/QN"}, true, false},
      {{"s"}, false, false},      {{"/silent"}, false, false},  {{"/update"}, false, true},
      {{"-UpdateSetup"}, false, true}, {{"/s", "/update"}, true, true}, {{}, false, false},
  };
  for (const auto& c : cases) {
    const CommandLine line = parse_command_line("setup.exe", c.parameters);
    EXPECT_EQ(line.silent, c.silent) << (c.parameters.empty() ? "" : c.parameters[0]);
    EXPECT_EQ(line.no_splash, c.no_splash) << (c.parameters.empty() ? "" : c.parameters[0]);
  }
}

TEST(CommandLineTest, SwitchValuesAreLowerCasedAndTakenFromTheFirstMatch) {
  const CommandLine line = parse_command_line(
      "setup.exe", {"/l=C:\\Logs\\Setup.log", "-L=second.log", "/m=C:\\Dist\\Setup.EXE", "-p=D:\\Sources\\", "/g=\\\\Server\\Policy\\x.txt"});
  EXPECT_EQ(line.trace_file, "c:\\logs\\setup.log");
  EXPECT_EQ(line.setup_file, "c:\\dist\\setup.exe");
  EXPECT_EQ(line.source_folder, "d:\\sources\\");
  EXPECT_EQ(line.group_policy_path, "\\\\server\\policy\\x.txt");
  EXPECT_EQ(parse_command_line("setup.exe", {"-l=Trace.LOG"}).trace_file, "trace.log");
  EXPECT_EQ(parse_command_line("setup.exe", {"/s"}).trace_file, "");
}

TEST(CommandLineTest, NameValuePairs) {
  const CommandLine line =
      parse_command_line("setup.exe", {"x=1=2", "-y=1", "/z=3", "TargetDir=C:\\Program Files\\App", "=empty", "novalue"});
  ASSERT_EQ(line.overrides.size(), 3u);
  EXPECT_EQ(line.overrides[0].name, "X");
  EXPECT_EQ(line.overrides[0].value, "1=2");
  EXPECT_EQ(line.overrides[1].name, "TARGETDIR");
  EXPECT_EQ(line.overrides[1].value, "C:\\Program Files\\App");
  EXPECT_EQ(line.overrides[2].name, "");
}

}  // namespace
}  // namespace qm
