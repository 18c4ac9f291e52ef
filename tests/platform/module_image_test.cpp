#include <gtest/gtest.h>

#include <windows.h>

#include "platform/module_image.h"
#include "script/ansi_text.h"
#include "tests/support/temp_folder.h"

namespace qm::platform {
namespace {

// A library with data behind its image, as the archive library carries the
// message catalogue.
TEST(ModuleImageTest, FindsDataAppendedToALoadedLibrary) {
  test::TempFolder folder;
  const std::string plain = test::read_file(test::program_folder() + "appended_data_probe.dll");
  const std::string catalogue = "message 1\r\nmessage 2\r\n";

  struct Case {
    const char* name;
    std::string appended;
  } cases[] = {{"plain.dll", ""}, {"with-catalogue.dll", catalogue}};
  for (const Case& c : cases) {
    const std::string path = folder.file(c.name);
    test::write_file(path, plain + c.appended);
    HMODULE library = LoadLibraryA(path.c_str());
    ASSERT_NE(library, nullptr) << c.name;
    const AppendedData data = find_appended_data(library);
    EXPECT_TRUE(equal_ignore_case(data.file_path, path)) << data.file_path;
    EXPECT_EQ(data.offset, plain.size()) << c.name;
    EXPECT_EQ(data.size, c.appended.size()) << c.name;
    if (data.size > 0) {
      EXPECT_EQ(read_file_range(data.file_path, data.offset, data.size), c.appended);
    }
    FreeLibrary(library);
  }
}

TEST(ModuleImageTest, ReadingPastTheEndFails) {
  test::TempFolder folder;
  const std::string path = folder.file("short.bin");
  test::write_file(path, "0123456789");
  EXPECT_EQ(read_file_range(path, 4, 3), "456");
  EXPECT_THROW(read_file_range(path, 8, 5), std::runtime_error);
  EXPECT_THROW(read_file_range(folder.file("missing.bin"), 0, 1), std::runtime_error);
}

}  // namespace
}  // namespace qm::platform
