// Platform choices on Linux and other Unix systems, where the session may be Wayland's: a probe of the
// compositor through libwayland-client, opened at run time.
#include "shell/QtPlatformTuning.h"

#include <dlfcn.h>

#include <QByteArray>
#include <QLibraryInfo>
#include <QString>
#include <QVersionNumber>
#include <QtGlobal>
#include <cstdint>
#include <cstring>

#include "shell/QtWindowSystem.h"

namespace sorvant {
namespace {

// The few entry points of libwayland-client the probe needs. It is opened at run time, so the
// program neither links it nor needs its headers, and a system without it simply skips the probe.
struct WaylandClient {
  explicit WaylandClient(void* library) : lib(library) {
    connect = reinterpret_cast<Connect>(dlsym(lib, "wl_display_connect"));
    disconnect = reinterpret_cast<Disconnect>(dlsym(lib, "wl_display_disconnect"));
    roundtrip = reinterpret_cast<Roundtrip>(dlsym(lib, "wl_display_roundtrip"));
    construct = reinterpret_cast<Construct>(dlsym(lib, "wl_proxy_marshal_constructor"));
    listen = reinterpret_cast<Listen>(dlsym(lib, "wl_proxy_add_listener"));
    destroy = reinterpret_cast<Destroy>(dlsym(lib, "wl_proxy_destroy"));
    registryInterface = dlsym(lib, "wl_registry_interface");
  }
  bool complete() const {
    return connect && disconnect && roundtrip && construct && listen && destroy && registryInterface;
  }

  using Connect = void* (*)(const char*);
  using Disconnect = void (*)(void*);
  using Roundtrip = int (*)(void*);
  using Construct = void* (*)(void*, std::uint32_t, const void*, ...);
  using Listen = int (*)(void*, void (**)(void), void*);
  using Destroy = void (*)(void*);
  void* lib;
  Connect connect;
  Disconnect disconnect;
  Roundtrip roundtrip;
  Construct construct;
  Listen listen;
  Destroy destroy;
  const void* registryInterface;
};

// The registry's two events, laid out as libwayland-client calls them.
struct RegistryListener {
  void (*global)(void* data, void* registry, std::uint32_t name, const char* interface, std::uint32_t version);
  void (*globalRemove)(void* data, void* registry, std::uint32_t name);
};

// Whether the compositor offers to draw window frames itself (the xdg-decoration protocol, which
// Qt's xdg-shell support asks for before it draws frames of its own).
bool compositorDrawsFrames() {
  void* lib = dlopen("libwayland-client.so.0", RTLD_LAZY | RTLD_LOCAL);
  if (!lib) return false;
  const WaylandClient wl(lib);
  bool offered = false;
  if (wl.complete()) {
    if (void* display = wl.connect(nullptr)) {
      constexpr std::uint32_t kGetRegistry = 1;  // wl_display request 1
      if (void* registry = wl.construct(display, kGetRegistry, wl.registryInterface, nullptr)) {
        static const RegistryListener listener{
            [](void* data, void*, std::uint32_t, const char* interface, std::uint32_t) {
              if (std::strcmp(interface, "zxdg_decoration_manager_v1") == 0) *static_cast<bool*>(data) = true;
            },
            [](void*, void*, std::uint32_t) {}};
        // The listener is read as an array of function pointers, as libwayland-client's own
        // generated code passes it.
        wl.listen(registry, reinterpret_cast<void (**)(void)>(const_cast<RegistryListener*>(&listener)), &offered);
        if (wl.roundtrip(display) < 0) offered = false;
        wl.destroy(registry);
      }
      wl.disconnect(display);
    }
  }
  dlclose(lib);
  return offered;
}

// Qt names the integration it was told to load but cannot find, twice, at the first window. The
// program asked for exactly that, so those two lines are not passed on.
QtMessageHandler passOn = nullptr;
void dropIntegrationNotice(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (context.category && std::strcmp(context.category, "qt.qpa.wayland") == 0 &&
      (message.startsWith(QLatin1String("Failed to load client buffer integration")) ||
       message.startsWith(QLatin1String("Available client buffer integrations"))))
    return;
  if (passOn) passOn(type, context, message);
}

// Whether Qt's Wayland plugin draws its window frames in shared memory with no client buffer
// integration at all. Until Qt 6.6 it draws them only while an integration that says it can works,
// and on a desktop the only one is EGL's.
bool qtDrawsFramesWithoutIntegration() { return QLibraryInfo::version() >= QVersionNumber(6, 6); }

// Whether the user asked Qt for windows without frames.
bool framesTurnedOff() { return qEnvironmentVariableIntValue("QT_WAYLAND_DISABLE_WINDOWDECORATION") != 0; }

// Set when the windows get a title strip of the program's own on Wayland.
bool framesAreOurs = false;

// Whether Qt may choose its Wayland plugin: asked for by name, or left to choose in a Wayland session.
bool mayUseWayland() {
  const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
  if (!platform.isEmpty()) return platform.startsWith("wayland");
  return qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
}

}  // namespace

bool tunePlatformBeforeApplication() {
  framesAreOurs = false;
  if (qEnvironmentVariableIsSet("QT_WAYLAND_CLIENT_BUFFER_INTEGRATION") || !mayUseWayland()) return false;
  // Where neither the compositor nor Qt without the integration would draw the frames, the program
  // draws a title strip of its own, unless the user asked for no frames at all (read first: asking
  // the compositor takes a connection of its own).
  framesAreOurs = !qtDrawsFramesWithoutIntegration() && !framesTurnedOff() && !compositorDrawsFrames();
  // No integration of that name exists: Qt falls back to drawing in shared memory alone.
  qputenv("QT_WAYLAND_CLIENT_BUFFER_INTEGRATION", "none");
  static const bool filtered = [] {  // once, or the filter would pass messages on to itself
    passOn = qInstallMessageHandler(dropIntegrationNotice);
    return true;
  }();
  Q_UNUSED(filtered);
  return framesAreOurs;
}

bool programDrawsWindowFrames() { return framesAreOurs && windowSystem() == WindowSystem::Wayland; }

}  // namespace sorvant
