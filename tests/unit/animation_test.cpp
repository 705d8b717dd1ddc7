#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <deque>
#include <map>

#include "support/running_program.h"

namespace lightmatrix {
namespace {

using testing_support::RunningProgram;

// Hands out the draws a test asks for (0.5 when it asked for no more) and
// remembers every reseed.
struct ScriptedGenerator : Generator {
    std::deque<float> draws;
    std::vector<float> seeds;
    void reseed(float seed) override { seeds.push_back(seed); }
    float next() override {
        if (draws.empty()) return 0.5f;
        const float value = draws.front();
        draws.pop_front();
        return value;
    }
};

// The saver drawing from a ScriptedGenerator.
struct ScriptedProgram {
    explicit ScriptedProgram(double startSeconds = 0, double refreshRate = 0)
        : program(MemoryOptions{.startSeconds = startSeconds, .refreshRate = refreshRate}, "", true,
                  &generator) {}
    // One lighting tick with the draws for the row, the column and the colour.
    void tick(float row, float column, float colour) {
        generator.draws = {row, column, colour};
        program.memory.advance(10);
        EXPECT_TRUE(generator.draws.empty());
    }
    Colour fill(Int16 k) { return program.fill(k); }

    ScriptedGenerator generator;
    RunningProgram program;
};

TEST(LightingTick, TheDrawsPickRowColumnAndColourRoundedToEven) {
    ScriptedProgram program;
    program.tick(0.25f, 0.0625f, 0.5f);  // r = 22 (22.5), c = 8 (7.5), colour 8388608 (.5)
    EXPECT_EQ(program.fill(22 * 120 + 8), 8388608);
    program.tick(0.75f, 0.1875f, 0.25f);  // r = 68 (67.5), c = 22 (22.5)
    EXPECT_EQ(program.fill(68 * 120 + 22), 4194304);

    const float largest = std::nextafter(1.0f, 0.0f);
    program.tick(10.0f / 90, largest, largest);  // r = 10, c = 120: the last light of row 10
    EXPECT_EQ(program.fill(1320), 16777214);
    program.tick(11.0f / 90, 0.0f, 0.0f);  // (11, 0) is that same light, now black
    EXPECT_EQ(program.fill(1320), kBlack);

    // Row 90 and light 10800 are never coloured; (0, 0) is the template.
    std::vector<Colour> before;
    for (Int16 k = 1; k <= 10800; ++k) before.push_back(program.fill(k));
    program.tick(largest, 0.5f, 0.5f);
    program.tick(89.0f / 90, largest, 0.5f);
    for (Int16 k = 1; k <= 10800; ++k) ASSERT_EQ(program.fill(k), before[k - 1u]) << k;
    program.tick(0.0f, 0.0f, 0.5f);
    EXPECT_EQ(program.fill(0), 8388608);
}

TEST(LightingTick, ReseedsFromTheClockOnEveryTickAndTheClockWrapsAtMidnight) {
    ScriptedProgram program(/*startSeconds=*/86399.975);
    for (int i = 0; i < 3; ++i)
        program.generator.draws.insert(program.generator.draws.end(), {0.1f, 0.1f, 0.1f});
    program.program.memory.advance(30);
    ASSERT_EQ(program.generator.seeds.size(), 3u);
    EXPECT_FLOAT_EQ(program.generator.seeds[0], 86399.985f);
    EXPECT_FLOAT_EQ(program.generator.seeds[1], 86399.995f);
    EXPECT_NEAR(program.generator.seeds[2], 0.005f, 1e-3f);

    // At 40 frames a second the second wake comes just after midnight, by
    // the local clock, and runs the tick due just before it at its own time.
    ScriptedProgram late(/*startSeconds=*/86399.975, /*refreshRate=*/40);
    late.program.memory.advance(35);
    ASSERT_EQ(late.generator.seeds.size(), 3u);
    EXPECT_FLOAT_EQ(late.generator.seeds[1], 86399.995f);
    EXPECT_NEAR(late.generator.seeds[2], 0.005f, 1e-3f);
}

TEST(LightingTick, AWakeRunsEveryTickDueEachAtItsOwnTimeAndRepaintsOnce) {
    // A display of 33 1/3 frames a second: after the first wake, at 10 ms, the
    // next comes a frame later and finds three ticks due.
    ScriptedProgram program(/*startSeconds=*/100, /*refreshRate=*/100.0 / 3);
    program.generator.draws = {0.1f, 0.1f, 0.1f, 0.2f, 0.2f, 0.2f,
                               0.3f, 0.3f, 0.3f, 0.4f, 0.4f, 0.4f};
    program.program.memory.advance(40);
    EXPECT_EQ(program.generator.seeds, (std::vector<float>{100.01f, 100.02f, 100.03f, 100.04f}));
    EXPECT_EQ(program.program.memory.wakes(), 2);

    // 60 wakes a second keep the 100 ticks a second: the one due at the end
    // of the ten seconds may wait for the next frame.
    RunningProgram paced(MemoryOptions{.refreshRate = 60});
    paced.memory.advance(10'000);
    EXPECT_NEAR(static_cast<double>(paced.saver.lightingTicks()), 1000, 1);
    EXPECT_LE(paced.memory.wakes(), 600);
    // Each wake repaints: the screen shows every light as it stands.
    EXPECT_TRUE(paced.memory.screen().pixels == paced.drawnAfresh().pixels);
}

TEST(LightingTick, AStoppedProcessDropsTheTicksItMissedAndKeepsItsTimesAfter) {
    ScriptedProgram program(/*startSeconds=*/100);
    program.program.memory.advance(20);
    program.program.memory.stall(5000);
    program.program.memory.advance(30);
    // Ticks at 10 and 20 ms; after five seconds stopped, one at 5020 ms for
    // all it missed, then one every 10 ms from there.
    EXPECT_EQ(program.generator.seeds,
              (std::vector<float>{100.01f, 100.02f, 105.02f, 105.03f, 105.04f, 105.05f}));

    // A tick 100 ms late is made up for, each missed one at its own time;
    // one a millisecond later is not.
    ScriptedProgram limit(/*startSeconds=*/100);
    limit.program.memory.advance(20);
    limit.program.memory.stall(110);
    limit.program.memory.advance(0);
    EXPECT_EQ(limit.generator.seeds.size(), 13u);
    EXPECT_FLOAT_EQ(limit.generator.seeds[2], 100.03f);
    ScriptedProgram past(/*startSeconds=*/100);
    past.program.memory.advance(20);
    past.program.memory.stall(111);
    past.program.memory.advance(0);
    EXPECT_EQ(past.generator.seeds, (std::vector<float>{100.01f, 100.02f, 100.131f}));
}

TEST(Generator, EqualSeedsGiveEqualDrawsSpreadEvenlyOverTheUnitInterval) {
    PcgGenerator a;
    PcgGenerator b;
    a.reseed(1234.5f);
    b.reseed(1234.5078f);  // the next float seed: another sequence
    EXPECT_NE(a.next(), b.next());
    a.reseed(1234.5f);
    b.reseed(1234.5f);
    std::array<int, 10> buckets{};
    for (int i = 0; i < 200000; ++i) {
        const float v = a.next();
        ASSERT_EQ(v, b.next());
        ASSERT_TRUE(v >= 0.0f && v < 1.0f) << v;
        ++buckets[static_cast<std::size_t>(v * 10)];
    }
    for (const int count : buckets) EXPECT_NEAR(count, 20000, 2000);
}

TEST(ClearingTick, TheLightingTicksKeepTheirTimesThroughAClearInALateWake) {
    // At 40 frames a second the clear at 360 s runs in a wake at 360.01 s,
    // where it switches the lighting timer off and on; the tick due at
    // 360.01 s still runs then, and every tick keeps its place on the 10 ms grid.
    ScriptedProgram program(/*startSeconds=*/0, /*refreshRate=*/40);
    program.program.memory.advance(360'200);
    const std::vector<float>& seeds = program.generator.seeds;
    ASSERT_GT(seeds.size(), 36010u);
    for (std::size_t i = 35990; i < seeds.size(); ++i)
        ASSERT_NEAR(seeds[i], static_cast<float>(i + 1) / 100, 1e-3) << i;
}

// The matrix lights not black.
std::size_t litMatrixLights(RunningProgram& program) {
    return program.lit().size() - program.lit().count(0);
}

TEST(WholeProgram, LightsPileUpForSixMinutesThenGoDarkAndStartAgain) {
    RunningProgram program(MemoryOptions{.startSeconds = 12 * 3600 + 0.003});
    MemoryBackend& memory = program.memory;
    memory.advance(1000);
    const std::size_t afterOneSecond = litMatrixLights(program);
    EXPECT_GT(afterOneSecond, 80u);  // 100 ticks, a few landing outside or twice
    EXPECT_LE(afterOneSecond, 100u);

    memory.advance(59000);
    program.saver.highlight(0, 0, rgb(9, 9, 9));  // clearing leaves the template alone
    memory.advance(5 * 60000 - 1);                // just before the sixth clearing tick
    EXPECT_GT(litMatrixLights(program), afterOneSecond * 20);

    // At 360000 ms the lighting tick due then runs first (its timer was made
    // first), then the clearing: nothing stays lit.
    memory.advance(1);
    EXPECT_EQ(litMatrixLights(program), 0u);
    for (const Colour pixel : memory.screen().pixels) ASSERT_EQ(pixel, kBlack);
    EXPECT_NE(program.fill(0), kBlack);
    // Between that clearing and the next, six minutes later, they pile up again.
    memory.advance(60000);
    const std::size_t afterOneMinute = litMatrixLights(program);
    EXPECT_GT(afterOneMinute, 1000u);
    memory.advance(4 * 60000 + 59000);
    EXPECT_GT(litMatrixLights(program), afterOneMinute);
    memory.advance(999);
    EXPECT_GT(litMatrixLights(program), 0u);
    memory.advance(1);
    EXPECT_EQ(litMatrixLights(program), 0u);
}

// The lights 1 to 10800, which can be seen; light 0 lies under light 1.
std::map<Int16, Colour> seenLights(RunningProgram& program) {
    auto lit = program.lit();
    lit.erase(0);
    return lit;
}

TEST(WholeProgram, UnseenItSleepsAndSeenAgainItShowsWhatRunningOnWouldHaveAcrossAClear) {
    // Unseen from 30 s to 10 min, across the clearing at six minutes.
    RunningProgram slept(MemoryOptions{.startSeconds = 1000});
    RunningProgram ranOn(MemoryOptions{.startSeconds = 1000});
    slept.memory.advance(30'000);
    slept.memory.setSeen(false);
    const auto ticks = slept.saver.lightingTicks();
    const int wakes = slept.memory.wakes();
    const std::vector<Colour> shown = slept.memory.screen().pixels;
    slept.memory.advance(285'000);
    slept.memory.processPendingEvents();  // an event wakes the loop, and no tick runs
    slept.memory.advance(285'000);
    EXPECT_EQ(slept.saver.lightingTicks(), ticks);
    EXPECT_EQ(slept.memory.wakes(), wakes);
    EXPECT_TRUE(slept.memory.screen().pixels == shown);

    slept.memory.setSeen(true);
    ranOn.memory.advance(600'000);
    EXPECT_EQ(slept.saver.lightingTicks(), ranOn.saver.lightingTicks());
    EXPECT_EQ(seenLights(slept), seenLights(ranOn));
    EXPECT_TRUE(slept.memory.screen().pixels == ranOn.memory.screen().pixels);
    slept.memory.advance(1000);
    ranOn.memory.advance(1000);
    EXPECT_EQ(seenLights(slept), seenLights(ranOn));
}

// A sleep: when the program started, how long it ran before, how long it slept.
struct Sleep {
    double startSeconds;
    std::int64_t awakeMs;
    std::int64_t asleepMs;
};

class CatchUp : public ::testing::TestWithParam<Sleep> {};

// The program's generator, counting its reseeds: one for every lighting tick run.
struct CountingGenerator : Generator {
    void reseed(float seed) override {
        ++reseeds;
        generator.reseed(seed);
    }
    float next() override { return generator.next(); }
    PcgGenerator generator;
    std::int64_t reseeds = 0;
};

// Seen again, the ticks before the last clearing that fell due are passed
// over, and only the lighting ticks after it run; the result is what
// replaying every one of them gives, in every light that can be seen, in the
// ticks counted, and in what the timers do next.
TEST_P(CatchUp, PassesOverWhatTheLastClearingUndoesAndEndsAsAFullReplay) {
    const Sleep sleep = GetParam();
    CountingGenerator boundedDraws;
    CountingGenerator replayedDraws;
    RunningProgram bounded(MemoryOptions{.startSeconds = sleep.startSeconds}, "", true,
                           &boundedDraws);
    RunningProgram replayed(MemoryOptions{.startSeconds = sleep.startSeconds}, "", true,
                            &replayedDraws);
    replayed.memory.onCatchUp({});  // every missed tick runs
    for (RunningProgram* program : {&bounded, &replayed}) {
        program->memory.advance(sleep.awakeMs);
        program->memory.setSeen(false);
        program->memory.stall(sleep.asleepMs);
    }
    const std::int64_t drawnBefore = boundedDraws.reseeds;
    bounded.memory.setSeen(true);
    replayed.memory.setSeen(true);
    // The clearings fall every six minutes from the start; a lighting tick
    // due just when one clears runs before it.
    const std::int64_t cycleMs = (kClearingTicksBeforeClear + 1) * kClearingPeriodMs;
    const std::int64_t sinceLastClear = (sleep.awakeMs + sleep.asleepMs) % cycleMs;
    EXPECT_EQ(boundedDraws.reseeds - drawnBefore, sinceLastClear / kLightingPeriodMs);
    EXPECT_EQ(bounded.saver.lightingTicks(), replayed.saver.lightingTicks());
    EXPECT_EQ(seenLights(bounded), seenLights(replayed));
    EXPECT_TRUE(bounded.memory.screen().pixels == replayed.memory.screen().pixels);
    // The timers go on alike, through the next clearing.
    for (int minute = 0; minute < 7; ++minute) {
        bounded.memory.advance(60'000);
        replayed.memory.advance(60'000);
        EXPECT_EQ(seenLights(bounded), seenLights(replayed)) << minute;
    }
    EXPECT_EQ(bounded.saver.lightingTicks(), replayed.saver.lightingTicks());
}

// Across one clearing, the last clearing tick that fell due; across midnight
// and two clearings; a week.
const Sleep kSleeps[] = {{1000, 30'000, 340'000},
                         {86'100, 250'000, 700'500},
                         {43'200.003, 90'000, 7 * 86'400'000LL + 123'456}};

std::string nameOfSleep(const ::testing::TestParamInfo<Sleep>& info) {
    const char* names[] = {"AcrossAClearing", "AcrossMidnight", "AWeek"};
    return names[info.index];
}

INSTANTIATE_TEST_SUITE_P(Sleeps, CatchUp, ::testing::ValuesIn(kSleeps), nameOfSleep);

TEST(WholeProgram, TheSameStartTimeGivesTheSameFrame) {
    RunningProgram first(MemoryOptions{.startSeconds = 5000});
    RunningProgram second(MemoryOptions{.startSeconds = 5000});
    RunningProgram other(MemoryOptions{.startSeconds = 7000});
    for (RunningProgram* program : {&first, &second, &other}) program->memory.advance(30000);
    EXPECT_EQ(first.memory.screen().pixels, second.memory.screen().pixels);
    EXPECT_NE(first.memory.screen().pixels, other.memory.screen().pixels);
}

}  // namespace
}  // namespace lightmatrix
