// The real engine under Wine: a copy of quillmore.exe with a package
// appended, started as a setup would be.

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <thread>

#include "engine/pe_image.h"
#include "tests/support/package_text.h"
#include "tests/support/temp_folder.h"

namespace qm {
namespace {

constexpr std::uint32_t kExitNoPackage = 13;
constexpr std::uint32_t kExitStartupFailure = 11;

class EngineStartupTest : public ::testing::Test {
 protected:
  // A setup.exe made of the engine and `appended`.
  std::string make_setup(const std::string& appended) {
    const std::string setup = folder_.file("setup.exe");
    test::write_file(setup, engine_bytes() + appended);
    test::write_file(folder_.file("setup.msi"), "");
    return setup;
  }

  static std::string engine_bytes() { return test::read_file(test::program_folder() + "quillmore.exe"); }

  static test::PackageText package() {
    test::PackageText text;
    text.add_line("Set Variable", {"$GREETING$", "Hello"});
    text.add_line("Comment", {"done"});
    text.command_headers = {"1A2B", "0"};
    return text;
  }

  test::TempFolder folder_;
};

TEST_F(EngineStartupTest, TheReleaseEngineEndsWithItsLastSection) {
  // A symbol table or any other bytes after the image would be taken for a package.
  const std::string bytes = engine_bytes();
  const auto end = pe_image_end(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  ASSERT_TRUE(end.has_value());
  EXPECT_EQ(*end, bytes.size());
}

TEST_F(EngineStartupTest, ExitCodes) {
  test::PackageText bad_kind = package();
  bad_kind.build_kind = "web";
  const std::string good = package().text();
  const struct {
    const char* what;
    std::string appended;
    std::uint32_t exit_code;
  } cases[] = {
      {"no package", "", kExitNoPackage},
      {"a package", good, 0},
      {"a signed package", good + std::string("\x30\x82\x01\x0A\0\0 certificate", 18), 0},
      {"a truncated package", good.substr(0, good.size() / 2), kExitStartupFailure},
      {"a package with a bad build kind", bad_kind.text(), kExitStartupFailure},
      {"only a line feed", "\n", kExitStartupFailure},
  };
  for (const auto& c : cases) {
    const std::string setup = make_setup(c.appended);
    for (const char* silent : {"/s", "-QN"})
      EXPECT_EQ(test::run_and_wait("\"" + setup + "\" " + silent), c.exit_code) << c.what << " " << silent;
  }
}

// Finds the engine's message box, reads its text and presses OK.
std::string answer_message_box(const char* caption) {
  for (int attempt = 0; attempt < 200; ++attempt) {
    if (HWND box = FindWindowA("#32770", caption)) {
      char text[256] = {};
      GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
      PostMessageA(box, WM_COMMAND, IDOK, 0);
      return text;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return "(no message box)";
}

TEST_F(EngineStartupTest, WithoutAPackageTheUserIsToldAndTheExitCodeIs13) {
  const std::string setup = make_setup("");
  std::uint32_t exit_code = 0;
  std::thread run([&] { exit_code = test::run_and_wait("\"" + setup + "\""); });
  const std::string text = answer_message_box("Quillmore Wizard");
  run.join();
  EXPECT_EQ(text, "For internal use only");
  EXPECT_EQ(exit_code, kExitNoPackage);
}

}  // namespace
}  // namespace qm
