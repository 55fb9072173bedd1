#pragma once
// On a Wayland compositor the parts of the main window that change while the display runs, the
// drawing surface and the labels, are shown on layers of the program's own over the window (see
// QtWaylandLayer.h), so the window drawn by Qt changes only when the operator changes it. Qt's
// Wayland plugin copies the whole window into a fresh buffer for every repaint while the
// compositor still holds the last one, which most compositors do; the layers copy only what
// changed. Elsewhere (X11, Windows, offscreen) there are no layers and Qt shows everything.
// Qt also keeps every buffer it ever needed for the window: once the window has not changed for a
// while, the spares are given back (see dropSpareWindowBuffers).
#include <QEvent>
#include <QPointer>
#include <QRegion>
#include <QString>
#include <QTimer>
#include <memory>
#include <vector>

class QLabel;
class QWidget;

namespace sorvant {

class ImageSurface;

namespace wayland {
class Layer;
class LayerHost;
}  // namespace wayland

class WaylandLayers {
 public:
  // The layers for `window`, which shows `surface`; null unless Qt shows the window on Wayland and
  // this build can reach its objects there. They come into use once the window has its surface.
  static std::unique_ptr<WaylandLayers> create(QWidget& window, ImageSurface& surface);
  ~WaylandLayers();
  WaylandLayers(const WaylandLayers&) = delete;
  WaylandLayers& operator=(const WaylandLayers&) = delete;

  // Shows what changed on the drawing surface (in pixels of the window); returns what the window
  // must still repaint itself.
  QRegion present(const QRegion& changed);
  // Brings the labels' layers up to date after their widgets were.
  void syncLabels();
  // Whether the layers are in use, and how many buffers they keep (for tests and measurements).
  bool active() const { return state_ == State::Active; }
  std::size_t bufferCount() const;

 private:
  WaylandLayers(QWidget& window, ImageSurface& surface);
  class Watch;
  enum class State { Waiting, Active, Off };
  struct LabelLayer {
    QPointer<QLabel> label;
    std::unique_ptr<wayland::Layer> layer;
    QString shown;  // what the layer shows, as labelKey() says it
    bool stale = true;
    QPoint position;
  };
  bool ensureActive();
  void dropLayers();
  void turnOff();
  void showPicture(const QRegion& changed);
  // False when the label could not be shown now.
  bool showLabel(LabelLayer& entry, const QRect& rect);
  void movedTo(QPoint& was, QPoint now);
  // The widget on the window's surface where the picture shows through: Qt draws them.
  QRegion widgetsOver(const QRect& area) const;
  QPoint surfaceOffset() const;
  QString labelKey(const QLabel& label, const QRect& rect) const;
  void letLabelsPaint(bool paint);
  // Qt's Wayland plugin keeps every buffer it made for the window (two where the compositor holds
  // the one it shows, up to five while the window settles), each the whole window. Asking it once
  // for a tiny picture makes it let go of every one the compositor does not hold; the window's next
  // repaint is then made whole, so nothing of the tiny picture is ever shown.
  void dropSpareWindowBuffers();
  void windowEvent(QEvent::Type type);

  QWidget& window_;
  ImageSurface& surface_;
  State state_ = State::Waiting;
  void* boundSurface_ = nullptr;
  int scale_ = 1;
  bool pictureWhole_ = true;
  QPoint picturePosition_{-1, -1};
  std::unique_ptr<wayland::LayerHost> host_;
  std::unique_ptr<wayland::Layer> picture_;
  std::vector<LabelLayer> labels_;
  QTimer retry_;
  std::unique_ptr<Watch> watch_;
  QTimer windowIdle_;
  bool sparesDropped_ = false;
};

}  // namespace sorvant
