// Failures of Windows reach users as a sentence of ours followed by
// Windows' own explanation.

#include "platform/windows_error.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "tests/support/temp_folder.h"

namespace qm::platform {
namespace {

TEST(WindowsErrorTest, SentenceThenWindowsText) {
  const WindowsError error("Unable to open the file C:\\missing.txt", ERROR_FILE_NOT_FOUND);
  const std::string text = error.what();
  const std::string sentence = "Unable to open the file C:\\missing.txt: ";
  ASSERT_EQ(text.substr(0, sentence.size()), sentence);
  const std::string explanation = text.substr(sentence.size());
  EXPECT_FALSE(explanation.empty());
  EXPECT_EQ(explanation.find_first_of("\r\n"), std::string::npos) << "one line";
  EXPECT_EQ(error.code(), static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(system_error_text(0x2000FFFF), "Windows error 536936447") << "a code Windows has no text for";
}

TEST(WindowsErrorTest, FileFailuresNameTheFile) {
  test::TempFolder folder;
  const std::string target = folder.file("no such folder\\file.txt");
  try {
    write_whole_file(target, "x");
    FAIL() << "written into a missing folder";
  } catch (const WindowsError& error) {
    EXPECT_EQ(std::string(error.what()).rfind("Unable to create the file " + target + ": ", 0), 0u) << error.what();
    EXPECT_EQ(error.code(), static_cast<std::uint32_t>(ERROR_PATH_NOT_FOUND));
  }
}

}  // namespace
}  // namespace qm::platform
