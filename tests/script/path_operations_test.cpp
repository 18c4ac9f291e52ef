#include "script/path_operations.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "script/ansi_text.h"

namespace qm {
namespace {

TEST(PathOperationsTest, ExtractPath) {
  struct Case {
    const char* path;
    std::int32_t operation;
    const char* result;
  } cases[] = {
      {R"(C:\dir\sub\file.txt)", 0, "file.txt"},
      {R"(C:\dir\sub\file.txt)", 1, "file"},
      {R"(C:\dir\sub\file.txt)", 2, "txt"},
      {R"(C:\dir\sub\file.txt)", 3, R"(C:\dir\sub\)"},
      {R"(C:\dir\sub\file.txt)", 4, R"(C:\dir\)"},
      {R"(C:\dir\sub\file.txt)", 5, R"(C:\)"},
      {R"(C:\dir\sub\file.txt)", 7, R"(C:\dir\sub\file.txt)"},
      {R"(C:\dir\sub\file.txt)", -1, R"(C:\dir\sub\file.txt)"},
      // The extension is the last dot's, and only a dot of the file name counts.
      {R"(C:\x.bx.b)", 1, "x.bx"},
      {R"(C:\x.bx.b)", 2, "b"},
      {R"(C:\dir.old\readme)", 1, "readme"},
      {R"(C:\dir.old\readme)", 2, ""},
      {R"(C:\dir\readme.)", 1, "readme"},
      {R"(C:\dir\readme.)", 2, ""},
      {R"(C:\dir\.profile)", 1, ""},
      {R"(C:\dir\.profile)", 2, "profile"},
      {"C:name.ext", 0, "name.ext"},  // a colon separates too
      {"C:name.ext", 3, R"(C:\)"},
      {"C:name.ext", 4, R"(C:\)"},
      // Folders.
      {R"(C:\dir\)", 0, ""},
      {R"(C:\dir\)", 3, R"(C:\dir\)"},
      {R"(C:\dir\)", 4, R"(C:\)"},
      {R"(C:\file.txt)", 4, R"(C:\)"},
      {"file.txt", 3, ""},
      {"file.txt", 4, ""},
      {"file.txt", 5, ""},
      {"", 0, ""},
      {"", 4, ""},
      // Network paths.
      {R"(\\server\share\dir\f.txt)", 5, R"(\\server\share\)"},
      {R"(\\server\share)", 5, R"(\\server\share\)"},
      {R"(\\server)", 5, R"(\\server\)"},
      {R"(\\server\share\dir\f.txt)", 4, R"(\\server\share\)"},
      {R"(\single\f.txt)", 5, ""},
      {"C:", 5, R"(C:\)"},
      // Pairs of backslashes collapsed once, a leading pair too.
      {R"(C:\\dir\\\\f)", 6, R"(C:\dir\\f)"},
      {R"(\\server\share)", 6, R"(\server\share)"},
      {R"(\\\)", 6, R"(\\)"},
  };
  for (const auto& c : cases) EXPECT_EQ(extract_path(c.path, c.operation), c.result) << c.path << " op " << c.operation;
}

// A disk where every path of `long_names` (compared without regard to case,
// short or long) exists with the long name given.
class FakeDisk {
 public:
  explicit FakeDisk(std::map<std::string, std::string> long_names) {
    for (auto& [path, name] : long_names) long_names_[ansi_upper(path)] = name;
  }

  LongNameLookup lookup() {
    return [this](const std::string& path) -> std::optional<std::string> {
      looked_up.push_back(path);
      const auto found = long_names_.find(ansi_upper(path));
      if (found == long_names_.end()) return std::nullopt;
      return found->second;
    };
  }

  std::vector<std::string> looked_up;

 private:
  std::map<std::string, std::string> long_names_;
};

TEST(PathOperationsTest, LongPathForm) {
  FakeDisk disk({
      {R"(C:\PROGRA~1)", "Program Files"},
      {R"(C:\Program Files)", "Program Files"},
      {R"(C:\PROGRA~1\COMMON~1)", "Common Files"},
      {R"(C:\Program Files\COMMON~1)", "Common Files"},
      {R"(C:\Program Files\Common Files)", "Common Files"},
      {R"(C:\Program Files\Common Files\readme.txt)", "ReadMe.txt"},
      {R"(C:\PROGRA~1\COMMON~1\README.TXT)", "ReadMe.txt"},
      {R"(C:\LONGFO~1)", "Long Folder Name"},
      {R"(\\server\share\dir)", "Dir"},
      {"readme.txt", "ReadMe.txt"},
      {"C:readme.txt", "ReadMe.txt"},
      {R"(\readme.txt)", "ReadMe.txt"},
  });
  struct Case {
    const char* path;
    const char* result;
  } cases[] = {
      {R"(C:\PROGRA~1\)", R"(C:\Program Files)"},
      {R"(C:\PROGRA~1)", R"(C:\Program Files)"},
      {R"(c:\progra~1\common~1\README.TXT)", R"(c:\Program Files\Common Files\ReadMe.txt)"},
      {R"("C:\PROGRA~1\COMMON~1")", R"(C:\Program Files\Common Files)"},  // quotes removed
      {R"(C:\"PROGRA~1"\)", R"(C:\Program Files)"},
      // An element that is not found stays, with everything before it.
      {R"(C:\PROGRA~1\MISSING~1\README.TXT)", R"(C:\PROGRA~1\MISSING~1\README.TXT)"},
      {R"(C:\PROGRA~1\MISSING~1)", R"(C:\PROGRA~1\MISSING~1)"},
      // Roots and drives.
      {R"(C:\)", "C:"},
      {"C:", "C:"},
      {"", ""},
      {R"(\)", ""},
      {R"(\\server\share\dir\)", R"(\\server\share\Dir)"},
      // A name found beside no separator gets one in front of it, as every
      // found name does; the drive of a drive-relative name is kept.
      {"readme.txt", R"(\ReadMe.txt)"},
      {"C:readme.txt", R"(C:\ReadMe.txt)"},
      {R"(\readme.txt)", R"(\ReadMe.txt)"},
      // Wildcards name no file, whatever they would match.
      {R"(C:\PROGRA~1\*)", R"(C:\PROGRA~1\*)"},
      {R"(C:\PROGRA~?)", R"(C:\PROGRA~?)"},
  };
  for (const auto& c : cases) EXPECT_EQ(long_path_form(c.path, disk.lookup()), c.result) << c.path;
}

TEST(PathOperationsTest, LongPathFormLooksUpEachElementOnce) {
  FakeDisk disk({{R"(C:\A)", "Alpha"}, {R"(C:\A\B)", "Beta"}});
  EXPECT_EQ(long_path_form(R"(C:\A\B\)", disk.lookup()), R"(C:\Alpha\Beta)");
  EXPECT_EQ(disk.looked_up, (std::vector<std::string>{R"(C:\A\B)", R"(C:\A)"})) << "never the drive itself";
}

}  // namespace
}  // namespace qm
