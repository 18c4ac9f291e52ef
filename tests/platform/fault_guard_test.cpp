// Foreign code called inside the fault guard: its answers come back, its
// faults are caught and described, and the caller's stack stays sound.

#include "platform/fault_guard.h"
#include "tests/support/processor_faults.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace qm::platform {
namespace {

int __stdcall subtract(int a, int b) { return a - b; }

int __stdcall read_through(const volatile int* pointer) { return *pointer; }

int __stdcall divide(int a, int b) {
  volatile int dividend = a;
  volatile int divisor = b;
  return dividend / divisor;
}

int __stdcall raise(DWORD code) {
  RaiseException(code, EXCEPTION_NONCONTINUABLE, 0, nullptr);
  return 0;
}

// Declared stdcall by the caller, but leaves its arguments on the stack.
int __cdecl not_stdcall(int a, int b, int c) { return a + b + c; }

TEST(FaultGuardTest, AnswersComeBackWithTheArgumentsInOrder) {
  const GuardedCallResult result = call_guarded(reinterpret_cast<const void*>(&subtract), {10, 3});
  EXPECT_FALSE(result.faulted);
  EXPECT_EQ(static_cast<int>(result.value), 7);
}

TEST(FaultGuardTest, FaultsAreCaughtWithTheirCode) {
  struct Case {
    const char* what;
    GuardedCallResult result;
    DWORD code;
  } cases[] = {
      {"access violation", call_guarded(reinterpret_cast<const void*>(&read_through), {0}), EXCEPTION_ACCESS_VIOLATION},
      {"division by zero", call_guarded(reinterpret_cast<const void*>(&divide), {1, 0}), EXCEPTION_INT_DIVIDE_BY_ZERO},
      {"raised, not continuable", call_guarded(reinterpret_cast<const void*>(&raise), {0xE0001234}), 0xE0001234},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(c.result.faulted) << c.what;
    EXPECT_TRUE(test::is_processor_fault(c.result.fault_code, c.code)) << c.what << ": " << std::hex << c.result.fault_code;
    EXPECT_NE(c.result.fault_address, 0u) << c.what;
  }
  // The thread goes on working after each of them.
  EXPECT_EQ(static_cast<int>(call_guarded(reinterpret_cast<const void*>(&subtract), {5, 2}).value), 3);
}

TEST(FaultGuardTest, ACallerOfTheWrongConventionLeavesTheStackSound) {
  volatile int before = 1234;
  for (int round = 0; round < 1000; ++round) {
    const GuardedCallResult result = call_guarded(reinterpret_cast<const void*>(&not_stdcall), {1, 2, 3});
    ASSERT_EQ(static_cast<int>(result.value), 6);
  }
  EXPECT_EQ(before, 1234);
}

}  // namespace
}  // namespace qm::platform
