// CPU time of the calling thread, for ratios timed by hand inside one
// benchmark iteration: other processes on a shared machine do not inflate
// one side of a ratio.
#pragma once

#include <time.h>

#include <chrono>
#include <cstdint>

struct TClock {
  using duration = std::chrono::nanoseconds;
  using time_point = std::chrono::time_point<TClock, duration>;
  static time_point now() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return time_point(duration(static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec));
  }
};

inline double Seconds(TClock::time_point a, TClock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}
