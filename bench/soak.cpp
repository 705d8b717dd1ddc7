// The soak: 24 simulated hours of the screen saver on the in-memory platform,
// 8,640,000 lighting ticks and 240 clearings, hour by hour, with the memory
// the process holds measured after every hour. It passes when every count is
// exact and memory after the last hour is what it was after the first.
//
//   lightmatrix_soak [HOURS [REFRESH]]   default 24 hours, REFRESH 0
//
// REFRESH is the simulated display's refresh rate in frames a second, which
// paces the wakes as on a real display: a wake a frame at most, running every
// tick then due. With 0 (the default) the loop wakes at every deadline and
// the counts must be exact. Paced by a display, a clearing due on the hour
// runs at the first frame after it, in the next hour, so the hours are not
// checked one by one; the run passes when memory stays flat and the lighting
// ticks keep 100 ± 1 a second over the whole run, and it reports how far the
// counts are from the exact ones. Prints one table row per hour (with the
// wakes so far) and a verdict; exits 1 on a failed
// check.

#include <malloc.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <new>
#include <string>

#include "platform/memory/memory_backend.h"
#include "saver/saver.h"

// Every C++ allocation of this process, counted: what is live at a moment is
// exact, where malloc's own statistics blur with its caches.
namespace {
std::atomic<long long> liveAllocations{0};
std::atomic<long long> liveBytes{0};

void* allocate(std::size_t size) {
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) throw std::bad_alloc();
    ++liveAllocations;
    liveBytes += static_cast<long long>(malloc_usable_size(p));
    return p;
}
void release(void* p) noexcept {
    if (p == nullptr) return;
    --liveAllocations;
    liveBytes -= static_cast<long long>(malloc_usable_size(p));
    std::free(p);
}
}  // namespace

void* operator new(std::size_t size) {
    return allocate(size);
}
void* operator new[](std::size_t size) {
    return allocate(size);
}
void operator delete(void* p) noexcept {
    release(p);
}
void operator delete[](void* p) noexcept {
    release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    release(p);
}

namespace lightmatrix {
namespace {

// Counts reseeds: the lighting tick reseeds exactly once.
struct CountingGenerator : Generator {
    explicit CountingGenerator(Generator& generator) : inner(generator) {}
    void reseed(float seed) override {
        ++reseeds;
        inner.reseed(seed);
    }
    float next() override { return inner.next(); }

    Generator& inner;
    std::int64_t reseeds = 0;
};

// Counts how often a timer is switched off: only clear() switches the
// lighting timer off.
struct CountingTimers : EventLoop {
    struct CountingTimer : Timer {
        CountingTimer(std::unique_ptr<Timer> timer, std::int64_t& offs)
            : inner(std::move(timer)), switchedOff(offs) {}
        void setEnabled(bool on) override {
            if (!on) ++switchedOff;
            inner->setEnabled(on);
        }
        bool enabled() const override { return inner->enabled(); }
        std::int64_t ticksRun() const override { return inner->ticksRun(); }

        std::unique_ptr<Timer> inner;
        std::int64_t& switchedOff;
    };

    explicit CountingTimers(EventLoop& loop) : inner(loop) {}
    std::unique_ptr<Timer> createTimer(Int32 periodMs, std::function<void()> tick) override {
        return std::make_unique<CountingTimer>(inner.createTimer(periodMs, std::move(tick)),
                                               switchedOff);
    }
    void onCatchUp(std::function<void(MissedTicks&)> planner) override {
        inner.onCatchUp(std::move(planner));
    }
    void processPendingEvents() override { inner.processPendingEvents(); }

    EventLoop& inner;
    std::int64_t switchedOff = 0;
};

// A value in kB from /proc/self/status ("VmRSS", "VmHWM").
long statusKb(const std::string& field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field + ":", 0) == 0)
            return std::strtol(line.c_str() + field.size() + 1, nullptr, 10);
    return -1;
}

struct Sample {
    long long allocations;  // live C++ allocations
    long long heapBytes;    // and their bytes
    long rssKb;
    long hwmKb;
};

Sample measure() {
    Sample sample{liveAllocations, liveBytes, 0, 0};
    sample.rssKb = statusKb("VmRSS");
    sample.hwmKb = statusKb("VmHWM");
    return sample;
}

int soak(int hours, double refreshRate) {
    MemoryBackend memory(MemoryOptions{.startSeconds = 0, .refreshRate = refreshRate});
    CountingGenerator generator(memory.generator());
    CountingTimers timers(memory);
    Saver saver(memory.window(), memory.panel(), timers, memory.clock(), generator);
    saver.load("", memory);

    constexpr std::int64_t kHourMs = 3'600'000;
    const auto started = std::chrono::steady_clock::now();
    std::printf("display: %g frames a second%s\n", refreshRate,
                refreshRate > 0 ? "" : " (a wake at every deadline)");
    std::printf("%5s %10s %9s %9s %7s %10s %8s %8s %6s %7s\n", "hour", "ticks", "clearings",
                "wakes", "allocs", "heap_bytes", "rss_kb", "hwm_kb", "lit", "wall_s");

    Sample first{};
    Sample last{};
    bool exact = true;
    for (int hour = 1; hour <= hours; ++hour) {
        memory.advance(kHourMs);
        const Sample now = measure();
        if (hour == 1) first = now;
        last = now;

        int lit = 0;
        for (Int16 k = 1; k <= 10800; ++k) lit += memory.window().lights().colour(k) != kBlack;
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        std::printf("%5d %10lld %9lld %9d %7lld %10lld %8ld %8ld %6d %7.1f\n", hour,
                    static_cast<long long>(generator.reseeds),
                    static_cast<long long>(timers.switchedOff), memory.wakes(), now.allocations,
                    now.heapBytes, now.rssKb, now.hwmKb, lit, wall);
        std::fflush(stdout);

        // 100 ticks a second; a clearing every sixth minute, the last one exactly on the hour.
        exact = exact && generator.reseeds == hour * 360'000LL &&
                timers.switchedOff == hour * 10LL && lit == 0 && !memory.ended();
    }

    const long long expectedTicks = hours * 360'000LL;
    const long long expectedClearings = hours * 10LL;
    const double perSecond = static_cast<double>(generator.reseeds) / (hours * 3600.0);
    // Paced by a display: 100 ± 1 ticks a second, and every clearing but the
    // one due on the last hour, which waits for its frame.
    const bool paced = refreshRate > 0;
    const bool countsRight = paced ? perSecond >= 99 && perSecond <= 101 &&
                                         timers.switchedOff >= expectedClearings - 1 &&
                                         timers.switchedOff <= expectedClearings && !memory.ended()
                                   : exact;

    const long rssGrowth = last.rssKb - first.rssKb;
    const long long heapGrowth = last.heapBytes - first.heapBytes;
    const long long allocationGrowth = last.allocations - first.allocations;
    // Flat: exactly the same allocations live after the last hour as after the
    // first, and resident memory no larger by more than a few pages.
    const bool flat = allocationGrowth == 0 && heapGrowth == 0 && rssGrowth <= 64;
    std::printf("\nticks %lld (expected %lld), clearings %lld (expected %lld): %s\n",
                static_cast<long long>(generator.reseeds), expectedTicks,
                static_cast<long long>(timers.switchedOff), expectedClearings,
                exact         ? "exact"
                : countsRight ? "not exact"
                              : "WRONG");
    std::printf("%.4f lighting ticks a second (%+lld against 100 a second); %.2f wakes a second\n",
                perSecond, static_cast<long long>(generator.reseeds) - expectedTicks,
                memory.wakes() / (hours * 3600.0));
    std::printf(
        "memory from hour 1 to hour %d: %+lld allocations, %+lld heap bytes, rss %+ld kB: %s\n",
        hours, allocationGrowth, heapGrowth, rssGrowth, flat ? "flat" : "GROWING");
    return countsRight && flat ? 0 : 1;
}

}  // namespace
}  // namespace lightmatrix

int main(int argc, char** argv) {
    const int hours = argc > 1 ? std::atoi(argv[1]) : 24;
    const double refreshRate = argc > 2 ? std::atof(argv[2]) : 0;
    if (hours < 1 || refreshRate < 0 || argc > 3) {
        std::fprintf(stderr, "usage: lightmatrix_soak [HOURS [REFRESH]]\n");
        return 2;
    }
    return lightmatrix::soak(hours, refreshRate);
}
