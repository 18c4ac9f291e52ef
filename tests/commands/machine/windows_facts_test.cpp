// The version facts' rules on versions this machine is not: names of
// Windows versions, service-pack levels, dotted version texts.

#include "commands/machine/windows_facts.h"

#include <gtest/gtest.h>

#include "script/dotted_version.h"
#include "script/script_error.h"

namespace qm {
namespace {

TEST(WindowsFactsTest, ServicePackLevels) {
  const struct {
    const char* text;
    int level;
  } cases[] = {
      {"", 0},
      {"Service Pack 3", 3},
      {"Service Pack 1a", 1},
      {"Service Pack 10", 10},  // not 1: the larger number wins
      {"Service Pack 6a", 6},
      {"Build 7 Update", 7},
      {"Service Pack 0", 0},
      {"Service Pack", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(service_pack_level(c.text), c.level) << c.text;
}

TEST(WindowsFactsTest, NamesOfWindowsVersions) {
  const struct {
    bool nt;
    std::uint32_t major, minor;
    const char* name;
  } cases[] = {
      {true, 4, 0, "NT4"},    {true, 5, 0, "2000"},   {true, 5, 1, "XP"},      {true, 5, 2, "2003"},
      {true, 6, 0, "VISTA"},  {true, 6, 1, "UNKNOWN"}, {true, 10, 0, "UNKNOWN"}, {true, 4, 10, "UNKNOWN"},
      {false, 4, 0, "95"},    {false, 4, 10, "98"},   {false, 4, 11, "98SE"},  {false, 4, 90, "ME"},
      {false, 5, 0, "UNKNOWN"},
  };
  for (const auto& c : cases) {
    WindowsVersion version;
    version.nt_family = c.nt;
    version.major = c.major;
    version.minor = c.minor;
    EXPECT_EQ(windows_name(version), c.name) << c.major << "." << c.minor;
  }
}

TEST(WindowsFactsTest, VersionsReachedCompareMajorThenMinorOnly) {
  WindowsVersion nt4;
  nt4.nt_family = true;
  nt4.major = 4;
  EXPECT_TRUE(version_reaches(nt4, 4, 0)) << "NT 4.0 reaches Windows 95";
  EXPECT_FALSE(version_reaches(nt4, 4, 10)) << "but not Windows 98";
  WindowsVersion seven{true, 6, 1, 0};
  EXPECT_TRUE(version_reaches(seven, 5, 2));
  EXPECT_TRUE(version_reaches(seven, 6, 0));
  EXPECT_FALSE(version_reaches(seven, 6, 2));
}

TEST(WindowsFactsTest, DottedVersionTexts) {
  const struct {
    const char* text;
    VersionNumbers version;
  } cases[] = {
      {"7.0.5730.11", {7, 0, 5730, 11}},
      {"7.0.5730", {7, 0, 5730, 0}},
      {"7", {7, 0, 0, 0}},
      {"", {0, 0, 0, 0}},
      {"7.", {7, 0, 0, 0}},
      {"7.0.5730.beta", {7, 0, 5730, 0}},
      {"beta", {0, 0, 0, 0}},
      {"1.2.3.4.5", {1, 2, 3, 4}},
      {"$A.0x10. 3.-1", {10, 16, 3, 0xFFFFFFFF}},
  };
  for (const auto& c : cases) EXPECT_EQ(dotted_version(c.text), c.version) << c.text;
  for (const char* text : {"7.x.1.1", "7..1", "a.1"}) EXPECT_THROW(dotted_version(text), ScriptError) << text;
}

TEST(WindowsFactsTest, FourPartVersionsCompareUnsignedPartByPart) {
  EXPECT_TRUE(version_at_least({7, 0, 5730, 11}, {7, 0, 5730, 11}));
  EXPECT_FALSE(version_at_least({7, 0, 5730, 10}, {7, 0, 5730, 11}));
  EXPECT_TRUE(version_at_least({7, 1, 0, 0}, {7, 0, 5730, 11}));
  EXPECT_TRUE(version_at_least({0xFFFFFFFF, 0, 0, 0}, {7, 0, 0, 0}));
  EXPECT_FALSE(version_at_least({6, 0xFFFF, 0xFFFF, 0xFFFF}, {7, 0, 0, 0}));
}

}  // namespace
}  // namespace qm
