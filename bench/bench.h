// A small benchmark harness: each file registers named cases with BENCH_CASE; main runs those whose
// name contains the filter given on the command line. Cases print their own ratios with Report.
#pragma once

#include <chrono>
#include <functional>
#include <string>

struct BenchCase {
    const char* name;
    void (*run)();
};
int RegisterBench(const char* name, void (*run)());

#define BENCH_CASE(name)                                                                           \
    static void name();                                                                            \
    static const int name##_registered = RegisterBench(#name, name);                               \
    static void name()

// Best (lowest) seconds per call of fn over repeated timed batches lasting about `seconds`.
double Measure(const std::function<void()>& fn, double seconds = 1.0);

// Prints "label: ours ms, peer ms, ratio" in one aligned line.
void Report(const std::string& label, double ours, const std::string& peerName, double peer);

// Keeps the compiler from discarding a computed value.
void KeepAlive(const void* p);
