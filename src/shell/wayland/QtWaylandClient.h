#pragma once
// The few entry points of libwayland-client the program calls itself, opened at run time: the program
// neither links the library nor needs its headers, and a system without it simply goes without what
// needs it. Requests are sent by their opcode in the core protocol.
#include <cstdint>

namespace sorvant::wayland {

// Opaque libwayland-client types.
struct Proxy;
struct Display;
struct Queue;
struct Interface;

// Opcodes of the core protocol's requests that the program sends.
enum : std::uint32_t {
  kDisplayGetRegistry = 1,
  kRegistryBind = 0,
  kCompositorCreateSurface = 0,
  kCompositorCreateRegion = 1,
  kSubcompositorDestroy = 0,
  kSubcompositorGetSubsurface = 1,
  kSubsurfaceDestroy = 0,
  kSubsurfaceSetPosition = 1,
  kSubsurfacePlaceAbove = 2,
  kSubsurfaceSetDesync = 5,
  kSurfaceDestroy = 0,
  kSurfaceAttach = 1,
  kSurfaceDamage = 2,
  kSurfaceFrame = 3,
  kSurfaceSetOpaqueRegion = 4,
  kSurfaceSetInputRegion = 5,
  kSurfaceCommit = 6,
  kSurfaceSetBufferScale = 8,
  kSurfaceDamageBuffer = 9,
  kRegionDestroy = 0,
  kRegionAdd = 1,
  kShmCreatePool = 0,
  kShmPoolCreateBuffer = 0,
  kShmPoolDestroy = 1,
  kBufferDestroy = 0,
};
// wl_shm formats: 32-bit pixels as QImage's RGB32 and ARGB32_Premultiplied keep them.
constexpr std::uint32_t kShmArgb8888 = 0;

struct Client {
  using Connect = Display* (*)(const char*);
  using Disconnect = void (*)(Display*);
  using Roundtrip = int (*)(Display*);
  using RoundtripQueue = int (*)(Display*, Queue*);
  using DispatchQueuePending = int (*)(Display*, Queue*);
  using Flush = int (*)(Display*);
  using CreateQueue = Queue* (*)(Display*);
  using DestroyQueue = void (*)(Queue*);
  using Marshal = void (*)(Proxy*, std::uint32_t, ...);
  using MarshalConstructor = Proxy* (*)(Proxy*, std::uint32_t, const Interface*, ...);
  using MarshalConstructorVersioned = Proxy* (*)(Proxy*, std::uint32_t, const Interface*, std::uint32_t, ...);
  using AddListener = int (*)(Proxy*, void (**)(void), void*);
  using ProxyDestroy = void (*)(Proxy*);
  using CreateWrapper = void* (*)(void*);
  using WrapperDestroy = void (*)(void*);
  using SetQueue = void (*)(Proxy*, Queue*);
  using GetVersion = std::uint32_t (*)(Proxy*);

  Connect connect = nullptr;
  Disconnect disconnect = nullptr;
  Roundtrip roundtrip = nullptr;
  RoundtripQueue roundtripQueue = nullptr;
  DispatchQueuePending dispatchQueuePending = nullptr;
  Flush flush = nullptr;
  CreateQueue createQueue = nullptr;
  DestroyQueue destroyQueue = nullptr;
  Marshal marshal = nullptr;
  MarshalConstructor marshalConstructor = nullptr;
  MarshalConstructorVersioned marshalConstructorVersioned = nullptr;
  AddListener addListener = nullptr;
  ProxyDestroy destroy = nullptr;
  CreateWrapper createWrapper = nullptr;
  WrapperDestroy wrapperDestroy = nullptr;
  SetQueue setQueue = nullptr;
  GetVersion version = nullptr;

  const Interface* registryInterface = nullptr;
  const Interface* compositorInterface = nullptr;
  const Interface* subcompositorInterface = nullptr;
  const Interface* subsurfaceInterface = nullptr;
  const Interface* surfaceInterface = nullptr;
  const Interface* regionInterface = nullptr;
  const Interface* shmInterface = nullptr;
  const Interface* shmPoolInterface = nullptr;
  const Interface* bufferInterface = nullptr;
  const Interface* callbackInterface = nullptr;

  // Hands a listener (a struct of event handlers, in the protocol's order) to a proxy.
  template <class Listener>
  void listen(Proxy* proxy, const Listener& listener, void* data) const {
    // libwayland-client reads a listener as an array of function pointers, as its own generated
    // code passes it.
    addListener(proxy, reinterpret_cast<void (**)(void)>(const_cast<Listener*>(&listener)), data);
  }
};

// The library's entry points, or null where it is missing or incomplete. Opened once, kept open.
const Client* client();

// The name of an interface (its first member, as libwayland-client lays it out).
const char* interfaceName(const Interface* interface);

}  // namespace sorvant::wayland
