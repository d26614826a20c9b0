#include "bench.h"

#include <algorithm>
#include <cstdio>
#include <vector>

static std::vector<BenchCase>& Cases() {
    static std::vector<BenchCase> cases;
    return cases;
}

int RegisterBench(const char* name, void (*run)()) {
    Cases().push_back({name, run});
    return 0;
}

double Measure(const std::function<void()>& fn, double seconds) {
    using Clock = std::chrono::steady_clock;
    fn(); // warm caches and allocators
    double best = 1e30;
    const auto start = Clock::now();
    int rounds = 0;
    do {
        const auto t0 = Clock::now();
        fn();
        const double t = std::chrono::duration<double>(Clock::now() - t0).count();
        best = std::min(best, t);
        ++rounds;
    } while (rounds < 3 || (std::chrono::duration<double>(Clock::now() - start).count() < seconds &&
                            rounds < 1000));
    return best;
}

void Report(const std::string& label, double ours, const std::string& peerName, double peer) {
    std::printf("%-52s ours %9.3f ms   %-14s %9.3f ms   ratio %6.2f\n", label.c_str(), ours * 1e3,
                peerName.c_str(), peer * 1e3, ours / peer);
    std::fflush(stdout);
}

void KeepAlive(const void* p) {
    asm volatile("" : : "g"(p) : "memory");
}

int main(int argc, char** argv) {
    const std::string filter = argc > 1 ? argv[1] : "";
    std::sort(Cases().begin(), Cases().end(),
              [](const BenchCase& a, const BenchCase& b) { return std::string(a.name) < b.name; });
    for (const auto& c : Cases()) {
        if (!filter.empty() && std::string(c.name).find(filter) == std::string::npos) continue;
        std::printf("== %s\n", c.name);
        c.run();
    }
    return 0;
}
