#pragma once
// A picture of the program's own over a window drawn by Qt's Wayland plugin: a sub-surface of the
// window's surface with shared-memory buffers the program fills itself. Each buffer remembers what
// changed since it was last shown, so bringing a buffer up to date copies only that, whatever the
// compositor does with the buffer it holds: compositors that read a client's memory while they
// show it keep the last buffer until the next one comes, and a buffer that must be copied whole
// each time (as Qt's own do there) costs the whole window every frame.
#include <QImage>
#include <QPoint>
#include <QRegion>
#include <QSize>
#include <QTimer>
#include <memory>
#include <vector>

#include "shell/wayland/QtWaylandClient.h"

namespace sorvant::wayland {

// The compositor objects the layers are made of, bound on an event queue of the program's own on
// Qt's connection, so Qt's event thread reads the program's events without dispatching them.
class LayerHost {
 public:
  // Binds the objects on `display`; null when the library or a needed interface is missing.
  static std::unique_ptr<LayerHost> bind(Display* display);
  ~LayerHost();
  LayerHost(const LayerHost&) = delete;
  LayerHost& operator=(const LayerHost&) = delete;

  // Handles the events that have come for the layers (buffers the compositor let go): called before
  // the layers are shown.
  void dispatch();
  // Sends what the layers asked for at once: for their last requests, when they go away. While the
  // program runs, what the layers show in one turn of the event loop is sent when the turn ends, in
  // one write, and the compositor answers it in one (a write for the picture and another for the
  // labels cost the program a second wake-up from the compositor's answers every picture).
  void flush();
  // Sends what was asked outside a picture (a layer taken away) when the turn ends.
  void sendAtTurnEnd();
  // Whether the layers may show new pictures now. What the layers show in one turn of the event
  // loop goes to the compositor together, and the compositor shows a turn's layers in one go.
  // While it keeps up (it lets go of the buffers before the next pictures need them), the pictures
  // go as they come: asking it to say when it has shown each turn would only wake the program once
  // more a picture. Once it is found behind (a layer found every buffer still held), the layers
  // keep to its pace for a while: it is asked once a turn to say when it has shown that turn, and
  // the next turn's pictures wait for that answer, or 100 ms at the longest, as for a hidden
  // window, which gets none.
  bool mayShow();
  // Asks for the turn's answer with the next commit of `surface`, unless it was asked already or
  // the compositor keeps up.
  void askFrame(Proxy* surface);
  // A layer found every buffer still held by the compositor: the next turns keep to its pace.
  void compositorBehind();
  // `surface` goes away or stops showing: an answer asked with it will not come.
  void forgetFrame(Proxy* surface);

  const Client& wl;
  Display* const display;
  Queue* queue = nullptr;
  Proxy* compositor = nullptr;
  Proxy* subcompositor = nullptr;
  Proxy* shm = nullptr;
  std::uint32_t compositorVersion = 0;
  // Pictures the layers committed, and answers asked of the compositor (for tests and measurements).
  std::size_t commits = 0, framesAsked = 0;

 private:
  LayerHost(const Client& client, Display* display);
  void frameDone();
  Proxy* registry_ = nullptr;
  Proxy* frame_ = nullptr;         // the answer asked for, while it has not come
  Proxy* frameSurface_ = nullptr;  // the surface it was asked with
  qint64 frameAskedMs_ = 0;
  bool turnOpen_ = false;
  int pacedTurns_ = 0;  // turns still to keep to the compositor's pace
  QTimer turnEnd_;      // closes the turn and sends its requests once the event loop is back
};

class Layer {
 public:
  // A sub-surface of `parent` (a wl_surface of Qt's), above it and the layers made before, that
  // lets pointer input through to it. Shows nothing until the first present.
  Layer(LayerHost& host, Proxy* parent);
  ~Layer();
  Layer(const Layer&) = delete;
  Layer& operator=(const Layer&) = delete;

  enum class Result { Shown, Later, Failed };
  // Shows `image` (pixels of the device at `scale` device pixels per pixel of the window) with its
  // top-left at `position`, in pixels of the parent surface. `changed` is what differs, in image
  // pixels, from the image of the last call; the first call, a new size or a new scale takes it
  // whole. `clear` (image pixels) is left transparent, so the parent shows there. Later keeps the
  // change for the next call: the compositor has not yet shown the last turn's pictures (see
  // LayerHost::mayShow), or it holds every buffer.
  Result present(const QImage& image, const QRegion& changed, QPoint position, int scale, const QRegion& clear);
  // Whether a present now could show a picture: the compositor has answered for the last turn's
  // pictures and has let go of a buffer. A picture that takes work to make waits for this.
  bool canShow();
  // Takes the picture away until the next present.
  void hide();
  // Gives back every buffer but the one shown last: for a layer that has stopped changing.
  void settle();
  // Puts the layer right above the window, under every layer made before it. Takes effect with
  // the window's next commit.
  void placeUnderOthers();
  // How many buffers the layer keeps (for the measurements).
  std::size_t bufferCount() const { return buffers_.size(); }

 private:
  struct Buffer;
  Buffer* freeBuffer(QSize size);
  // Whether the layer has as many buffers as it may keep and the compositor holds every one.
  bool allHeld() const;
  void dropBuffers();
  // The part of `changed` where `image` differs from the buffer shown last.
  QRegion differing(const QImage& image, const QRegion& changed) const;
  void setRegion(std::uint32_t opcode, const QRegion& region);

  LayerHost& host_;
  Proxy* parent_ = nullptr;
  Proxy* surface_ = nullptr;
  Proxy* subsurface_ = nullptr;
  std::vector<std::unique_ptr<Buffer>> buffers_;
  Buffer* last_ = nullptr;  // the buffer shown last
  QSize size_;
  int scale_ = 0;
  QPoint position_{-1, -1};
  QRegion clear_;
  bool shown_ = false;
  // What the compositor has not been told of since the last buffer it was given (image pixels).
  QRegion unsent_;
};

}  // namespace sorvant::wayland
