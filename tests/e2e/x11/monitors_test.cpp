// lightmatrix on a desktop of two monitors side by side (Xorg's dummy driver,
// the screens joined by Xinerama), with and without a window manager: every
// monitor black but for the lights, which stand at the top-left corner of the
// primary one, and a click on the other monitor ends it.

#include <gtest/gtest.h>

#include "x11_session.h"

namespace lightmatrix::x11_test {
namespace {

class X11TwoMonitors : public ::testing::TestWithParam<bool> {};

TEST_P(X11TwoMonitors, EveryMonitorIsCoveredAndAClickOnEitherEndsIt) {
    SaverSession session(e2e::XServer::twoMonitors());
    session.xvfb().paintDesktop();
    Connection probes(session.display());
    std::optional<e2e::Process> windowManager;
    if (GetParam()) windowManager.emplace(startWindowManager(session, probes));
    e2e::Process saver = session.start();
    EXPECT_TRUE(e2e::everyMonitorCovered(session.xvfb(), 3, 30s)) << saver.errorOutput();
    ASSERT_TRUE(session.xdotool({"mousemove", "--sync", "1700", "500", "click", "1"}));
    EXPECT_EQ(saver.wait(10s), 0) << saver.errorOutput();
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutAWindowManager, X11TwoMonitors,
                         ::testing::Values(false, true));

}  // namespace
}  // namespace lightmatrix::x11_test
