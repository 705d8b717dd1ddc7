#include "idle/x11_idle.h"

#include <X11/Xlib.h>
#include <X11/extensions/sync.h>

#include <cstring>

#include "common/runtime_error.h"
#include "platform/x11/x11_display.h"

namespace lightmatrix {

struct X11Idle::Server {
    X11Display display;
    int eventBase = 0;
    XSyncCounter idleTime = None;
    int after = 0;                  // milliseconds
    XSyncAlarm idleAlarm = None;    // the idle time reaches `after`
    XSyncAlarm activeAlarm = None;  // input sets it back
};

namespace {

XSyncCounter findIdleTime(Display* display) {
    int count = 0;
    XSyncSystemCounter* counters = XSyncListSystemCounters(display, &count);
    XSyncCounter found = None;
    for (int i = 0; i < count; ++i)
        if (std::strcmp(counters[i].name, "IDLETIME") == 0) found = counters[i].counter;
    if (counters != nullptr) XSyncFreeSystemCounterList(counters);
    return found;
}

// Sets `alarm` (made where it is None) to go off once, when the idle time
// compares with `value` as `test` says: at once where it does already, so that
// nothing that happened before it was set is missed. A comparison with no
// delta leaves the alarm inactive once it went off.
void arm(Display* display, XSyncCounter idleTime, XSyncAlarm& alarm, XSyncTestType test,
         int value) {
    XSyncAlarmAttributes attributes{};
    attributes.trigger.counter = idleTime;
    attributes.trigger.value_type = XSyncAbsolute;
    XSyncIntToValue(&attributes.trigger.wait_value, value);
    attributes.trigger.test_type = test;
    XSyncIntToValue(&attributes.delta, 0);
    attributes.events = True;
    const unsigned long mask = XSyncCACounter | XSyncCAValueType | XSyncCAValue | XSyncCATestType |
                               XSyncCADelta | XSyncCAEvents;
    if (alarm == None)
        alarm = XSyncCreateAlarm(display, mask, &attributes);
    else
        XSyncChangeAlarm(display, alarm, mask, &attributes);
}

}  // namespace

std::unique_ptr<X11Idle> X11Idle::connect(Listener& listener) {
    std::unique_ptr<Server> server;
    try {
        server = std::make_unique<Server>();
    } catch (const RuntimeError&) {
        return nullptr;  // no X server answers
    }
    server->display.raiseWhenLost();
    Display* display = server->display;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    if (!XSyncQueryExtension(display, &server->eventBase, &errorBase) ||
        !XSyncInitialize(display, &major, &minor))
        return nullptr;
    server->idleTime = findIdleTime(display);
    server->display.checkConnection();
    if (server->idleTime == None) return nullptr;
    return std::unique_ptr<X11Idle>(new X11Idle(std::move(server), listener));
}

X11Idle::X11Idle(std::unique_ptr<Server> server, Listener& listener)
    : server_(std::move(server)), listener_(listener) {}

X11Idle::~X11Idle() = default;

void X11Idle::watch(std::chrono::milliseconds after) {
    server_->after = static_cast<int>(after.count());
    arm(server_->display, server_->idleTime, server_->idleAlarm, XSyncPositiveComparison,
        server_->after);
}

std::optional<pollfd> X11Idle::prepareWait() {
    Display* display = server_->display;
    XFlush(display);
    server_->display.checkConnection();
    if (XEventsQueued(display, QueuedAlready) > 0) return std::nullopt;
    return pollfd{ConnectionNumber(display), POLLIN, 0};
}

void X11Idle::dispatch(short revents) {
    Server& server = *server_;
    Display* display = server.display;
    // Reads what the server sent, without waiting for more.
    if (revents != 0) XEventsQueued(display, QueuedAfterReading);
    while (XEventsQueued(display, QueuedAlready) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type != server.eventBase + XSyncAlarmNotify) continue;
        const XSyncAlarm alarm = reinterpret_cast<const XSyncAlarmNotifyEvent&>(event).alarm;
        // Each alarm, gone off, sets the other: the idle time stood at least
        // `after` when the first went off, so any input takes it below.
        if (alarm == server.idleAlarm) {
            arm(display, server.idleTime, server.activeAlarm, XSyncNegativeComparison,
                server.after - 1);
            listener_.idle();
        } else if (alarm == server.activeAlarm) {
            arm(display, server.idleTime, server.idleAlarm, XSyncPositiveComparison, server.after);
            listener_.active();
        }
    }
    server.display.checkConnection();
}

}  // namespace lightmatrix
