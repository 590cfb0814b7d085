// Small helpers for the timing programs: a clock, medians, peak memory, and reading files.
#pragma once

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

namespace bench {

/// Seconds since an arbitrary start, from the monotonic clock.
inline double Now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

/// Runs job once to warm up, then runs times more and returns the median duration in seconds.
inline double MedianSeconds(int times, const std::function<void()>& job) {
    job();
    std::vector<double> durations;
    for (int i = 0; i < times; ++i) {
        const double start = Now();
        job();
        durations.push_back(Now() - start);
    }
    std::sort(durations.begin(), durations.end());
    return durations[durations.size() / 2];
}

/// The process's peak resident memory so far, in mebibytes.
inline double PeakResidentMiB() {
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

}  // namespace bench
