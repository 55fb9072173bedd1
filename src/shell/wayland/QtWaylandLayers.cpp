#include "shell/wayland/QtWaylandLayers.h"

#include <QBackingStore>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cmath>

#include "shell/ImageSurface.h"
#include "shell/QtWindowSystem.h"
#include "shell/wayland/QtWaylandLayer.h"

#ifdef SORVANT_WAYLAND_LAYERS
#include <qpa/qplatformnativeinterface.h>
#endif

namespace sorvant {

using wayland::Layer;
using wayland::LayerHost;

namespace {

// How soon a tile that found every buffer held by the compositor is tried again (a frame of a
// 60 Hz screen); while nothing can be shown (a locked screen, a window the compositor does not draw),
// ever less often, up to the longest.
constexpr int kRetryMs = 16;
constexpr int kLongestRetryMs = 256;
// How long the window drawn by Qt must stay unchanged before its spare buffers are given back.
constexpr int kWindowIdleMs = 1000;
// A layer left alone for this many pictures (or label syncs) in a row keeps only the buffer it shows.
constexpr int kSettleAfter = 20;
// The side of a tile of the picture, in device pixels: on a screen of a higher scale the tiles are
// as many device pixels, so the part of the picture kept twice while it changes does not grow
// with the scale. A tile's side is a whole number of window pixels at any scale.
constexpr int kTileDevicePixels = 192;

void* nativeResource(const char* name, QWindow* window) {
#ifdef SORVANT_WAYLAND_LAYERS
  QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
  if (!native) return nullptr;
  return window ? native->nativeResourceForWindow(name, window) : native->nativeResourceForIntegration(name);
#else
  Q_UNUSED(name);
  Q_UNUSED(window);
  return nullptr;
#endif
}

}  // namespace

std::unique_ptr<WaylandLayers> WaylandLayers::create(QWidget& window, ImageSurface& surface) {
#ifdef SORVANT_WAYLAND_LAYERS
  if (windowSystem() != WindowSystem::Wayland || !wayland::client()) return nullptr;
  return std::unique_ptr<WaylandLayers>(new WaylandLayers(window, surface));
#else
  Q_UNUSED(window);
  Q_UNUSED(surface);
  return nullptr;
#endif
}

// Tells the layers when Qt is about to paint the window, or shows it anew.
class WaylandLayers::Watch final : public QObject {
 public:
  explicit Watch(WaylandLayers& layers) : layers_(layers) {}
  bool eventFilter(QObject*, QEvent* event) override {
    layers_.windowEvent(event->type());
    return false;
  }

 private:
  WaylandLayers& layers_;
};

WaylandLayers::WaylandLayers(QWidget& window, ImageSurface& surface)
    : window_(window), surface_(surface), watch_(std::make_unique<Watch>(*this)) {
  window_.installEventFilter(watch_.get());
  windowIdle_.setSingleShot(true);
  windowIdle_.setInterval(kWindowIdleMs);
  QObject::connect(&windowIdle_, &QTimer::timeout, &window_, [this] { dropSpareWindowBuffers(); });
  retry_.setSingleShot(true);
  retry_.setInterval(kRetryMs);
  QObject::connect(&retry_, &QTimer::timeout, &window_, [this] { retryWaiting(); });
}

WaylandLayers::~WaylandLayers() {
  window_.removeEventFilter(watch_.get());
  if (QWindow* handle = window_.windowHandle()) handle->removeEventFilter(watch_.get());
  dropLayers();
}

std::size_t WaylandLayers::bufferCount() const {
  std::size_t n = 0;
  for (const Tile& t : tiles_) n += t.layer ? t.layer->bufferCount() : 0;
  for (const LabelLayer& l : labels_) n += l.layer ? l.layer->bufferCount() : 0;
  return n;
}

std::size_t WaylandLayers::commitCount() const { return host_ ? host_->commits : 0; }

std::size_t WaylandLayers::framesAsked() const { return host_ ? host_->framesAsked : 0; }

bool WaylandLayers::ensureActive() {
  if (state_ == State::Off) return false;
  QWindow* handle = window_.windowHandle();
  void* wlSurface = handle && handle->handle() ? nativeResource("surface", handle) : nullptr;
  // The layers take the window's pixels one for one, so the window's scale must be a whole number.
  const qreal dpr = window_.devicePixelRatioF();
  const int scale = static_cast<int>(std::lround(dpr));
  const bool whole = scale >= 1 && std::abs(dpr - scale) < 1e-6;
  if (state_ == State::Active && wlSurface == boundSurface_ && whole) {
    scale_ = scale;
    return true;
  }
  if (state_ == State::Active) {
    // The window has a new surface (Qt makes one each time the window is shown) or a scale the
    // layers cannot take: the old layers go, and Qt shows everything until new ones are made.
    handBackToQt(State::Waiting);
  }
  if (!wlSurface || !whole) return false;
  if (!host_) {
    host_ = LayerHost::bind(static_cast<wayland::Display*>(nativeResource("wl_display", nullptr)));
    if (!host_) {
      state_ = State::Off;
      return false;
    }
  }
  auto* parent = static_cast<wayland::Proxy*>(wlSurface);
  parentSurface_ = parent;
  tiles_.clear();
  tiledSize_ = QSize();
  picturePosition_ = QPoint(-1, -1);
  labels_.clear();
  for (QLabel* label : window_.findChildren<QLabel*>()) {
    LabelLayer l;
    l.label = label;
    l.layer = std::make_unique<Layer>(*host_, parent);
    labels_.push_back(std::move(l));
  }
  // From here on the labels are painted for their layers only, never by Qt into the window.
  letLabelsPaint(false);
  boundSurface_ = wlSurface;
  scale_ = scale;
  pictureWhole_ = true;
  state_ = State::Active;
  // The window's own exposures come to its native window, not to the widget.
  handle->removeEventFilter(watch_.get());
  handle->installEventFilter(watch_.get());
  windowIdle_.start();
  return true;
}

void WaylandLayers::dropLayers() {
  retry_.stop();
  tiles_.clear();
  tiledSize_ = QSize();
  labels_.clear();
  if (host_) host_->flush();
  boundSurface_ = nullptr;
}

void WaylandLayers::windowEvent(QEvent::Type type) {
  if (type != QEvent::UpdateRequest && type != QEvent::Expose) return;
  if (sparesDropped_) {
    // Qt's next buffer starts empty, while Qt repaints only what changed and takes the rest to
    // be there still: every widget is painted again.
    sparesDropped_ = false;
    window_.update();
    for (QWidget* w : window_.findChildren<QWidget*>()) w->update();
  }
  if (state_ == State::Active) windowIdle_.start();
}

void WaylandLayers::dropSpareWindowBuffers() {
  if (state_ != State::Active || sparesDropped_ || !window_.isVisible() || window_.isMinimized()) return;
  QBackingStore* store = window_.backingStore();
  if (!store || !store->handle()) return;
  const QSize size = store->size();
  if (size.isEmpty()) return;
  store->resize(QSize(1, 1));
  store->beginPaint(QRegion(0, 0, 1, 1));
  store->endPaint();
  store->resize(size);
  sparesDropped_ = true;
}

void WaylandLayers::turnOff() {
  // Something the layers need failed: Qt shows everything again, as it does where there are none.
  handBackToQt(State::Off);
}

void WaylandLayers::handBackToQt(State next) {
  dropLayers();
  letLabelsPaint(true);
  sparesDropped_ = false;
  windowIdle_.stop();
  window_.update();
  state_ = next;
}

void WaylandLayers::letLabelsPaint(bool paint) {
  for (QLabel* label : window_.findChildren<QLabel*>()) label->setUpdatesEnabled(paint);
}

QPoint WaylandLayers::surfaceOffset() const {
  // Where Qt draws a frame of its own round the window, the surface starts at the frame.
  const QWindow* handle = window_.windowHandle();
  const QMargins frame = handle ? handle->frameMargins() : QMargins();
  return QPoint(frame.left(), frame.top());
}

QRect WaylandLayers::pictureArea() const { return surface_.area().translated(pictureOffset_); }

void WaylandLayers::setPictureOffset(QPoint offset) {
  if (offset == pictureOffset_) return;
  pictureOffset_ = offset;
  // Every tile and the labels over the picture are shown again at their new places.
  pictureWhole_ = true;
  for (LabelLayer& l : labels_) l.stale = true;
}

QRegion WaylandLayers::widgetsOver(const QRect& area) const {
  QRegion over;
  for (QObject* child : window_.children()) {
    auto* w = qobject_cast<QWidget*>(child);
    if (!w || w->isWindow() || !w->isVisible() || qobject_cast<QLabel*>(w)) continue;
    over += w->geometry() & area;
  }
  return over;
}

QRegion WaylandLayers::present(const QRegion& changed) {
  if (!ensureActive()) return changed;
  const QRect area = pictureArea();
  QRegion onPicture = changed & area;
  if (pictureWhole_) onPicture = area;
  // A label over the picture shows what lies under it: its layer is drawn again.
  for (LabelLayer& l : labels_)
    if (l.label && onPicture.intersects(QRect(l.label->mapTo(&window_, QPoint(0, 0)), l.label->size()))) l.stale = true;
  showPicture(onPicture);
  if (state_ != State::Active) return changed | area;
  return changed - area;
}

void WaylandLayers::showPicture(const QRegion& changed) {
  const QImage& image = surface_.image();
  const QRect area = pictureArea();
  const qreal dpr = image.devicePixelRatio();
  if (std::abs(dpr - scale_) > 1e-6) {
    // The picture is not yet at the window's new scale; the resize that brings it follows.
    return;
  }
  const auto toImage = [&](const QRegion& windowRegion) {
    QRegion px;
    for (const QRect& r : windowRegion)
      px += QRectF(QPointF(r.topLeft() - area.topLeft()) * dpr, QSizeF(r.size()) * dpr).toAlignedRect();
    return px;
  };
  if (image.size() != tiledSize_) cutTiles(image.size());
  host_->dispatch();
  const QRegion changedPixels = toImage(changed);
  const QRegion clear = toImage(widgetsOver(area));
  const QPoint origin = area.topLeft() + surfaceOffset();
  // Most tiles lie away from what changed and from the widgets on the picture: no region is made
  // for them.
  const QRect changedBounds = changedPixels.boundingRect(), clearBounds = clear.boundingRect();
  const auto part = [](const QRegion& whole, const QRect& bounds, const QRect& tile) {
    return bounds.intersects(tile) ? (whole & tile).translated(-tile.topLeft()) : QRegion();
  };
  bool waiting = false, shown = false;
  for (Tile& t : tiles_) {
    const QRegion tileChange = part(changedPixels, changedBounds, t.rect);
    const QRegion tileClear = part(clear, clearBounds, t.rect);
    const QPoint position = origin + t.rect.topLeft() / scale_;
    if (tileChange.isEmpty() && !t.pending && tileClear == t.clear && position == t.position) {
      if (++t.unchanged == kSettleAfter) t.layer->settle();
      continue;
    }
    t.unchanged = 0;
    t.clear = tileClear;
    t.position = position;
    if (!presentTile(t, image, tileChange)) return;
    waiting = waiting || t.pending;
    shown = shown || !t.pending;
  }
  pictureWhole_ = false;
  movedTo(picturePosition_, origin);
  if (shown) retry_.setInterval(kRetryMs);
  if (waiting) retry_.start();
}

bool WaylandLayers::presentTile(Tile& t, const QImage& image, const QRegion& change) {
  // The tile's pixels where they lie in the picture, not copied.
  const auto bytesPerLine = image.bytesPerLine();
  const QImage view(image.constBits() + t.rect.y() * bytesPerLine + t.rect.x() * 4, t.rect.width(), t.rect.height(),
                    bytesPerLine, image.format());
  const Layer::Result result = t.layer->present(view, change, t.position, scale_, t.clear);
  if (result == Layer::Result::Failed) {
    turnOff();
    return false;
  }
  // With no buffer free the layer keeps the change for the next try.
  t.pending = result == Layer::Result::Later;
  return true;
}

void WaylandLayers::retryWaiting() {
  if (state_ != State::Active || surface_.image().size() != tiledSize_) return;
  host_->dispatch();
  bool waiting = false, shown = false;
  for (Tile& t : tiles_) {
    if (!t.pending) continue;
    if (!presentTile(t, surface_.image(), QRegion())) return;
    waiting = waiting || t.pending;
    shown = shown || !t.pending;
  }
  // Labels that a turn could not show wait here too: where the compositor answers more slowly than
  // the pictures come, this is where its answer is taken first.
  if (labelsWaiting_) {
    syncLabels();
    if (state_ != State::Active) return;
    waiting = waiting || labelsWaiting_;
    shown = shown || !labelsWaiting_;
  }
  retry_.setInterval(shown ? kRetryMs : std::min(retry_.interval() * 2, kLongestRetryMs));
  if (waiting) retry_.start();
}

void WaylandLayers::cutTiles(QSize imageSize) {
  tiles_.clear();
  const int side = std::max(1, (kTileDevicePixels + scale_ / 2) / scale_) * scale_;
  for (int y = 0; y < imageSize.height(); y += side) {
    for (int x = 0; x < imageSize.width(); x += side) {
      Tile t;
      t.rect = QRect(x, y, std::min(side, imageSize.width() - x), std::min(side, imageSize.height() - y));
      t.layer = std::make_unique<Layer>(*host_, parentSurface_);
      // Under the labels, which may have been made before.
      t.layer->placeUnderOthers();
      tiles_.push_back(std::move(t));
    }
  }
  tiledSize_ = imageSize;
  picturePosition_ = QPoint(-1, -1);  // the new tiles' places and order take effect with the window's next commit
}

WaylandLayers::LabelLook WaylandLayers::lookOf(const QLabel& label, const QRect& rect) const {
  const QPalette& p = label.palette();
  return LabelLook{label.text(),
                   rect,
                   p.color(QPalette::WindowText).rgba(),
                   p.color(QPalette::Window).rgba(),
                   label.font(),
                   static_cast<int>(label.alignment()),
                   label.autoFillBackground(),
                   label.isEnabled(),
                   scale_};
}

void WaylandLayers::syncLabels() {
  if (!ensureActive()) return;
  host_->dispatch();
  labelsWaiting_ = false;
  for (LabelLayer& l : labels_) {
    if (!l.label || !l.layer) continue;
    const QRect rect(l.label->mapTo(&window_, QPoint(0, 0)), l.label->size());
    if (!l.label->isVisibleTo(&window_) || !window_.isVisible() || rect.isEmpty()) {
      l.layer->hide();
      l.shown.reset();
      continue;
    }
    LabelLook look = lookOf(*l.label, rect);
    if (look == l.shown && !l.stale) {
      if (++l.unchanged == kSettleAfter) l.layer->settle();
      continue;
    }
    l.unchanged = 0;
    if (!showLabel(l, rect)) {
      if (state_ != State::Active) return;
      labelsWaiting_ = true;  // tried again soon, and at the next sync
      continue;
    }
    l.shown = std::move(look);
    l.stale = false;
  }
  if (labelsWaiting_ && !retry_.isActive()) retry_.start();
}

bool WaylandLayers::showLabel(LabelLayer& entry, const QRect& rect) {
  // A label that could not be shown now is not drawn for nothing; it stays due for the next sync.
  if (!entry.layer->canShow()) return false;
  QImage& image = entry.image;
  if (image.size() != rect.size() * scale_) {
    image = QImage(rect.size() * scale_, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale_);
  }
  if (rect.intersects(pictureArea())) {
    // Over the picture: the window's pixels there as Qt would paint them, the picture, whatever
    // stands on it and the label.
    image.fill(Qt::transparent);
    for (LabelLayer& l : labels_)
      if (l.label) l.label->setAttribute(Qt::WA_UpdatesDisabled, false);
    window_.render(&image, QPoint(0, 0), QRegion(rect), QWidget::DrawWindowBackground | QWidget::DrawChildren);
    for (LabelLayer& l : labels_)
      if (l.label) l.label->setAttribute(Qt::WA_UpdatesDisabled, true);
  } else {
    // Elsewhere a label stands on a plain background: the label alone on that colour.
    image.fill(backgroundBehind(*entry.label));
    entry.label->setAttribute(Qt::WA_UpdatesDisabled, false);
    entry.label->render(&image, QPoint(0, 0), QRegion(), QWidget::RenderFlags());
    entry.label->setAttribute(Qt::WA_UpdatesDisabled, true);
  }
  const QPoint position = rect.topLeft() + surfaceOffset();
  const Layer::Result result = entry.layer->present(image, QRegion(image.rect()), position, scale_, QRegion());
  if (result == Layer::Result::Failed) turnOff();
  if (result != Layer::Result::Shown) return false;
  movedTo(entry.position, position);
  return true;
}

QColor WaylandLayers::backgroundBehind(const QWidget& widget) const {
  // The first of its parents that fills its background; the window shows the colour of the last
  // clear outside the picture.
  for (const QWidget* p = widget.parentWidget(); p && p != &window_; p = p->parentWidget())
    if (p->autoFillBackground()) return p->palette().color(p->backgroundRole());
  return surface_.outsideColor();
}

void WaylandLayers::movedTo(QPoint& was, QPoint now) {
  // A layer's new place takes effect with the window's next commit: one is asked for, where the
  // window would not make one by itself.
  if (was != now) window_.update(QRect(now - surfaceOffset(), QSize(1, 1)));
  was = now;
}

}  // namespace sorvant
