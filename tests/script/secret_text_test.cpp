#include <gtest/gtest.h>

#include "script/secret_text.h"

namespace qm {
namespace {

TEST(SecretTextTest, RoundTripsAndLooksNothingLikeThePassword) {
  for (const std::string& password : {std::string(), std::string("s3cret"), std::string("pass word \"quoted\""),
                                     std::string("\xE9t\xE9 \x01\xFF", 6), std::string(200, 'a')}) {
    const std::string scrambled = scramble_secret(password);
    EXPECT_EQ(unscramble_secret(scrambled), password);
    EXPECT_EQ(scrambled.find_first_not_of("0123456789ABCDEF"), std::string::npos);
    if (password.size() > 3) {
      EXPECT_EQ(scrambled.find(password), std::string::npos);
    }
  }
  // The build tool writes the same form; this value comes from it.
  EXPECT_EQ(scramble_secret("s3cret"), "225934437582");
  EXPECT_EQ(unscramble_secret("ABC"), std::nullopt);
  EXPECT_EQ(unscramble_secret("ZZ"), std::nullopt);
}

TEST(SecretTextTest, LookUpByNameWithTheOfflineFallBack) {
  const std::vector<std::string> table = {"Block1", scramble_secret("one"), "OFFLINE", scramble_secret("spare")};
  EXPECT_EQ(secret_for(table, "block1", true), "one");
  EXPECT_EQ(secret_for(table, "other", true), "spare");
  EXPECT_EQ(secret_for(table, "other", false), std::nullopt);
  EXPECT_EQ(secret_for({}, "x", true), std::nullopt);
}

}  // namespace
}  // namespace qm
