#pragma once
// On a Wayland compositor the parts of the main window that change while the display runs, the
// drawing surface and the labels, are shown on layers of the program's own over the window (see
// QtWaylandLayer.h), so the window drawn by Qt changes only when the operator changes it. Qt's
// Wayland plugin copies the whole window into a fresh buffer for every repaint while the
// compositor still holds the last one, which most compositors do; the layers copy only what
// changed. The picture is cut into tiles, so that only the tiles that change need a buffer more.
// Elsewhere (X11, Windows, offscreen) there are no layers and Qt shows everything.
// Qt also keeps every buffer it ever needed for the window: once the window has not changed for a
// while, the spares are given back (see dropSpareWindowBuffers).
#include <QColor>
#include <QEvent>
#include <QFont>
#include <QImage>
#include <QPointer>
#include <QRegion>
#include <QString>
#include <QTimer>
#include <memory>
#include <optional>
#include <vector>

class QLabel;
class QWidget;

namespace sorvant {

class ImageSurface;

namespace wayland {
class Layer;
class LayerHost;
struct Proxy;
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
  // Where the drawing surface's pixels begin in the window (below a title strip of the program's own).
  void setPictureOffset(QPoint offset);
  // Whether the layers are in use, and how many buffers they keep (for tests and measurements).
  bool active() const { return state_ == State::Active; }
  std::size_t bufferCount() const;
  std::size_t layerCount() const { return tiles_.size() + labels_.size(); }
  // Pictures the layers committed, and answers asked of the compositor for them.
  std::size_t commitCount() const;
  std::size_t framesAsked() const;

 private:
  WaylandLayers(QWidget& window, ImageSurface& surface);
  class Watch;
  enum class State { Waiting, Active, Off };
  // What a label's layer shows: everything of the label that its picture depends on.
  struct LabelLook {
    QString text;
    QRect rect;  // in the window
    QRgb fore = 0, back = 0;
    QFont font;
    int alignment = 0;
    bool autoFill = false, enabled = false;
    int scale = 0;
    bool operator==(const LabelLook&) const = default;
  };
  struct LabelLayer {
    QPointer<QLabel> label;
    std::unique_ptr<wayland::Layer> layer;
    std::optional<LabelLook> shown;
    bool stale = true;
    QPoint position{-1, -1};
    int unchanged = 0;  // syncs in a row that left the label alone
    QImage image;       // the label's picture, kept for the next
  };
  bool ensureActive();
  void dropLayers();
  void turnOff();
  // Drops the layers and lets Qt paint the whole window again; the layers are then in `next` state.
  void handBackToQt(State next);
  void showPicture(const QRegion& changed);
  // False when the label could not be shown now.
  bool showLabel(LabelLayer& entry, const QRect& rect);
  void movedTo(QPoint& was, QPoint now);
  // The widget on the window's surface where the picture shows through: Qt draws them.
  QRegion widgetsOver(const QRect& area) const;
  QPoint surfaceOffset() const;
  // Where the drawing surface's image lies in the window.
  QRect pictureArea() const;
  // The colour a widget stands on, outside the picture.
  QColor backgroundBehind(const QWidget& widget) const;
  LabelLook lookOf(const QLabel& label, const QRect& rect) const;
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
  QPoint pictureOffset_;
  // The picture is cut into tiles, each a layer of its own: where the compositor holds what it
  // shows, only the tiles that change need a second buffer.
  struct Tile {
    QRect rect;  // image pixels
    std::unique_ptr<wayland::Layer> layer;
    QRegion clear;
    QPoint position{-1, -1};
    bool pending = false;  // a change waits for a free buffer
    int unchanged = 0;     // pictures in a row that left the tile alone
  };
  void cutTiles(QSize imageSize);
  // False when the layers had to be given up.
  bool presentTile(Tile& tile, const QImage& image, const QRegion& change);
  // Shows the tiles and the labels whose change waits for the compositor (its answer for the last
  // pictures, or a free buffer).
  void retryWaiting();
  std::vector<Tile> tiles_;
  QSize tiledSize_;
  wayland::Proxy* parentSurface_ = nullptr;
  std::unique_ptr<wayland::LayerHost> host_;
  std::vector<LabelLayer> labels_;
  bool labelsWaiting_ = false;
  QTimer retry_;
  std::unique_ptr<Watch> watch_;
  QTimer windowIdle_;
  bool sparesDropped_ = false;
};

}  // namespace sorvant
