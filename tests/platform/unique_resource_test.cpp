// The one owner of Windows handles: each handle is released exactly once,
// and "no handle" values never are.

#include "platform/unique_resource.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace qm::platform {
namespace {

std::vector<int> released;

struct CountingTraits {
  using Handle = int;
  static Handle none() { return -1; }
  static bool is_valid(Handle handle) { return handle > 0; }  // 0 and -1 both mean "none"
  static void release(Handle handle) { released.push_back(handle); }
};
using Owner = UniqueResource<CountingTraits>;

TEST(UniqueResourceTest, EachHandleIsReleasedOnce) {
  released.clear();
  {
    Owner first(1);
    Owner second(std::move(first));
    EXPECT_FALSE(first.valid());
    Owner third(2);
    third = std::move(second);  // 2 goes, 1 moves on
    EXPECT_EQ(released, std::vector<int>{2});
    third = std::move(third);  // a move onto itself keeps the handle
    EXPECT_EQ(third.get(), 1);
    Owner given(3);
    EXPECT_EQ(given.take(), 3);  // given up: the new owner releases it
    Owner empty(0);
    Owner none;
    none.reset(4);
    none.reset();
  }
  EXPECT_EQ(released, (std::vector<int>{2, 4, 1}));
}

TEST(UniqueResourceTest, KernelAndFindHandlesKnowTheirFailureValues) {
  EXPECT_FALSE(UniqueHandle(INVALID_HANDLE_VALUE).valid()) << "CreateFile's failure is no handle";
  EXPECT_FALSE(UniqueHandle(nullptr).valid());
  EXPECT_FALSE(UniqueFindHandle().valid());
  EXPECT_EQ(UniqueFindHandle().get(), INVALID_HANDLE_VALUE);

  UniqueHandle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  ASSERT_TRUE(event.valid());
  const HANDLE raw = event.get();
  event.reset();
  EXPECT_FALSE(SetEvent(raw)) << "the event was closed";
}

}  // namespace
}  // namespace qm::platform
