#pragma once
// Wall-clock timing for the benchmarks.

#include <windows.h>

namespace qm::bench {

class Stopwatch {
 public:
  Stopwatch() {
    QueryPerformanceFrequency(&frequency_);
    start();
  }
  void start() { QueryPerformanceCounter(&started_); }
  double elapsed_ms() const {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart - started_.QuadPart) / static_cast<double>(frequency_.QuadPart);
  }

 private:
  LARGE_INTEGER frequency_{};
  LARGE_INTEGER started_{};
};

}  // namespace qm::bench
