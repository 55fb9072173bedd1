#include "shell/wayland/QtWaylandClient.h"

#include <QtGlobal>

#if defined(Q_OS_LINUX) || defined(Q_OS_FREEBSD)
#include <dlfcn.h>
#define SORVANT_HAS_DLOPEN 1
#endif

namespace sorvant::wayland {
namespace {

#ifdef SORVANT_HAS_DLOPEN
template <class F>
void take(void* lib, const char* name, F& f) {
  f = reinterpret_cast<F>(dlsym(lib, name));
}

const Interface* interface(void* lib, const char* name) { return static_cast<const Interface*>(dlsym(lib, name)); }

Client open() {
  Client c;
  void* lib = dlopen("libwayland-client.so.0", RTLD_LAZY | RTLD_LOCAL);
  if (!lib) return c;
  take(lib, "wl_display_connect", c.connect);
  take(lib, "wl_display_disconnect", c.disconnect);
  take(lib, "wl_display_roundtrip", c.roundtrip);
  take(lib, "wl_display_roundtrip_queue", c.roundtripQueue);
  take(lib, "wl_display_dispatch_queue_pending", c.dispatchQueuePending);
  take(lib, "wl_display_flush", c.flush);
  take(lib, "wl_display_create_queue", c.createQueue);
  take(lib, "wl_event_queue_destroy", c.destroyQueue);
  take(lib, "wl_proxy_marshal", c.marshal);
  take(lib, "wl_proxy_marshal_constructor", c.marshalConstructor);
  take(lib, "wl_proxy_marshal_constructor_versioned", c.marshalConstructorVersioned);
  take(lib, "wl_proxy_add_listener", c.addListener);
  take(lib, "wl_proxy_destroy", c.destroy);
  take(lib, "wl_proxy_create_wrapper", c.createWrapper);
  take(lib, "wl_proxy_wrapper_destroy", c.wrapperDestroy);
  take(lib, "wl_proxy_set_queue", c.setQueue);
  take(lib, "wl_proxy_get_version", c.version);
  c.registryInterface = interface(lib, "wl_registry_interface");
  c.compositorInterface = interface(lib, "wl_compositor_interface");
  c.subcompositorInterface = interface(lib, "wl_subcompositor_interface");
  c.subsurfaceInterface = interface(lib, "wl_subsurface_interface");
  c.surfaceInterface = interface(lib, "wl_surface_interface");
  c.regionInterface = interface(lib, "wl_region_interface");
  c.shmInterface = interface(lib, "wl_shm_interface");
  c.shmPoolInterface = interface(lib, "wl_shm_pool_interface");
  c.bufferInterface = interface(lib, "wl_buffer_interface");
  c.callbackInterface = interface(lib, "wl_callback_interface");
  return c;
}

bool complete(const Client& c) {
  return c.connect && c.disconnect && c.roundtrip && c.roundtripQueue && c.dispatchQueuePending && c.flush &&
         c.createQueue && c.destroyQueue && c.marshal && c.marshalConstructor && c.marshalConstructorVersioned &&
         c.addListener && c.destroy && c.createWrapper && c.wrapperDestroy && c.setQueue && c.version &&
         c.registryInterface && c.compositorInterface && c.subcompositorInterface && c.subsurfaceInterface &&
         c.surfaceInterface && c.regionInterface && c.shmInterface && c.shmPoolInterface && c.bufferInterface &&
         c.callbackInterface;
}
#endif

}  // namespace

const Client* client() {
#ifdef SORVANT_HAS_DLOPEN
  static const Client opened = open();
  static const bool usable = complete(opened);
  return usable ? &opened : nullptr;
#else
  return nullptr;
#endif
}

const char* interfaceName(const Interface* interface) { return *reinterpret_cast<const char* const*>(interface); }

}  // namespace sorvant::wayland
