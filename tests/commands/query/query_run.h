#pragma once
// Scripts of the query commands run through the real run initialisation and
// interpreter. Line 1 of every script is its own "RUN" line, so the first
// line written in a test is line 2.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#include "tests/support/engine_run.h"
#include "tests/support/script_text.h"

namespace qm::test {

// The run of a script that got past initialisation (the validator).
inline std::unique_ptr<EngineRun> run_query_script(std::string_view script) {
  auto run = std::make_unique<EngineRun>(script_package(script));
  EXPECT_TRUE(run->run()) << "initialisation stopped the script:\n" << script;
  return run;
}

// The report of a run-time error on a line, as the user reads it.
inline std::string script_error_report(std::size_t line, std::string_view message) {
  return "Runtime error in setup script:\r\rLine " + std::to_string(line) + ": " + std::string(message);
}

}  // namespace qm::test
