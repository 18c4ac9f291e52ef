// The real engine under Wine, started with a damaged, hostile or unusually
// large package: every start ends with its exit code, never a crash or a
// hang, and leaves nothing of its own in the temporary folder.

#include <gtest/gtest.h>

#include <windows.h>

#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/unique_resource.h"
#include "tests/support/setup_folder.h"

namespace qm {
namespace {

constexpr std::uint32_t kExitStartupFailure = 11;
constexpr std::uint32_t kExitNoPackage = 13;

// What this engine may leave in the temporary folder: support folders and
// package copies, all named "qvx...".
std::set<std::string> engine_leftovers() {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  std::set<std::string> names;
  WIN32_FIND_DATAA entry;
  const platform::UniqueFindHandle search(FindFirstFileA((std::string(temp) + "qvx*").c_str(), &entry));
  if (!search) return names;
  do {
    names.insert(entry.cFileName);
  } while (FindNextFileA(search.get(), &entry));
  return names;
}

test::PackageText small_package() {
  test::PackageText text;
  text.add_line("Set Variable", {"$GREETING$", "Hello"});
  text.add_line("Terminate with Exit Code", {"0"});
  return text;
}

std::string random_bytes(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  return bytes;
}

struct DamageCase {
  std::string what;
  std::string appended;
  std::uint32_t exit_code;
};

void expect_outcomes(const std::vector<DamageCase>& cases) {
  const std::set<std::string> before = engine_leftovers();
  for (const DamageCase& c : cases) {
    test::SetupFolder folder(c.appended);
    EXPECT_EQ(folder.run("/s"), c.exit_code) << c.what;
    EXPECT_EQ(engine_leftovers(), before) << c.what << ": something stayed in the temporary folder";
  }
}

TEST(StartupUnderDamageTest, DamagedPackagesEndWithTheirExitCode) {
  const std::string good = small_package().text();
  std::vector<DamageCase> cases = {
      {"nothing appended", "", kExitNoPackage},
      {"random bytes", random_bytes(64 * 1024, 1), kExitStartupFailure},
      {"random bytes with line ends", random_bytes(16 * 1024, 2) + std::string(2000, '\n'), kExitStartupFailure},
      {"a list end marker only", "$\r\n", kExitStartupFailure},
      {"the package and random bytes after it", good + random_bytes(64 * 1024, 3), 0},
  };
  // Cut at many points: every cut is a package that ends early (a cut within
  // the final line end leaves a whole package: its last line needs none).
  for (std::size_t cut = 1; cut + 3 <= good.size(); cut += good.size() / 23 + 1)
    cases.push_back({"cut after byte " + std::to_string(cut), good.substr(0, cut), kExitStartupFailure});
  expect_outcomes(cases);
}

TEST(StartupUnderDamageTest, HugeSectionsAreRead) {
  test::PackageText long_field = small_package();
  long_field.add_line("Set Variable", {"$LONG$", std::string(1024 * 1024, 'x')});
  test::PackageText many_lines;
  for (int i = 0; i < 200000; ++i) many_lines.add_line("Comment", {"line " + std::to_string(i)});
  many_lines.add_line("Terminate with Exit Code", {"7"});
  expect_outcomes({
      {"a field of 1 MB", long_field.text(), 0},
      {"200,000 script lines", many_lines.text(), 7},
  });
}

// Only the package is read out of the program file: what follows it may be
// larger than a 32-bit process could ever hold.
TEST(StartupUnderDamageTest, DataAfterThePackageMayBeOfAnySize) {
  test::PackageText text = small_package();
  text.lines.back().fields = {"5"};
  test::SetupFolder folder(text.text());
  {
    const platform::UniqueHandle file(CreateFileA(folder.setup().c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file.valid());
    LARGE_INTEGER size{};
    ASSERT_TRUE(GetFileSizeEx(file.get(), &size));
    size.QuadPart += 1100LL * 1024 * 1024;  // 1.1 GB of zero bytes after the package
    ASSERT_TRUE(SetFilePointerEx(file.get(), size, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(file.get()));
  }
  EXPECT_EQ(folder.run("/s"), 5u);
}

// Two setups started at the same moment each take their own package copy.
TEST(StartupUnderDamageTest, SetupsStartedTogetherDoNotDisturbEachOther) {
  test::PackageText text;
  for (int i = 0; i < 20000; ++i) text.add_line("Comment", {std::string(120, 'p')});  // about 3 MB
  text.add_line("Terminate with Exit Code", {"9"});
  const test::SetupFolder first(text.text());
  const test::SetupFolder second(text.text());
  const std::set<std::string> before = engine_leftovers();
  for (int round = 0; round < 6; ++round) {
    std::uint32_t first_code = 0;
    std::uint32_t second_code = 0;
    std::thread other([&] { second_code = second.run("/s"); });
    first_code = first.run("/s");
    other.join();
    EXPECT_EQ(first_code, 9u) << "round " << round;
    EXPECT_EQ(second_code, 9u) << "round " << round;
  }
  EXPECT_EQ(engine_leftovers(), before);
}

}  // namespace
}  // namespace qm
