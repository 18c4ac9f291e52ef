// "Is MSI Setup Installed" asking the real Windows Installer of the test
// prefix.

#include <gtest/gtest.h>

#include <string>

#include "tests/commands/query/query_run.h"

namespace qm {
namespace {

TEST(IsMsiSetupInstalledTest, ProductsThatAreNotInstalled) {
  const auto run = test::run_query_script(
      "Set Variable | CODE | {6B1E2B5D-9C0A-4F53-8E36-52A0C1D7E9F4}\n"
      "Set Variable | OLD | TRUE\n"
      "Is MSI Setup Installed | $CODE$ | OLD\n"
      "Is MSI Setup Installed | {6b1e2b5d-9c0a-4f53-8e36-52a0c1d7e9f4} | lower\n"
      "Is MSI Setup Installed | 6B1E2B5D-9C0A-4F53-8E36-52A0C1D7E9F4 | NO_BRACES\n"
      "Is MSI Setup Installed | {not a product code} | MALFORMED\n"
      "Is MSI Setup Installed | $CODE$$CODE$ | TWICE\n"
      "Is MSI Setup Installed | | EMPTY\n");
  ASSERT_FALSE(run->outcome().failed) << run->outcome().error_report;
  for (const char* variable : {"OLD", "LOWER", "NO_BRACES", "MALFORMED", "TWICE", "EMPTY"})
    EXPECT_EQ(run->get(variable), "FALSE") << variable;
}

TEST(IsMsiSetupInstalledTest, AVeryLongCodeIsNoProduct) {
  const auto run = test::run_query_script("Is MSI Setup Installed | {" + std::string(100000, '7') + "} | LONG\n");
  EXPECT_EQ(run->get("LONG"), "FALSE");
}

}  // namespace
}  // namespace qm
