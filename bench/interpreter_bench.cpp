// How fast the interpreter runs a large script: 100,000 lines of "Set
// Variable", "If"/"Else"/"End" and "GoTo Label", through the real run
// initialisation (validation included) and the main loop. Reports lines per
// second, and the cost of a line compared with a "Comment" line, which the
// interpreter dispatches to a handler that does nothing. Never fails on time.

#include <windows.h>

#include <cstdio>
#include <string>

#include "bench/stopwatch.h"
#include "tests/support/engine_run.h"

namespace {

constexpr std::size_t kBlocks = 10'000;  // ten lines each


// Ten lines a block; every line runs once (the Else branch is skipped).
qm::test::PackageText working_script() {
  qm::test::PackageText package;
  package.add_line("Set Variable", {"B", "x"});
  for (std::size_t block = 0; block < kBlocks; ++block) {
    const std::string label = "L" + std::to_string(block);
    package.add_line("Label", {label});
    package.add_line("Set Variable", {"A", "value $B$"});
    package.add_line("If", {"A", "0", "value x", "FALSE"});
    package.add_line("Set Variable", {"$C$", "yes"});
    package.add_line("Else", {});
    package.add_line("Set Variable", {"$C$", "no"});
    package.add_line("End", {});
    package.add_line("Set Variable", {"D", "$C$ $A$"});
    package.add_line("GoTo Label", {"L" + std::to_string(block + 1)});
    package.add_line("Comment", {"block " + std::to_string(block)});
  }
  package.add_line("Label", {"L" + std::to_string(kBlocks)});
  return package;
}

qm::test::PackageText comment_script() {
  qm::test::PackageText package;
  for (std::size_t line = 0; line < kBlocks * 10; ++line) package.add_line("Comment", {"line"});
  return package;
}

struct Timing {
  double initialise_ms;
  double run_ms;
  std::size_t lines;
};

Timing time_script(const qm::test::PackageText& package) {
  qm::test::EngineRun run(package);
  qm::bench::Stopwatch watch;
  const auto initialised = qm::initialise_run(run.engine());
  const double initialised_at = watch.elapsed_ms();
  if (initialised != qm::InitialisationResult::kRun) {
    std::fprintf(stderr, "the benchmark script did not pass initialisation\n");
    std::exit(1);
  }
  const qm::RunOutcome outcome = qm::run_script(run.engine());
  const double done = watch.elapsed_ms();
  if (outcome.failed) {
    std::fprintf(stderr, "the benchmark script failed: %s\n", outcome.error_report.c_str());
    std::exit(1);
  }
  return {initialised_at, done - initialised_at, run.engine().package.line_count()};
}

}  // namespace

int main() {
  const qm::test::PackageText working = working_script();
  const qm::test::PackageText comments = comment_script();
  Timing best_working{0, 1e300, 0}, best_comments{0, 1e300, 0};
  for (int repetition = 0; repetition < 3; ++repetition) {
    const Timing w = time_script(working);
    if (w.run_ms < best_working.run_ms) best_working = w;
    const Timing c = time_script(comments);
    if (c.run_ms < best_comments.run_ms) best_comments = c;
  }
  const double working_rate = best_working.lines / (best_working.run_ms / 1000.0);
  const double comment_rate = best_comments.lines / (best_comments.run_ms / 1000.0);
  std::printf("interpreter: %zu lines of Set Variable / If / Else / End / GoTo Label\n", best_working.lines);
  std::printf("  run initialisation (validation, variables): %8.1f ms\n", best_working.initialise_ms);
  std::printf("  main loop:                                  %8.1f ms  = %.0f lines/s\n", best_working.run_ms,
              working_rate);
  std::printf("interpreter: %zu Comment lines (dispatch alone)\n", best_comments.lines);
  std::printf("  main loop:                                  %8.1f ms  = %.0f lines/s\n", best_comments.run_ms,
              comment_rate);
  std::printf("ratio: a working line costs %.2f comment lines\n", comment_rate / working_rate);
  return 0;
}
