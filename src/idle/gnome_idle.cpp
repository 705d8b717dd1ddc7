#include "idle/gnome_idle.h"

#include <systemd/sd-bus.h>

#include <cstdint>
#include <string>
#include <utility>

#include "common/runtime_error.h"

namespace lightmatrix {

namespace {

constexpr const char* kMonitor = "org.gnome.Mutter.IdleMonitor";
constexpr const char* kMonitorPath = "/org/gnome/Mutter/IdleMonitor/Core";
constexpr const char* kSessionManager = "org.gnome.SessionManager";
constexpr const char* kSessionManagerPath = "/org/gnome/SessionManager";
constexpr std::uint32_t kInhibitIdle = 8;

// A reply, and the error that came instead.
struct Call {
    ~Call() {
        sd_bus_message_unref(reply);
        sd_bus_error_free(&error);
    }
    sd_bus_message* reply = nullptr;
    sd_bus_error error = SD_BUS_ERROR_NULL;
};

// sd-bus calls the handlers from C, which no exception may cross: what one
// throws is kept, and thrown again once sd_bus_process has returned.
template <typename Handler>
int keepFailure(HandlerFailure& failure, Handler&& handler) noexcept {
    failure.guard(std::forward<Handler>(handler));
    return 0;
}

}  // namespace

struct GnomeIdle::Bus {
    ~Bus() {
        sd_bus_slot_unref(inhibitorRemoved);
        sd_bus_close_unref(bus);
    }
    sd_bus* bus = nullptr;
    std::string monitor;                      // the idle monitor's unique name
    sd_bus_slot* inhibitorRemoved = nullptr;  // followed only while idle is held back
};

GnomeIdle::GnomeIdle(std::unique_ptr<Bus> bus, Listener& listener)
    : bus_(std::move(bus)), listener_(listener) {}

GnomeIdle::~GnomeIdle() = default;

std::unique_ptr<GnomeIdle> GnomeIdle::connect(Listener& listener) {
    auto bus = std::make_unique<Bus>();
    if (sd_bus_open_user(&bus->bus) < 0) return nullptr;
    std::unique_ptr<GnomeIdle> idle(new GnomeIdle(std::move(bus), listener));
    return idle->findMonitor() ? std::move(idle) : nullptr;
}

bool GnomeIdle::findMonitor() {
    // Whoever owns the name from now on is followed before it is asked, so
    // that no change of owner falls between. When the idle monitor leaves
    // (the desktop ended or crashed), the watches went with it.
    const std::string ownerChanged =
        std::string(
            "type='signal',sender='org.freedesktop.DBus',path='/org/freedesktop/DBus',"
            "interface='org.freedesktop.DBus',member='NameOwnerChanged',arg0='") +
        kMonitor + "'";
    const auto changed = [](sd_bus_message* message, void* data, sd_bus_error*) {
        GnomeIdle* self = static_cast<GnomeIdle*>(data);
        return keepFailure(self->failure_, [&] {
            const char* name = nullptr;
            const char* before = nullptr;
            const char* after = nullptr;
            if (sd_bus_message_read(message, "sss", &name, &before, &after) >= 0 &&
                self->bus_->monitor != after)
                raise(ErrorKind::Platform, "GNOME's idle monitor left the session bus");
        });
    };
    if (sd_bus_add_match(bus_->bus, nullptr, ownerChanged.c_str(), changed, this) < 0) return false;
    Call owner;
    const char* unique = nullptr;
    if (sd_bus_call_method(bus_->bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                           "org.freedesktop.DBus", "GetNameOwner", &owner.error, &owner.reply, "s",
                           kMonitor) < 0 ||
        sd_bus_message_read(owner.reply, "s", &unique) < 0)
        return false;
    bus_->monitor = unique;
    return true;
}

void GnomeIdle::watch(std::chrono::milliseconds after) {
    // mutter sends WatchFired to the watch's owner alone, from its unique name.
    const auto fired = [](sd_bus_message* message, void* data, sd_bus_error*) {
        GnomeIdle* self = static_cast<GnomeIdle*>(data);
        return keepFailure(self->failure_, [&] {
            std::uint32_t id = 0;
            if (sd_bus_message_read(message, "u", &id) >= 0) self->watchFired(id);
        });
    };
    if (sd_bus_match_signal(bus_->bus, nullptr, bus_->monitor.c_str(), kMonitorPath, kMonitor,
                            "WatchFired", fired, this) < 0)
        lost();
    Call added;
    if (sd_bus_call_method(bus_->bus, kMonitor, kMonitorPath, kMonitor, "AddIdleWatch",
                           &added.error, &added.reply, "t",
                           static_cast<std::uint64_t>(after.count())) < 0 ||
        sd_bus_message_read(added.reply, "u", &idleWatch_) < 0)
        refused(added.error.message);
}

// The idle watch fires each time the idle time passes `after` anew; the
// user-active watch fires once, at the next input.
void GnomeIdle::watchFired(std::uint32_t id) {
    if (id == idleWatch_) {
        if (state_ == State::Active) awaitInput();
        // Fired again before the user-active watch did: the input came before
        // mutter had added that, which waits for the next. Idle is told again.
        holdBack();
    } else if (id != 0 && id == activeWatch_) {
        activeWatch_ = 0;
        const bool told = state_ == State::Idle;
        release(State::Active);
        if (told) listener_.active();
    }
}

void GnomeIdle::awaitInput() {
    const auto added = [](sd_bus_message* reply, void* data, sd_bus_error*) {
        GnomeIdle* self = static_cast<GnomeIdle*>(data);
        return keepFailure(self->failure_, [&] {
            const sd_bus_error* error = sd_bus_message_get_error(reply);
            if (error != nullptr || sd_bus_message_read(reply, "u", &self->activeWatch_) < 0)
                refused(error != nullptr ? error->message : nullptr);
        });
    };
    if (sd_bus_call_method_async(bus_->bus, nullptr, kMonitor, kMonitorPath, kMonitor,
                                 "AddUserActiveWatch", added, this, "") < 0)
        lost();
}

// Idle, unless the session manager holds idling back (a video playing, a
// presentation). Held back, it follows the inhibitors that go: when the last
// one goes before any input, the session has been idle for the whole idle
// time and nothing keeps it awake any more, so idle is told then, as the
// user would expect after a film ends. The inhibitors are followed only
// while idle is held back, so that their coming and going wakes nothing
// while the user works or while the saver runs.
void GnomeIdle::holdBack() {
    state_ = State::HeldBack;
    if (bus_->inhibitorRemoved == nullptr) {
        const auto removed = [](sd_bus_message*, void* data, sd_bus_error*) {
            GnomeIdle* self = static_cast<GnomeIdle*>(data);
            return keepFailure(self->failure_, [&] { self->askInhibited(); });
        };
        // Asked after the match is in place, so that no inhibitor goes unseen between.
        if (sd_bus_match_signal_async(bus_->bus, &bus_->inhibitorRemoved, kSessionManager,
                                      kSessionManagerPath, kSessionManager, "InhibitorRemoved",
                                      removed, nullptr, this) < 0)
            lost();
    }
    askInhibited();
}

void GnomeIdle::askInhibited() {
    const auto answered = [](sd_bus_message* reply, void* data, sd_bus_error*) {
        GnomeIdle* self = static_cast<GnomeIdle*>(data);
        return keepFailure(self->failure_, [&] {
            // No session manager, or one that cannot tell: nothing holds idling back.
            int inhibited = 0;
            if (sd_bus_message_is_method_error(reply, nullptr) ||
                sd_bus_message_read(reply, "b", &inhibited) < 0)
                inhibited = 0;
            if (self->state_ != State::HeldBack || inhibited) return;
            self->release(State::Idle);
            self->listener_.idle();
        });
    };
    if (sd_bus_call_method_async(bus_->bus, nullptr, kSessionManager, kSessionManagerPath,
                                 kSessionManager, "IsInhibited", answered, this, "u",
                                 kInhibitIdle) < 0)
        lost();
}

void GnomeIdle::release(State state) {
    state_ = state;
    bus_->inhibitorRemoved = sd_bus_slot_unref(bus_->inhibitorRemoved);
}

// The timeouts of calls are not waited for, as the watcher has no timer of
// its own: a call would time out at the next message. The bus answers each
// call, with an error where its peer has gone.
std::optional<pollfd> GnomeIdle::prepareWait() {
    if (sd_bus_flush(bus_->bus) < 0) lost();
    std::uint64_t timeout = 0;
    // A timeout of 0: messages read already wait to be processed.
    if (sd_bus_get_timeout(bus_->bus, &timeout) < 0) lost();
    if (timeout == 0) return std::nullopt;
    const int events = sd_bus_get_events(bus_->bus);
    if (events < 0) lost();
    return pollfd{sd_bus_get_fd(bus_->bus), static_cast<short>(events), 0};
}

void GnomeIdle::dispatch(short) {
    int processed = 0;
    while ((processed = sd_bus_process(bus_->bus, nullptr)) > 0 && !failure_.pending()) {
    }
    failure_.rethrowIfAny();
    if (processed < 0) lost();
}

void GnomeIdle::lost() {
    raise(ErrorKind::Platform, "lost the connection to the session bus");
}

void GnomeIdle::refused(const char* why) {
    raise(ErrorKind::Platform, std::string("GNOME's idle monitor refused a watch") +
                                   (why != nullptr ? std::string(": ") + why : std::string()));
}

}  // namespace lightmatrix
