#include "wayland_session.h"

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <signal.h>
#include <unistd.h>
#include <wayland-client.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace lightmatrix::wayland_test {

namespace {

// The one request made of wlroots' virtual-pointer manager,
// create_virtual_pointer(seat or null, new id).
const wl_interface kVirtualPointer{"zwlr_virtual_pointer_v1", 1, 0, nullptr, 0, nullptr};
const wl_interface* kCreateTypes[] = {&wl_seat_interface, &kVirtualPointer};
const wl_message kCreate{"create_virtual_pointer", "?on", kCreateTypes};
const wl_interface kPointerManager{"zwlr_virtual_pointer_manager_v1", 1, 1, &kCreate, 0, nullptr};
const wl_registry_listener kFindPointerManager{
    [](void* manager, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
        if (std::string(interface) == kPointerManager.name)
            *static_cast<wl_proxy**>(manager) =
                static_cast<wl_proxy*>(wl_registry_bind(registry, name, &kPointerManager, 1));
    },
    [](void*, wl_registry*, uint32_t) {}};

}  // namespace

// A connection to the compositor that holds a virtual pointer.
struct SwaySession::Pointer {
    explicit Pointer(const std::string& socket) : display(wl_display_connect(socket.c_str())) {
        if (display == nullptr) throw std::runtime_error("cannot connect to " + socket);
        registry = wl_display_get_registry(display);
        wl_registry_add_listener(registry, &kFindPointerManager, &manager);
        wl_display_roundtrip(display);
        if (manager != nullptr)
            pointer = wl_proxy_marshal_flags(manager, 0, &kVirtualPointer, 1, 0, nullptr, nullptr);
        if (pointer == nullptr || wl_display_roundtrip(display) < 0)
            throw std::runtime_error("cannot make a virtual pointer");
    }
    ~Pointer() {
        for (wl_proxy* proxy : {pointer, manager})
            if (proxy != nullptr) wl_proxy_destroy(proxy);
        wl_registry_destroy(registry);
        wl_display_disconnect(display);
    }
    wl_display* display;
    wl_registry* registry = nullptr;
    wl_proxy* manager = nullptr;
    wl_proxy* pointer = nullptr;
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

SwaySession::SwaySession() : Session("sway-run", true) {
    // SWAYSOCK also tells sway where to make its socket.
    env_.insert(env_.end(), {"HOME=" + runtime_.path(), "SWAYSOCK=" + runtime_.file("sway.sock")});
    std::ofstream(runtime_.file("sway.conf"))
        << "xwayland disable\noutput HEADLESS-1 mode 1280x800 position 0 0\n"
           "output HEADLESS-2 mode 1920x1080 position 1280 0\n"
           "seat * hide_cursor 100\n";
    server_ = start({"sway", "-c", runtime_.file("sway.conf")},
                    {"WLR_BACKENDS=headless", "WLR_LIBINPUT_NO_DEVICES=1", "WLR_RENDERER=pixman"});
    if (!e2e::waitUntil([&] { return start({"swaymsg", "-t", "get_version"}).wait(5s) == 0; }, 20s))
        throw std::runtime_error("sway did not start: " + server_->errorOutput());
    pointer_ = std::make_unique<Pointer>(runtime_.file("wayland-1"));
    // wtype's keyboard lasts as long as wtype: a client that asks for it
    // after the press would find the press inside wl_keyboard.enter.
    keyboard_ = start({"wtype", "-s", "1000000"});
    if (!e2e::waitUntil(
            [&] {
                return swaymsg({"-t", "get_inputs"}).find("keyboard") != std::string::npos;
            },
            20s))
        throw std::runtime_error("no keyboard: " + keyboard_->errorOutput());
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

Raster SwaySession::screenshot(const std::string& output) const {
    runChecked({"grim", "-o", output, runtime_.file("screenshot.png")});
    return loadPng(runtime_.file("screenshot.png"));
}

WestonSession::WestonSession(int width, int height) : Session("weston-run", false) {
    server_ = start({"weston", "--backend=headless-backend.so", "--use-pixman",
                     "--socket=wayland-1", "--no-config", "--debug",
                     "--width=" + std::to_string(width), "--height=" + std::to_string(height)});
    if (!e2e::waitUntil([&] { return std::filesystem::exists(runtime_.file("wayland-1")); }, 20s))
        throw std::runtime_error("weston did not start: " + server_->errorOutput());
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

}  // namespace lightmatrix::wayland_test
