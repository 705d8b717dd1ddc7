#include <gtest/gtest.h>

#include <deque>

#include "platform/common/pcg_generator.h"
#include "support/running_program.h"

namespace lightmatrix {
namespace {

// Hands out the draws a test asks for and remembers every reseed.
struct ScriptedGenerator : Generator {
    std::deque<float> draws;
    std::vector<float> seeds;
    void reseed(float seed) override { seeds.push_back(seed); }
    float next() override {
        const float value = draws.front();
        draws.pop_front();
        return value;
    }
};

struct ScriptedProgram {
    MemoryPlatform memory;
    ScriptedGenerator generator;
    Platform platform;
    std::unique_ptr<frmMain> form;

    explicit ScriptedProgram(double startSeconds = 0)
        : memory(MemoryOptions{.startSeconds = startSeconds}),
          platform(withGenerator(memory.platform(), generator)),
          form(startProgram(platform)) {}

    static Platform withGenerator(Platform& p, Generator& g) {
        return Platform{p.program, p.instanceCheck, p.window, p.lights, p.timers, p.picturePanel,
                        p.events,  p.clock,         g,        p.user32, p.gdi32};
    }

    // One lighting tick with the draws a (row), b (column), d (colour).
    void tick(float a, float b, float d) {
        generator.draws = {a, b, d};
        form->timer1Tick();
        EXPECT_TRUE(generator.draws.empty());
    }
};

TEST(LightingTick, FirstDrawPicksTheRowSecondTheColumnThirdTheColour) {
    ScriptedProgram program;
    auto fill = [&](Int16 k) { return program.memory.lights().fillColor(k); };

    program.tick(0.25f, 0.0625f, 0.5f);  // r = 22 (22.5 to even), c = 8 (7.5), colour 8388608
    EXPECT_EQ(fill(22 * 120 + 8), 8388608);

    program.tick(0.75f, 0.1875f, 0.25f);  // r = 68 (67.5), c = 22 (22.5)
    EXPECT_EQ(fill(68 * 120 + 22), roundTo<Int32>(0.25 * 16777215));

    const float largest = std::nextafter(1.0f, 0.0f);
    program.tick(10.0f / 90, largest, largest);  // r = 10, c = 120: last light of row 10
    EXPECT_EQ(fill(1320), 16777214);
    program.tick(11.0f / 90, 0.0f, 0.0f);  // (11, 0) is that same light, now black
    EXPECT_EQ(fill(1320), kBlack);
}

TEST(LightingTick, RowNinetyAndTheLastLightAreNeverColoured) {
    ScriptedProgram program;
    std::vector<Colour> before;
    for (Int16 k = 0; k <= 10800; ++k) before.push_back(program.memory.lights().fillColor(k));

    const float largest = std::nextafter(1.0f, 0.0f);
    program.tick(largest, 0.5f, 0.5f);        // r = 90
    program.tick(0.995f, 0.5f, 0.5f);         // 89.55 rounds to 90 too
    program.tick(89.0f / 90, largest, 0.5f);  // (89, 120) = light 10800
    for (Int16 k = 0; k <= 10800; ++k)
        ASSERT_EQ(program.memory.lights().fillColor(k), before[static_cast<std::size_t>(k)]);

    program.tick(0.0f, 0.0f, 0.5f);  // (0, 0): the template light
    EXPECT_EQ(program.memory.lights().fillColor(0), 8388608);
}

TEST(LightingTick, ReseedsFromTheClockOnEveryTick) {
    ScriptedProgram program(/*startSeconds=*/3600.25);
    for (int i = 0; i < 3; ++i)
        program.generator.draws.insert(program.generator.draws.end(), {0.1f, 0.1f, 0.1f});
    program.memory.advance(30);
    ASSERT_EQ(program.generator.seeds.size(), 3u);
    EXPECT_FLOAT_EQ(program.generator.seeds[0], 3600.26f);
    EXPECT_FLOAT_EQ(program.generator.seeds[1], 3600.27f);
    EXPECT_FLOAT_EQ(program.generator.seeds[2], 3600.28f);
}

TEST(LightingTick, TheClockWrapsAtMidnight) {
    MemoryPlatform memory(MemoryOptions{.startSeconds = 86399.995});
    memory.advance(10);
    EXPECT_NEAR(memory.platform().clock.secondsSinceMidnight(), 0.005f, 1e-3f);
}

TEST(Generator, EqualSeedsGiveEqualDrawsAndDrawsStayInTheUnitInterval) {
    PcgGenerator a;
    PcgGenerator b;
    a.reseed(1234.5f);
    b.reseed(1234.5f);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(a.next(), b.next());
    b.reseed(1234.5078f);  // the next float seed: a different sequence
    a.reseed(1234.5f);
    EXPECT_NE(a.next(), b.next());

    // Uniform over [0, 1): ten buckets each get about a tenth of the draws.
    std::array<int, 10> buckets{};
    constexpr int kDraws = 200000;
    for (int i = 0; i < kDraws; ++i) {
        const float v = a.next();
        ASSERT_GE(v, 0.0f);
        ASSERT_LT(v, 1.0f);
        ++buckets[static_cast<std::size_t>(v * 10)];
    }
    for (const int count : buckets) EXPECT_NEAR(count, kDraws / 10, kDraws / 100);
}

TEST(ClearingTick, ClearsOnEverySixthTickAndCountsAround) {
    testing_support::RunningProgram program;
    frmMain& form = *program.form;
    form.highlight(3, 3, 255);
    for (int i = 1; i <= 5; ++i) form.tmrClearTick();
    EXPECT_EQ(form.clearTicks, 5);
    EXPECT_EQ(program.fill(363), 255);
    form.tmrClearTick();
    EXPECT_EQ(form.clearTicks, 0);
    EXPECT_EQ(program.fill(363), kBlack);
    form.tmrClearTick();
    EXPECT_EQ(form.clearTicks, 1);
}

}  // namespace
}  // namespace lightmatrix
