// The event loop every backend runs, on a backend of the test's own: a window
// in memory, a clock that moves only in the wait, and a window system whose
// events the test scripts.

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "matrix/lights.h"
#include "platform/loop/loop.h"
#include "platform/memory/memory_backend.h"

namespace lightmatrix {
namespace {

using namespace std::chrono_literals;

class ScriptedBackend : public Loop {
  public:
    ScriptedBackend()
        : Loop(
              0, [] { return 1000.0; }, [this] { return now_; }),
          window_(*this, 800, 600, [this] { end(); }) {
        window_.show();
        log.clear();
    }

    MemoryWindow& window() override { return window_; }

    std::vector<std::string> log;  // what happened, in order
    // Events still on the connection, and events read from it but not yet
    // dispatched (as in Xlib's queue).
    std::deque<std::function<void()>> arriving;
    std::deque<std::function<void()>> read;
    // Runs after each dispatch, as a backend looks at its window: it may read
    // what has arrived meanwhile.
    std::function<void()> look;
    // How much later than asked the wait returns: the process was stopped.
    Duration stall{};
    Instant now_{};

  private:
    // A window in memory that logs what reaches its screen.
    struct LoggedWindow : MemoryWindow {
        LoggedWindow(ScriptedBackend& backend, Int32 width, Int32 height,
                     std::function<void()> onClosed)
            : MemoryWindow(width, height, 96, std::move(onClosed)), backend_(backend) {}
        void screenChanged(Raster&, const PixelRect&) override { backend_.log.push_back("draw"); }
        ScriptedBackend& backend_;
    };

    void readEvents() override {
        log.push_back("read");
        while (!arriving.empty()) {
            read.push_back(std::move(arriving.front()));
            arriving.pop_front();
        }
        while (!read.empty()) {
            const auto event = std::move(read.front());
            read.pop_front();
            event();
        }
        if (look) look();
    }
    bool holdsEvents() override { return !read.empty() || !arriving.empty(); }
    void wait(std::optional<Instant> until) override {
        log.push_back("wait");
        if (!until) return interrupt();
        now_ = std::max(now_, *until + stall);
    }

    LoggedWindow window_;
};

TEST(Loop, ARoundHandlesWhatCameThenRepaintsOnceThenWakesTheTimersThenWaits) {
    ScriptedBackend backend;
    Lights& lights = backend.window().lights();
    backend.window().onPress([&] {
        backend.log.push_back("key");
        lights.setColour(0, 1);
    });
    const auto timer = backend.createTimer(10, [&] {
        backend.log.push_back("tick");
        lights.setColour(0, 2);
        backend.end();
    });
    backend.now_ += 10ms;  // the tick is due
    backend.arriving.push_back([&] { backend.keyPressed(); });
    backend.arriving.push_back([&] { backend.keyPressed(); });
    backend.run();
    EXPECT_EQ(backend.log,
              (std::vector<std::string>{"read", "key", "key", "draw", "tick", "draw"}));

    // A round with nothing to handle waits until the next tick is due.
    ScriptedBackend idle;
    const auto ticking = idle.createTimer(10, [&] { idle.log.push_back("tick"); });
    idle.window().onPress([&] { idle.end(); });
    idle.look = [&] {
        if (idle.now_ >= Loop::Instant{} + 20ms) idle.keyPressed();
    };
    idle.run();
    EXPECT_EQ(idle.log, (std::vector<std::string>{"read", "wait", "read", "tick", "wait", "read"}));
    EXPECT_EQ(ticking->ticksRun(), 1);
}

// A look at the window that reads a key into the backend's queue (X11's
// round trips do) must not leave the key waiting behind an empty connection.
TEST(Loop, EventsReadWhileTheBackendLooksAreHandledBeforeAnyWait) {
    ScriptedBackend backend;
    const auto timer = backend.createTimer(10, [] {});
    backend.window().onPress([&] { backend.end(); });
    bool looked = false;
    backend.look = [&] {
        if (looked) return;
        looked = true;
        backend.read.push_back([&] { backend.keyPressed(); });
    };
    backend.run();
    EXPECT_TRUE(backend.ended());
    EXPECT_EQ(backend.log, (std::vector<std::string>{"read", "read"}));
}

TEST(Loop, AStalledWaitDropsTheTicksItMissedAndTheTimersStartAfresh) {
    ScriptedBackend backend;
    std::vector<Loop::Instant> ticks;
    const auto timer = backend.createTimer(10, [&] { ticks.push_back(backend.now_); });
    backend.stall = 5s;
    backend.look = [&] {
        if (ticks.size() == 3) backend.end();
    };
    backend.run();
    const Loop::Instant start{};
    // Due at 10 ms, it came at 5.01 s and ran once for all it missed; the
    // next was due a period after that, and came 5 s late again.
    EXPECT_EQ(ticks,
              (std::vector<Loop::Instant>{start + 5010ms, start + 10020ms, start + 15030ms}));
    EXPECT_EQ(timer->ticksRun(), 3);
}

TEST(Loop, NothingRunsAfterTheEndAndAKeyWhileAsleepEndsTheProgramAtOnce) {
    ScriptedBackend backend;
    int presses = 0;
    const auto timer = backend.createTimer(10, [&] { backend.log.push_back("tick"); });
    backend.window().onPress([&] {
        ++presses;
        backend.window().close();
    });
    backend.now_ += 1s;
    backend.arriving.push_back([&] {
        backend.keyPressed();
        backend.buttonPressed({400, 300}, true);
    });
    backend.processPendingEvents();
    EXPECT_EQ(presses, 1);
    EXPECT_EQ(timer->ticksRun(), 0);

    MemoryBackend memory;
    memory.window().onPress([&] { memory.window().close(); });
    memory.setSeen(false);
    memory.pressKey();
    EXPECT_TRUE(memory.ended());
}

}  // namespace
}  // namespace lightmatrix
