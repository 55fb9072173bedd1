#include "shell/wayland/QtWaylandLayer.h"

#include <QtGlobal>
#include <algorithm>
#include <chrono>
#include <cstring>

#if defined(Q_OS_LINUX) || defined(Q_OS_FREEBSD)
#include <sys/mman.h>
#include <unistd.h>
#define SORVANT_WAYLAND_SHM 1
#endif

namespace sorvant::wayland {
namespace {

// Two buffers take turns where the compositor holds the one it shows. A compositor slow to let go
// of the one before (one that takes longer than a frame to draw, as kwin at 3840x2160 without a
// graphics card) sets the pace: the layer waits for it rather than taking a third.
constexpr std::size_t kMostBuffers = 2;
// How long a picture waits for the compositor to show the one before; a hidden window gets no
// answer, and a slow compositor is not waited for longer than this.
constexpr qint64 kFrameWaitMs = 100;
// How many turns the layers keep to the compositor's pace once it was found behind.
constexpr int kPacedTurns = 40;
// A spare buffer that has not been needed for this many pictures in a row is given back, so a
// compositor that lets go at once leaves the layer with one.
constexpr int kIdlePictures = 20;

struct RegistryListener {
  void (*global)(void* data, Proxy* registry, std::uint32_t name, const char* interface, std::uint32_t version);
  void (*globalRemove)(void* data, Proxy* registry, std::uint32_t name);
};

struct BufferListener {
  void (*release)(void* data, Proxy* buffer);
};

struct CallbackListener {
  void (*done)(void* data, Proxy* callback, std::uint32_t time);
};

// Used by the shared-memory layers only, which systems without Wayland do not build.
[[maybe_unused]] qint64 nowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

struct Globals {
  LayerHost* host;
  std::uint32_t compositor = 0, compositorVersion = 0, subcompositor = 0, shm = 0;
};

}  // namespace

struct Layer::Buffer {
  const Client& wl;
  Proxy* buffer = nullptr;
  uchar* data = nullptr;
  std::size_t bytes = 0;
  int stride = 0;
  bool busy = false;
  // What differs from the picture the layer shows now (image pixels).
  QRegion stale;
  int idle = 0;

  explicit Buffer(const Client& client) : wl(client) {}
  ~Buffer() {
    if (buffer) {
      wl.marshal(buffer, kBufferDestroy);
      wl.destroy(buffer);
    }
#ifdef SORVANT_WAYLAND_SHM
    if (data) munmap(data, bytes);
#endif
  }
};

#ifdef SORVANT_WAYLAND_SHM

std::unique_ptr<LayerHost> LayerHost::bind(Display* display) {
  const Client* wl = client();
  if (!wl || !display) return nullptr;
  std::unique_ptr<LayerHost> host(new LayerHost(*wl, display));
  host->queue = wl->createQueue(display);
  if (!host->queue) return nullptr;
  // The registry comes from a wrapper of the display that delivers to the program's queue; every
  // object made from it follows.
  auto* wrapper = static_cast<Proxy*>(wl->createWrapper(display));
  if (!wrapper) return nullptr;
  wl->setQueue(wrapper, host->queue);
  host->registry_ = wl->marshalConstructor(wrapper, kDisplayGetRegistry, wl->registryInterface, nullptr);
  wl->wrapperDestroy(wrapper);
  if (!host->registry_) return nullptr;
  Globals globals{host.get()};
  static const RegistryListener listener{
      [](void* data, Proxy*, std::uint32_t name, const char* interface, std::uint32_t version) {
        auto* g = static_cast<Globals*>(data);
        const Client& c = g->host->wl;
        if (std::strcmp(interface, interfaceName(c.compositorInterface)) == 0) {
          g->compositor = name;
          g->compositorVersion = version;
        } else if (std::strcmp(interface, interfaceName(c.subcompositorInterface)) == 0) {
          g->subcompositor = name;
        } else if (std::strcmp(interface, interfaceName(c.shmInterface)) == 0) {
          g->shm = name;
        }
      },
      [](void*, Proxy*, std::uint32_t) {}};
  wl->listen(host->registry_, listener, &globals);
  const bool answered = wl->roundtripQueue(display, host->queue) >= 0;
  if (!answered || !globals.compositor || !globals.subcompositor || !globals.shm) return nullptr;
  // Version 3 brings the buffer scale, 4 the damage in buffer pixels.
  host->compositorVersion = std::min<std::uint32_t>(globals.compositorVersion, 4);
  if (host->compositorVersion < 3) return nullptr;
  const auto bindGlobal = [&](std::uint32_t name, const Interface* interface, std::uint32_t version) {
    return wl->marshalConstructorVersioned(host->registry_, kRegistryBind, interface, version, name,
                                           interfaceName(interface), version, nullptr);
  };
  host->compositor = bindGlobal(globals.compositor, wl->compositorInterface, host->compositorVersion);
  host->subcompositor = bindGlobal(globals.subcompositor, wl->subcompositorInterface, 1);
  host->shm = bindGlobal(globals.shm, wl->shmInterface, 1);
  // The listener's data lives on this stack only: later globals are not wanted.
  wl->destroy(host->registry_);
  host->registry_ = nullptr;
  if (!host->compositor || !host->subcompositor || !host->shm) return nullptr;
  // The compositor's announcements for the new objects (shm formats) are not needed.
  if (wl->roundtripQueue(display, host->queue) < 0) return nullptr;
  return host;
}

LayerHost::~LayerHost() {
  if (subcompositor) {
    wl.marshal(subcompositor, kSubcompositorDestroy);
    wl.destroy(subcompositor);
  }
  if (shm) wl.destroy(shm);
  if (compositor) wl.destroy(compositor);
  if (registry_) wl.destroy(registry_);
  if (frame_) wl.destroy(frame_);
  flush();
  if (queue) wl.destroyQueue(queue);
}

LayerHost::LayerHost(const Client& client, Display* display) : wl(client), display(display) {
  turnEnd_.setSingleShot(true);
  turnEnd_.setInterval(0);
  QObject::connect(&turnEnd_, &QTimer::timeout, [this] {
    turnOpen_ = false;
    flush();
  });
}

void LayerHost::dispatch() { wl.dispatchQueuePending(display, queue); }

void LayerHost::flush() { wl.flush(display); }

Layer::Layer(LayerHost& host, Proxy* parent) : host_(host), parent_(parent) {
  const Client& wl = host.wl;
  surface_ = wl.marshalConstructor(host.compositor, kCompositorCreateSurface, wl.surfaceInterface, nullptr);
  if (!surface_) return;
  subsurface_ = wl.marshalConstructor(host.subcompositor, kSubcompositorGetSubsurface, wl.subsurfaceInterface, nullptr,
                                      surface_, parent);
  if (!subsurface_) return;
  // The layer changes on its own, without waiting for Qt to commit the window.
  wl.marshal(subsurface_, kSubsurfaceSetDesync);
  // Pointer input goes through to the window, where the widgets are.
  setRegion(kSurfaceSetInputRegion, QRegion());
}

Layer::~Layer() {
  const Client& wl = host_.wl;
  buffers_.clear();
  host_.forgetFrame(surface_);
  if (subsurface_) {
    wl.marshal(subsurface_, kSubsurfaceDestroy);
    wl.destroy(subsurface_);
  }
  if (surface_) {
    wl.marshal(surface_, kSurfaceDestroy);
    wl.destroy(surface_);
  }
}

void Layer::setRegion(std::uint32_t opcode, const QRegion& region) {
  const Client& wl = host_.wl;
  Proxy* r = wl.marshalConstructor(host_.compositor, kCompositorCreateRegion, wl.regionInterface, nullptr);
  if (!r) return;
  for (const QRect& rect : region) wl.marshal(r, kRegionAdd, rect.x(), rect.y(), rect.width(), rect.height());
  wl.marshal(surface_, opcode, r);
  wl.marshal(r, kRegionDestroy);
  wl.destroy(r);
}

Layer::Buffer* Layer::freeBuffer(QSize size) {
  // Of the buffers the compositor has let go, the one with the least to catch up on.
  const auto cost = [](const Buffer& b) {
    const QRect r = b.stale.boundingRect();
    return static_cast<qint64>(r.width()) * r.height();
  };
  Buffer* best = nullptr;
  for (auto& b : buffers_)
    if (!b->busy && (!best || cost(*b) < cost(*best))) best = b.get();
  if (best || buffers_.size() >= kMostBuffers) return best;

  const Client& wl = host_.wl;
  auto b = std::make_unique<Buffer>(wl);
  b->stride = size.width() * 4;
  b->bytes = static_cast<std::size_t>(b->stride) * static_cast<std::size_t>(size.height());
  const int fd = memfd_create("sorvant-layer", MFD_CLOEXEC);
  if (fd < 0) return nullptr;
  void* data = MAP_FAILED;
  if (ftruncate(fd, static_cast<off_t>(b->bytes)) == 0)
    data = mmap(nullptr, b->bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (data == MAP_FAILED) {
    close(fd);
    return nullptr;
  }
  b->data = static_cast<uchar*>(data);
  // libwayland-client sends a duplicate of the descriptor: this one can go at once.
  Proxy* pool = wl.marshalConstructor(host_.shm, kShmCreatePool, wl.shmPoolInterface, nullptr, fd,
                                      static_cast<std::int32_t>(b->bytes));
  close(fd);
  if (!pool) return nullptr;
  b->buffer = wl.marshalConstructor(pool, kShmPoolCreateBuffer, wl.bufferInterface, nullptr, 0, size.width(),
                                    size.height(), b->stride, kShmArgb8888);
  // The memory stays with the buffer; the pool is not needed any more.
  wl.marshal(pool, kShmPoolDestroy);
  wl.destroy(pool);
  if (!b->buffer) return nullptr;
  static const BufferListener listener{[](void* data, Proxy*) { static_cast<Buffer*>(data)->busy = false; }};
  wl.listen(b->buffer, listener, b.get());
  b->stale = QRect(QPoint(0, 0), size);
  buffers_.push_back(std::move(b));
  return buffers_.back().get();
}

QRegion Layer::differing(const QImage& image, const QRegion& changed) const {
  // The buffer shown last holds what the screen shows: of each changed rectangle only the rows
  // that differ from it remain, so a tile that a wide redraw left as it was needs no buffer.
  QRegion differs;
  for (const QRect& r : changed) {
    const std::size_t rowBytes = static_cast<std::size_t>(r.width()) * 4;
    int first = -1, last = -1;
    for (int y = r.top(); y <= r.bottom(); ++y) {
      if (std::memcmp(last_->data + static_cast<std::ptrdiff_t>(y) * last_->stride + r.x() * 4,
                      image.constScanLine(y) + r.x() * 4, rowBytes) == 0)
        continue;
      if (first < 0) first = y;
      last = y;
    }
    if (first >= 0) differs += QRect(r.x(), first, r.width(), last - first + 1);
  }
  return differs;
}

void Layer::dropBuffers() {
  // The compositor keeps what it shows from a buffer destroyed while it holds it.
  buffers_.clear();
  last_ = nullptr;
}

void Layer::settle() {
  // Buffers shown before the last one are not needed again, even where the compositor has not let
  // go of them yet: it keeps its own mapping of their memory for as long as it holds them.
  std::erase_if(buffers_, [this](const std::unique_ptr<Buffer>& b) { return b.get() != last_; });
}

Layer::Result Layer::present(const QImage& image, const QRegion& changed, QPoint position, int scale,
                             const QRegion& clear) {
  if (!subsurface_ || scale < 1 || image.isNull() || image.depth() != 32) return Result::Failed;
  const Client& wl = host_.wl;

  const QRect whole(QPoint(0, 0), image.size());
  if (image.size() != size_ || scale != scale_) {
    dropBuffers();
    size_ = image.size();
    unsent_ = whole;
    clear_ = QRegion(-1, -1, 1, 1);  // not a region anyone asks for: the opaque region is set below
  }
  if (position != position_) {
    // Takes effect with the window's next commit, as the window's own layout does.
    wl.marshal(subsurface_, kSubsurfaceSetPosition, position.x(), position.y());
    position_ = position;
  }
  const QRegion toClear = clear & whole;
  if (toClear != clear_) {
    // Where the window showed through before may need the picture back: every buffer takes it all.
    for (auto& b : buffers_) b->stale = whole;
    unsent_ = whole;
    clear_ = toClear;
    const QRect logical(QPoint(0, 0), size_ / scale);
    QRegion clearLogical;
    for (const QRect& r : clear_)
      clearLogical += QRect(r.x() / scale, r.y() / scale, (r.right() / scale) - (r.x() / scale) + 1,
                            (r.bottom() / scale) - (r.y() / scale) + 1);
    setRegion(kSurfaceSetOpaqueRegion, QRegion(logical) - clearLogical);
  }
  const QRegion change = shown_ && last_ ? differing(image, changed & whole) : QRegion(changed & whole);
  unsent_ |= change;
  for (auto& b : buffers_) b->stale |= change;
  if (unsent_.isEmpty() && shown_) return Result::Shown;
  if (!host_.mayShow()) return Result::Later;

  if (allHeld()) {
    host_.compositorBehind();
    return Result::Later;
  }
  Buffer* b = freeBuffer(size_);
  if (!b) return Result::Failed;
  // Only what changed since this buffer was last shown is copied.
  for (const QRect& r : b->stale) {
    const std::size_t rowBytes = static_cast<std::size_t>(r.width()) * 4;
    for (int y = r.top(); y <= r.bottom(); ++y)
      std::memcpy(b->data + static_cast<std::ptrdiff_t>(y) * b->stride + r.x() * 4, image.constScanLine(y) + r.x() * 4,
                  rowBytes);
  }
  for (const QRect& r : clear_)
    for (int y = r.top(); y <= r.bottom(); ++y)
      std::memset(b->data + static_cast<std::ptrdiff_t>(y) * b->stride + r.x() * 4, 0,
                  static_cast<std::size_t>(r.width()) * 4);
  b->stale = QRegion();
  b->idle = 0;

  if (scale != scale_) {
    wl.marshal(surface_, kSurfaceSetBufferScale, scale);
    scale_ = scale;
  }
  wl.marshal(surface_, kSurfaceAttach, b->buffer, 0, 0);
  const QRegion damage = shown_ ? unsent_ : QRegion(whole);
  for (const QRect& r : damage) {
    if (host_.compositorVersion >= 4) {
      wl.marshal(surface_, kSurfaceDamageBuffer, r.x(), r.y(), r.width(), r.height());
    } else {
      const QRect s(r.x() / scale, r.y() / scale, r.width() / scale + 2, r.height() / scale + 2);
      wl.marshal(surface_, kSurfaceDamage, s.x(), s.y(), s.width(), s.height());
    }
  }
  host_.askFrame(surface_);
  wl.marshal(surface_, kSurfaceCommit);
  ++host_.commits;
  b->busy = true;
  last_ = b;
  shown_ = true;
  unsent_ = QRegion();

  // Spares that were not needed for a while go back to the system.
  for (auto it = buffers_.begin(); it != buffers_.end();) {
    Buffer* other = it->get();
    if (other != b && !other->busy && ++other->idle > kIdlePictures && buffers_.size() > 1)
      it = buffers_.erase(it);
    else
      ++it;
  }
  return Result::Shown;
}

bool LayerHost::mayShow() {
  if (turnOpen_) return true;
  if (frame_) {
    if (nowMs() - frameAskedMs_ < kFrameWaitMs) return false;
    frameDone();  // no answer in time: the pictures go without it
  }
  turnOpen_ = true;
  turnEnd_.start();
  if (pacedTurns_ > 0) --pacedTurns_;
  return true;
}

void LayerHost::compositorBehind() { pacedTurns_ = kPacedTurns; }

void LayerHost::askFrame(Proxy* surface) {
  if (frame_ || !turnOpen_ || pacedTurns_ == 0) return;
  frame_ = wl.marshalConstructor(surface, kSurfaceFrame, wl.callbackInterface, nullptr);
  if (!frame_) return;
  static const CallbackListener listener{
      [](void* data, Proxy*, std::uint32_t) { static_cast<LayerHost*>(data)->frameDone(); }};
  wl.listen(frame_, listener, this);
  ++framesAsked;
  frameSurface_ = surface;
  frameAskedMs_ = nowMs();
}

void LayerHost::sendAtTurnEnd() {
  if (!turnEnd_.isActive()) turnEnd_.start();
}

void LayerHost::forgetFrame(Proxy* surface) {
  if (surface && surface == frameSurface_) frameDone();
}

void LayerHost::frameDone() {
  if (frame_) wl.destroy(frame_);
  frame_ = nullptr;
  frameSurface_ = nullptr;
}

bool Layer::allHeld() const {
  return buffers_.size() >= kMostBuffers &&
         std::none_of(buffers_.begin(), buffers_.end(), [](const std::unique_ptr<Buffer>& b) { return !b->busy; });
}

bool Layer::canShow() {
  if (!subsurface_ || !host_.mayShow()) return false;
  if (!allHeld()) return true;
  host_.compositorBehind();
  return false;
}

void Layer::placeUnderOthers() {
  if (subsurface_) host_.wl.marshal(subsurface_, kSubsurfacePlaceAbove, parent_);
}

void Layer::hide() {
  if (!subsurface_ || !shown_) return;
  const Client& wl = host_.wl;
  wl.marshal(surface_, kSurfaceAttach, static_cast<Proxy*>(nullptr), 0, 0);
  wl.marshal(surface_, kSurfaceCommit);
  host_.sendAtTurnEnd();
  host_.forgetFrame(surface_);  // a surface not shown gets no answer
  shown_ = false;
  unsent_ = QRect(QPoint(0, 0), size_);
}

#else

std::unique_ptr<LayerHost> LayerHost::bind(Display*) { return nullptr; }
LayerHost::LayerHost(const Client& client, Display* display) : wl(client), display(display) {}
LayerHost::~LayerHost() = default;
void LayerHost::dispatch() {}
void LayerHost::flush() {}
bool LayerHost::mayShow() { return false; }
void LayerHost::askFrame(Proxy*) {}
void LayerHost::forgetFrame(Proxy*) {}
void LayerHost::sendAtTurnEnd() {}
void LayerHost::compositorBehind() {}
void LayerHost::frameDone() {}
Layer::Layer(LayerHost& host, Proxy* parent) : host_(host), parent_(parent) {}
Layer::~Layer() = default;
Layer::Result Layer::present(const QImage&, const QRegion&, QPoint, int, const QRegion&) { return Result::Failed; }
void Layer::hide() {}
bool Layer::canShow() { return false; }

void Layer::placeUnderOthers() {}
void Layer::settle() {}

#endif

}  // namespace sorvant::wayland
