#include "wayland_session.h"

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <linux/input-event-codes.h>
#include <signal.h>
#include <sys/mman.h>
#include <systemd/sd-bus.h>
#include <unistd.h>
#include <wayland-client.h>

#include "xdg-shell-client-protocol.h"

#include <filesystem>
#include <fstream>
#include <regex>
#include <stdexcept>
#include <thread>

namespace lightmatrix::wayland_test {

namespace {

// The requests the test makes of wlroots' virtual pointer and virtual
// keyboard, and of the idle inhibitor, described here as their protocols give
// them: create(seat, new id) of each manager; motion(time, dx, dy) and frame
// of the pointer (the first and the fifth request); keymap(format, fd, size)
// and key(time, key, state) of the keyboard; create_inhibitor(new id, surface).
const wl_interface* kNoTypes[] = {nullptr, nullptr, nullptr, nullptr, nullptr};
const wl_message kPointerRequests[] = {{"motion", "uff", kNoTypes},
                                       {"motion_absolute", "uuuuu", kNoTypes},
                                       {"button", "uuu", kNoTypes},
                                       {"axis", "uuf", kNoTypes},
                                       {"frame", "", kNoTypes}};
const wl_interface kVirtualPointer{"zwlr_virtual_pointer_v1", 1, 5, kPointerRequests, 0, nullptr};
const wl_interface* kPointerTypes[] = {&wl_seat_interface, &kVirtualPointer};
const wl_message kCreatePointer{"create_virtual_pointer", "?on", kPointerTypes};
const wl_interface kPointerManager{
    "zwlr_virtual_pointer_manager_v1", 1, 1, &kCreatePointer, 0, nullptr};

const wl_message kKeyboardRequests[] = {{"keymap", "uhu", kNoTypes}, {"key", "uuu", kNoTypes}};
const wl_interface kVirtualKeyboard{"zwp_virtual_keyboard_v1", 1, 2, kKeyboardRequests, 0, nullptr};
const wl_interface* kKeyboardTypes[] = {&wl_seat_interface, &kVirtualKeyboard};
const wl_message kCreateKeyboard{"create_virtual_keyboard", "on", kKeyboardTypes};
const wl_interface kKeyboardManager{
    "zwp_virtual_keyboard_manager_v1", 1, 1, &kCreateKeyboard, 0, nullptr};

const wl_interface kInhibitor{"zwp_idle_inhibitor_v1", 1, 0, nullptr, 0, nullptr};
const wl_interface* kInhibitorTypes[] = {&kInhibitor, &wl_surface_interface};
const wl_message kInhibitRequests[] = {{"destroy", "", kNoTypes},
                                       {"create_inhibitor", "no", kInhibitorTypes}};
const wl_interface kInhibitManager{
    "zwp_idle_inhibit_manager_v1", 1, 2, kInhibitRequests, 0, nullptr};

// A keymap of one key, the space bar, at evdev's code for it.
constexpr char kKeymap[] =
    "xkb_keymap {\n"
    "  xkb_keycodes \"test\" { minimum = 8; maximum = 255; <SPCE> = 65; };\n"
    "  xkb_types \"test\" { include \"complete\" };\n"
    "  xkb_compatibility \"test\" { include \"complete\" };\n"
    "  xkb_symbols \"test\" { key <SPCE> { [ space ] }; };\n"
    "};\n";

}  // namespace

// A client of the compositor that holds a virtual pointer and a virtual
// keyboard for as long as the session lasts.
struct SwaySession::Input {
    explicit Input(const std::string& socket) : display(wl_display_connect(socket.c_str())) {
        if (display == nullptr) throw std::runtime_error("cannot connect to " + socket);
        registry = wl_display_get_registry(display);
        static const wl_registry_listener listener{
            [](void* self, wl_registry* r, uint32_t name, const char* interface, uint32_t) {
                Input* input = static_cast<Input*>(self);
                const std::string_view offered = interface;
                const auto bind = [&](const wl_interface& wanted) {
                    return static_cast<wl_proxy*>(wl_registry_bind(r, name, &wanted, 1));
                };
                if (offered == wl_seat_interface.name && input->seat == nullptr)
                    input->seat = bind(wl_seat_interface);
                else if (offered == kPointerManager.name)
                    input->pointerManager = bind(kPointerManager);
                else if (offered == kKeyboardManager.name)
                    input->keyboardManager = bind(kKeyboardManager);
            },
            [](void*, wl_registry*, uint32_t) {}};
        wl_registry_add_listener(registry, &listener, this);
        wl_display_roundtrip(display);
        if (seat == nullptr || pointerManager == nullptr || keyboardManager == nullptr)
            throw std::runtime_error("no seat, virtual pointer or virtual keyboard to be had");
        pointer = wl_proxy_marshal_flags(pointerManager, 0, &kVirtualPointer, 1, 0, seat, nullptr);
        keyboard =
            wl_proxy_marshal_flags(keyboardManager, 0, &kVirtualKeyboard, 1, 0, seat, nullptr);
        const int keymap = memfd_create("keymap", MFD_CLOEXEC);
        if (keymap < 0 || write(keymap, kKeymap, sizeof kKeymap) != sizeof kKeymap)
            throw std::runtime_error("cannot write the keymap");
        wl_proxy_marshal_flags(keyboard, 0, nullptr, 1, 0, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, keymap,
                               static_cast<uint32_t>(sizeof kKeymap));
        close(keymap);
        if (wl_display_roundtrip(display) < 0)
            throw std::runtime_error("the compositor refused the virtual devices");
    }
    ~Input() {
        for (wl_proxy* proxy : {keyboard, pointer, keyboardManager, pointerManager, seat})
            if (proxy != nullptr) wl_proxy_destroy(proxy);
        wl_registry_destroy(registry);
        wl_display_disconnect(display);
    }
    void key(uint32_t code, uint32_t state) {
        wl_proxy_marshal_flags(keyboard, 1, nullptr, 1, 0, 0u, code, state);
    }
    void move(int dx) {
        wl_proxy_marshal_flags(pointer, 0, nullptr, 1, 0, 0u, wl_fixed_from_int(dx), 0);
        wl_proxy_marshal_flags(pointer, 4, nullptr, 1, 0);
    }
    void leftButton(uint32_t state) {
        wl_proxy_marshal_flags(pointer, 2, nullptr, 1, 0, 0u, uint32_t{BTN_LEFT}, state);
        wl_proxy_marshal_flags(pointer, 4, nullptr, 1, 0);
    }

    wl_display* display;
    wl_registry* registry = nullptr;
    wl_proxy* seat = nullptr;
    wl_proxy* pointerManager = nullptr;
    wl_proxy* keyboardManager = nullptr;
    wl_proxy* pointer = nullptr;
    wl_proxy* keyboard = nullptr;
};

// A client with a small white window that inhibits idling while it lives.
struct SwaySession::Inhibitor {
    explicit Inhibitor(const std::string& socket) : display(wl_display_connect(socket.c_str())) {
        if (display == nullptr) throw std::runtime_error("cannot connect to " + socket);
        registry = wl_display_get_registry(display);
        static const wl_registry_listener listener{
            [](void* self, wl_registry* r, uint32_t name, const char* interface, uint32_t) {
                Inhibitor* client = static_cast<Inhibitor*>(self);
                const std::string_view offered = interface;
                if (offered == wl_compositor_interface.name)
                    client->compositor = static_cast<wl_compositor*>(
                        wl_registry_bind(r, name, &wl_compositor_interface, 4));
                else if (offered == wl_shm_interface.name)
                    client->shm =
                        static_cast<wl_shm*>(wl_registry_bind(r, name, &wl_shm_interface, 1));
                else if (offered == xdg_wm_base_interface.name)
                    client->wmBase = static_cast<xdg_wm_base*>(
                        wl_registry_bind(r, name, &xdg_wm_base_interface, 1));
                else if (offered == kInhibitManager.name)
                    client->manager =
                        static_cast<wl_proxy*>(wl_registry_bind(r, name, &kInhibitManager, 1));
            },
            [](void*, wl_registry*, uint32_t) {}};
        wl_registry_add_listener(registry, &listener, this);
        wl_display_roundtrip(display);
        if (compositor == nullptr || shm == nullptr || wmBase == nullptr || manager == nullptr)
            throw std::runtime_error("no compositor, shm, xdg_wm_base or idle inhibit manager");
        surface = wl_compositor_create_surface(compositor);
        role = xdg_wm_base_get_xdg_surface(wmBase, surface);
        toplevel = xdg_surface_get_toplevel(role);
        static const xdg_surface_listener onConfigure{
            [](void* self, xdg_surface* surfaceRole, uint32_t serial) {
                xdg_surface_ack_configure(surfaceRole, serial);
                static_cast<Inhibitor*>(self)->configured = true;
            }};
        xdg_surface_add_listener(role, &onConfigure, this);
        wl_surface_commit(surface);
        while (!configured)
            if (wl_display_dispatch(display) < 0) throw std::runtime_error("no configure");
        constexpr int side = 64;
        const int file = memfd_create("window", MFD_CLOEXEC);
        if (file < 0 || ftruncate(file, side * side * 4) != 0)
            throw std::runtime_error("cannot make a buffer");
        wl_shm_pool* pool = wl_shm_create_pool(shm, file, side * side * 4);
        buffer = wl_shm_pool_create_buffer(pool, 0, side, side, side * 4, WL_SHM_FORMAT_XRGB8888);
        wl_shm_pool_destroy(pool);
        close(file);
        wl_surface_attach(surface, buffer, 0, 0);
        wl_surface_damage_buffer(surface, 0, 0, side, side);
        wl_surface_commit(surface);
        inhibitor = wl_proxy_marshal_flags(manager, 1, &kInhibitor, 1, 0, nullptr, surface);
        if (wl_display_roundtrip(display) < 0)
            throw std::runtime_error("the inhibitor was refused");
    }
    ~Inhibitor() {
        wl_proxy_destroy(inhibitor);
        xdg_toplevel_destroy(toplevel);
        xdg_surface_destroy(role);
        wl_surface_destroy(surface);
        wl_buffer_destroy(buffer);
        for (wl_proxy* proxy :
             {manager, reinterpret_cast<wl_proxy*>(wmBase), reinterpret_cast<wl_proxy*>(shm),
              reinterpret_cast<wl_proxy*>(compositor)})
            wl_proxy_destroy(proxy);
        wl_registry_destroy(registry);
        wl_display_disconnect(display);
    }

    wl_display* display;
    wl_registry* registry = nullptr;
    wl_compositor* compositor = nullptr;
    wl_shm* shm = nullptr;
    xdg_wm_base* wmBase = nullptr;
    wl_proxy* manager = nullptr;
    wl_surface* surface = nullptr;
    xdg_surface* role = nullptr;
    xdg_toplevel* toplevel = nullptr;
    wl_buffer* buffer = nullptr;
    wl_proxy* inhibitor = nullptr;
    bool configured = false;
};

namespace {

Raster loadPng(const std::string& path) {
    GError* error = nullptr;
    GdkPixbuf* pixbuf = gdk_pixbuf_new_from_file(path.c_str(), &error);
    if (pixbuf == nullptr) {
        const std::string message = error != nullptr ? error->message : "";
        g_clear_error(&error);
        throw std::runtime_error("cannot read " + path + ": " + message);
    }
    const int channels = gdk_pixbuf_get_n_channels(pixbuf);
    const int stride = gdk_pixbuf_get_rowstride(pixbuf);
    const guint8* pixels = gdk_pixbuf_read_pixels(pixbuf);
    Raster shot(gdk_pixbuf_get_width(pixbuf), gdk_pixbuf_get_height(pixbuf), kBlack);
    for (int y = 0; y < shot.height; ++y) {
        for (int x = 0; x < shot.width; ++x) {
            const guint8* p = pixels + y * stride + x * channels;
            shot.at(x, y) = rgb(p[0], p[1], p[2]);
        }
    }
    g_object_unref(pixbuf);
    return shot;
}

}  // namespace

Session::Session(const std::string& tag, bool asNobody)
    : runtime_(tag),
      env_{"XDG_RUNTIME_DIR=" + runtime_.path(), "WAYLAND_DISPLAY=wayland-1"},
      asNobody_(asNobody && geteuid() == 0) {
    if (asNobody_ && chown(runtime_.path().c_str(), 65534, 65534) != 0)
        throw std::runtime_error("cannot give " + runtime_.path() + " to nobody");
}

Session::~Session() {
    if (!server_) return;
    server_->signal(SIGTERM);
    server_->wait(5s);  // the Process kills what is left of its group
}

std::vector<std::string> Session::asUser(std::vector<std::string> argv) const {
    if (asNobody_)
        argv.insert(argv.begin(), {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
    return argv;
}

e2e::Process Session::start(const std::vector<std::string>& argv,
                            const std::vector<std::string>& extraEnv) const {
    std::vector<std::string> environment = env_;
    environment.insert(environment.end(), extraEnv.begin(), extraEnv.end());
    return e2e::Process::start(asUser(argv), environment);
}

std::string Session::runnable(const std::string& path) const {
    const std::string copy = runtime_.file(std::filesystem::path(path).filename());
    std::filesystem::copy_file(path, copy, std::filesystem::copy_options::overwrite_existing);
    if (asNobody_ && chown(copy.c_str(), 65534, 65534) != 0)
        throw std::runtime_error("cannot give " + copy + " to nobody");
    return copy;
}

void Session::awaitSocket(const std::string& name, const e2e::Process& compositor) const {
    if (!e2e::waitUntil([&] { return std::filesystem::exists(runtime_.file(name)); }, 30s))
        throw std::runtime_error("the compositor made no " + name + ": " +
                                 compositor.errorOutput());
}

SwaySession::SwaySession(int outputs) : Session("sway-run", true) {
    // The host, a headless sway whose socket is wayland-1; its windows, the
    // outputs of the sway under test, float at the size that sway asks.
    std::ofstream(runtime_.file("host.conf"))
        << "xwayland disable\noutput HEADLESS-1 mode 2560x1600\n"
           "for_window [app_id=\"wlroots\"] floating enable\n";
    std::ofstream(runtime_.file("sway.conf"))
        << "xwayland disable\noutput WL-1 mode 1280x800 position 0 0\n"
           "output WL-2 mode 1024x768 position 1280 0\noutput * bg #123456 solid_color\n"
           "seat * hide_cursor 100\n";
    host_ = start({"sway", "-c", runtime_.file("host.conf")},
                  {"HOME=" + runtime_.path(), "SWAYSOCK=" + runtime_.file("host.sock"),
                   "WLR_BACKENDS=headless", "WLR_LIBINPUT_NO_DEVICES=1", "WLR_RENDERER=pixman"});
    awaitSocket("wayland-1", *host_);
    server_ = start({"sway", "-c", runtime_.file("sway.conf")},
                    {"HOME=" + runtime_.path(), "SWAYSOCK=" + runtime_.file("sway.sock"),
                     "WLR_BACKENDS=wayland", "WLR_WL_OUTPUTS=" + std::to_string(outputs),
                     "WLR_LIBINPUT_NO_DEVICES=1", "WLR_RENDERER=pixman"});
    awaitSocket("wayland-2", *server_);
    // Its clients, the tests' and the saver, connect to it, not to the host.
    env_ = {"XDG_RUNTIME_DIR=" + runtime_.path(), "WAYLAND_DISPLAY=wayland-2",
            "HOME=" + runtime_.path(), "SWAYSOCK=" + runtime_.file("sway.sock")};
    if (!e2e::waitUntil([&] { return start({"swaymsg", "-t", "get_version"}).wait(5s) == 0; }, 20s))
        throw std::runtime_error("sway did not start: " + server_->errorOutput());
    input_ = std::make_unique<Input>(runtime_.file("wayland-2"));
    // The devices are the seat's once sway lists them.
    if (!e2e::waitUntil(
            [&] {
                const std::string inputs = swaymsg({"-t", "get_inputs"});
                return inputs.find("\"keyboard\"") != std::string::npos &&
                       inputs.find("\"pointer\"") != std::string::npos;
            },
            20s))
        throw std::runtime_error("sway took no keyboard and pointer");
    cursor("set 100 100");
}

SwaySession::~SwaySession() = default;

std::string SwaySession::runChecked(const std::vector<std::string>& argv) const {
    e2e::Process process = start(argv);
    if (process.wait(30s) != 0)
        throw std::runtime_error(argv[0] + " failed: " + process.output() + process.errorOutput());
    return process.output();
}

std::string SwaySession::swaymsg(const std::vector<std::string>& arguments) const {
    std::vector<std::string> command{"swaymsg"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return runChecked(command);
}

std::vector<std::string> SwaySession::outputs() const {
    const std::string listed = swaymsg({"-t", "get_outputs"});
    static const std::regex name("\"name\": \"([^\"]+)\"");
    std::vector<std::string> names;
    for (auto m = std::sregex_iterator(listed.begin(), listed.end(), name);
         m != std::sregex_iterator(); ++m)
        names.push_back((*m)[1]);
    return names;
}

std::string SwaySession::plug() {
    const std::vector<std::string> before = outputs();
    swaymsg({"create_output"});
    std::string added;
    e2e::waitUntil(
        [&] {
            for (const std::string& name : outputs())
                if (std::find(before.begin(), before.end(), name) == before.end()) added = name;
            return !added.empty();
        },
        20s);
    if (added.empty()) throw std::runtime_error("no output came");
    return added;
}

void SwaySession::unplug(const std::string& output) {
    // Closing the host's window of an output destroys that output.
    e2e::Process closing = e2e::Process::start(
        asUser({"swaymsg", "[title=\"wlroots - " + output + "\"]", "kill"}),
        {"XDG_RUNTIME_DIR=" + runtime_.path(), "SWAYSOCK=" + runtime_.file("host.sock")});
    if (closing.wait(30s) != 0) throw std::runtime_error("cannot unplug " + output);
    if (!e2e::waitUntil(
            [&] {
                const auto names = outputs();
                return std::find(names.begin(), names.end(), output) == names.end();
            },
            20s))
        throw std::runtime_error(output + " did not go");
}

Raster SwaySession::screenshot(const std::string& output) const {
    runChecked({"grim", "-o", output, runtime_.file("screenshot.png")});
    return loadPng(runtime_.file("screenshot.png"));
}

std::shared_ptr<void> SwaySession::inhibitIdle() const {
    return std::make_shared<Inhibitor>(runtime_.file("wayland-2"));
}

void SwaySession::nudgePointer() const {
    input_->move(1);
    input_->move(-1);
    if (wl_display_roundtrip(input_->display) < 0)
        throw std::runtime_error("lost the compositor while moving the pointer");
}

void SwaySession::clickAtTheRightEdge() const {
    input_->move(100'000);  // the compositor stops it at the layout's edge
    input_->leftButton(WL_POINTER_BUTTON_STATE_PRESSED);
    input_->leftButton(WL_POINTER_BUTTON_STATE_RELEASED);
    if (wl_display_roundtrip(input_->display) < 0)
        throw std::runtime_error("lost the compositor while clicking");
}

void SwaySession::pressSpace() const {
    input_->key(KEY_SPACE, WL_KEYBOARD_KEY_STATE_PRESSED);
    input_->key(KEY_SPACE, WL_KEYBOARD_KEY_STATE_RELEASED);
    if (wl_display_roundtrip(input_->display) < 0)
        throw std::runtime_error("lost the compositor while pressing a key");
}

WestonSession::WestonSession(bool gl, int width, int height) : Session("weston-run", false) {
    server_ = start({"weston", "--backend=headless-backend.so", gl ? "--use-gl" : "--use-pixman",
                     "--socket=wayland-1", "--no-config", "--debug",
                     "--width=" + std::to_string(width), "--height=" + std::to_string(height)});
    awaitSocket("wayland-1", *server_);
}

Raster WestonSession::screenshot() const {
    // It saves wayland-screenshot-DATE.png in the folder where it runs.
    const std::string folder = runtime_.file("screenshot");
    std::filesystem::remove_all(folder);
    std::filesystem::create_directory(folder);
    const int status = e2e::run({"env", "-C", folder, "weston-screenshooter"}, env_);
    for (const auto& file : std::filesystem::directory_iterator(folder))
        return loadPng(file.path());
    throw std::runtime_error("weston-screenshooter saved nothing: " + std::to_string(status));
}

// A client of mutter's remote desktop on the session bus: its virtual
// keyboard is the seat's for as long as the session lasts.
struct MutterSession::Input {
    explicit Input(const std::string& address) {
        if (sd_bus_new(&bus) < 0 || sd_bus_set_address(bus, address.c_str()) < 0 ||
            sd_bus_set_bus_client(bus, 1) < 0 || sd_bus_start(bus) < 0)
            throw std::runtime_error("cannot connect to the session bus at " + address);
        // mutter takes its names on the bus a moment after it made its socket.
        const auto owned = [&](const char* name) {
            int owner = 0;
            sd_bus_message_read(call("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                     "org.freedesktop.DBus", "NameHasOwner", "s", name)
                                    .get(),
                                "b", &owner);
            return owner != 0;
        };
        if (!e2e::waitUntil(
                [&] {
                    return owned("org.gnome.Mutter.IdleMonitor") &&
                           owned("org.gnome.Mutter.RemoteDesktop");
                },
                30s))
            throw std::runtime_error("mutter offers no idle monitor or remote desktop");
        const char* path = nullptr;
        const Reply created = call(kRemoteDesktop, "/org/gnome/Mutter/RemoteDesktop",
                                   kRemoteDesktop, "CreateSession", "");
        sd_bus_message_read(created.get(), "o", &path);
        session = path;
        call(kRemoteDesktop, session, kSession, "Start", "");
        // mutter gives the seat the keyboard at its first key.
        key(true);
        key(false);
    }
    ~Input() { sd_bus_flush_close_unref(bus); }  // its remote desktop session goes with it

    using Reply = std::unique_ptr<sd_bus_message, sd_bus_message* (*)(sd_bus_message*)>;
    template <typename... Arguments>
    Reply call(const char* destination, const std::string& path, const char* interface,
               const char* member, const char* types, Arguments... arguments) const {
        sd_bus_error error = SD_BUS_ERROR_NULL;
        sd_bus_message* reply = nullptr;
        if (sd_bus_call_method(bus, destination, path.c_str(), interface, member, &error, &reply,
                               types, arguments...) < 0) {
            const std::string why = error.message != nullptr ? error.message : "failed";
            sd_bus_error_free(&error);
            throw std::runtime_error(std::string(member) + ": " + why);
        }
        return Reply(reply, &sd_bus_message_unref);
    }
    void key(bool pressed) const {
        call(kRemoteDesktop, session, kSession, "NotifyKeyboardKeycode", "ub",
             static_cast<uint32_t>(KEY_SPACE), static_cast<int>(pressed));
    }

    static constexpr const char* kRemoteDesktop = "org.gnome.Mutter.RemoteDesktop";
    static constexpr const char* kSession = "org.gnome.Mutter.RemoteDesktop.Session";
    sd_bus* bus = nullptr;
    std::string session;
};

MutterSession::MutterSession() : Session("mutter-run", false) {
    // The shell tells the test where dbus-run-session put the bus.
    const std::string address = runtime_.file("bus-address");
    server_ = start({"dbus-run-session", "--", "sh", "-c",
                     "echo \"$DBUS_SESSION_BUS_ADDRESS\" >\"$0\" && exec mutter --headless "
                     "--wayland --no-x11 --wayland-display=wayland-1 --sm-disable "
                     "--virtual-monitor 1024x768",
                     address},
                    {"HOME=" + runtime_.path()});
    awaitSocket("wayland-1", *server_);
    std::string bus;
    std::ifstream(address) >> bus;
    env_.insert(env_.end(), {"HOME=" + runtime_.path(), "DBUS_SESSION_BUS_ADDRESS=" + bus});
    input_ = std::make_unique<Input>(bus);
}

MutterSession::~MutterSession() = default;

void MutterSession::pressSpace() const {
    input_->key(true);
    input_->key(false);
}

bool sleepsThrough(const e2e::Process& process, std::chrono::milliseconds span) {
    const auto wakeUps = [&] {
        std::ifstream status("/proc/" + std::to_string(process.pid()) + "/status");
        for (std::string line; std::getline(status, line);)
            if (line.starts_with("voluntary_ctxt_switches:")) return std::stol(line.substr(24));
        return -1L;
    };
    const long before = wakeUps();
    std::this_thread::sleep_for(span);
    return before >= 0 && wakeUps() == before;
}

}  // namespace lightmatrix::wayland_test
