// The costs that decide how cheap the screen saver is, measured on the
// in-memory platform with its software rasteriser (the one every backend uses
// to draw a cell): a lighting tick with the repaint of its cell, clear() with
// the repaint of every light, start-up with the first full frame, and a
// second of the program's own work as a 60 Hz display paces it, and the
// catch-up after the window went unseen for a minute, an hour or eight.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <memory>

#include "platform/memory/memory_backend.h"
#include "saver/saver.h"

namespace lightmatrix {
namespace {

// The saver started on the memory backend.
struct Program {
    explicit Program(const MemoryOptions& options = {})
        : memory(options),
          saver(memory.window(), memory.panel(), memory, memory.clock(), memory.generator()) {
        saver.load("", memory);
    }

    MemoryBackend memory;
    Saver saver;
};

// One lighting tick in a wake of its own: clock, reseed, three draws,
// highlight, and the repaint of the light's cell in the window's pixels.
void BM_LightingTick(benchmark::State& state) {
    Program program;
    for (auto _ : state) {
        program.memory.advance(10);
        benchmark::DoNotOptimize(program.memory.screen().pixels.data());
    }
}
BENCHMARK(BM_LightingTick)->Repetitions(15)->ReportAggregatesOnly(true);

// clear() on a matrix where every light is lit, so that every one of the 10800
// lights changes, then the window's pixels drawn again: the window gathers the
// changed cells and draws them once, as the X11 and Win32 windows do.
void BM_ClearAllLit(benchmark::State& state) {
    Program program;
    Colour colour = 1;
    for (auto _ : state) {
        state.PauseTiming();
        program.saver.drawHorLine(0, 1, 10799, colour);
        program.memory.window().repaint();
        colour = colour % 0xFFFFFF + 1;
        state.ResumeTiming();
        program.saver.clear();
        program.memory.window().repaint();
        benchmark::DoNotOptimize(program.memory.screen().pixels.data());
    }
}
BENCHMARK(BM_ClearAllLit)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true);

// Start-up: the window, createLights' 10,801 lights, and the first full frame
// drawn when the window shows (800 x 600).
void BM_StartWithFirstFrame(benchmark::State& state) {
    for (auto _ : state) {
        auto program = std::make_unique<Program>();
        benchmark::DoNotOptimize(program->memory.screen().pixels.data());
        state.PauseTiming();
        program.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartWithFirstFrame)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true);

// A repaint of the whole window from the scene, as an expose would ask for.
void BM_FullRepaint(benchmark::State& state) {
    Program program;
    program.memory.advance(200'000);  // a matrix well lit
    MemoryWindow& window = program.memory.window();
    for (auto _ : state) {
        window.setBackColour(kBlack);  // everything is drawn again
        window.repaint();
    }
    benchmark::DoNotOptimize(window.screen().pixels.data());
}
BENCHMARK(BM_FullRepaint)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true);

// One simulated second on a display of 60 frames a second: the wakes the loop
// makes (60), each running the lighting ticks then due (100 in all) and one
// repaint of the cells they changed; the clearing comes every 360 seconds.
void BM_SecondAt60Hz(benchmark::State& state) {
    Program program(MemoryOptions{.refreshRate = 60});
    for (auto _ : state) {
        program.memory.advance(1000);
        benchmark::DoNotOptimize(program.memory.screen().pixels.data());
    }
    state.counters["ticks_per_second"] =
        benchmark::Counter(static_cast<double>(program.saver.lightingTicks()) /
                           static_cast<double>(state.iterations()));
}
BENCHMARK(BM_SecondAt60Hz)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true);

// Seen again after state.range(0) seconds unseen: the ticks that fell due
// meanwhile, those after the last clearing run in order, then one repaint.
void BM_CatchUp(benchmark::State& state) {
    const std::int64_t unseenMs = state.range(0) * 1000;
    std::int64_t ticks = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto program = std::make_unique<Program>(MemoryOptions{.refreshRate = 60});
        program->memory.advance(1000);
        program->memory.setSeen(false);
        program->memory.advance(unseenMs);
        const std::int64_t before = program->saver.lightingTicks();
        state.ResumeTiming();
        program->memory.setSeen(true);
        benchmark::DoNotOptimize(program->memory.screen().pixels.data());
        state.PauseTiming();
        ticks = program->saver.lightingTicks() - before;
        program.reset();
        state.ResumeTiming();
    }
    state.counters["ticks_caught_up"] = benchmark::Counter(static_cast<double>(ticks));
}
// A minute, an hour, eight hours, a week, and a week that ends 2 s before a
// clearing, with almost six minutes of ticks since the last one.
BENCHMARK(BM_CatchUp)
    ->Arg(60)
    ->Arg(3600)
    ->Arg(8 * 3600)
    ->Arg(7 * 86400)
    ->Arg(7 * 86400 + 357)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
}  // namespace lightmatrix

BENCHMARK_MAIN();
