// File masks and filter texts as definitions write them.

#include <gtest/gtest.h>

#include <string>

#include "wizard/file_masks.h"

namespace qm {
namespace {

TEST(FileMasksTest, MasksMatchAsOnTheCommandLine) {
  const struct {
    const char* name;
    const char* mask;
    bool fits;
  } cases[] = {
      {"readme.txt", "*.txt", true},
      {"README.TXT", "*.txt", true},
      {"readme.txt.bak", "*.txt", false},
      {"page.html", "*.htm", false},  // no help from the short 8.3 name
      {"README", "*.*", true},
      {"README", "*", true},
      {"README", "*.", true},
      {"a.b", "*.", false},
      {"setup.exe", "s?tup.*", true},
      {"stup.exe", "s?tup.*", false},
      {"abcabc", "*b*c", true},
      {"abcab", "*b*c", false},
      {"ab", "a?c", false},
      {"data1.bin", "data?.bin", true},
      {"", "*", true},
      {"x", "", false},
  };
  for (const auto& c : cases) EXPECT_EQ(matches_mask(c.name, c.mask), c.fits) << c.name << " / " << c.mask;
}

TEST(FileMasksTest, ALongNameAgainstManyStarsEnds) {
  const std::string name(4000, 'a');
  EXPECT_FALSE(matches_mask(name + "b", std::string(200, '*') + "c"));
  EXPECT_TRUE(matches_mask(name, "*a*a*a*a*a*a"));
}

TEST(FileMasksTest, MaskTextsAndFilterTexts) {
  EXPECT_EQ(split_masks("*.txt; *.ini"), (std::vector<std::string>{"*.txt", "*.ini"}));
  EXPECT_EQ(split_masks(""), std::vector<std::string>{"*.*"});
  EXPECT_EQ(split_masks(" ; ;"), std::vector<std::string>{"*.*"});
  EXPECT_TRUE(matches_any_mask("setup.ini", split_masks("*.txt;*.ini")));
  EXPECT_FALSE(matches_any_mask("setup.bin", split_masks("*.txt;*.ini")));

  const struct {
    const char* filter;
    std::vector<std::string> texts;  // description, mask, description, mask...
  } cases[] = {
      {"Text files (*.txt)|*.txt|All files (*.*)|*.*", {"Text files (*.txt)", "*.txt", "All files (*.*)", "*.*"}},
      {"Setup|*.ini;*.inf", {"Setup", "*.ini;*.inf"}},
      {"Everything", {"Everything", "*.*"}},
      {"Pictures|", {"Pictures", "*.*"}},
      {"|*.bin", {"", "*.bin"}},
      {"||A|*.a", {"A", "*.a"}},
      {"", {}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> texts;
    for (const FilterChoice& choice : filter_choices(c.filter)) {
      texts.push_back(choice.description);
      texts.push_back(choice.mask);
    }
    EXPECT_EQ(texts, c.texts) << c.filter;
  }
}

}  // namespace
}  // namespace qm
