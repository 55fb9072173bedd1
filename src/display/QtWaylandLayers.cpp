#include "display/QtWaylandLayers.h"

#include <QBackingStore>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QWidget>
#include <QWindow>
#include <cmath>

#include "display/ImageSurface.h"
#include "display/QtWaylandLayer.h"

#ifdef SORVANT_WAYLAND_LAYERS
#include <qpa/qplatformnativeinterface.h>
#endif

namespace sorvant {

using wayland::Layer;
using wayland::LayerHost;

namespace {

// How soon a picture that found every buffer held by the compositor is tried again.
constexpr int kRetryMs = 8;
// How long the window drawn by Qt must stay unchanged before its spare buffers are given back.
constexpr int kWindowIdleMs = 1000;

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
  if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland")) || !wayland::client()) return nullptr;
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
  QObject::connect(&retry_, &QTimer::timeout, &window_, [this] {
    if (state_ == State::Active) showPicture(QRegion());
  });
}

WaylandLayers::~WaylandLayers() {
  window_.removeEventFilter(watch_.get());
  if (QWindow* handle = window_.windowHandle()) handle->removeEventFilter(watch_.get());
  dropLayers();
}

std::size_t WaylandLayers::bufferCount() const {
  std::size_t n = picture_ ? picture_->bufferCount() : 0;
  for (const LabelLayer& l : labels_) n += l.layer ? l.layer->bufferCount() : 0;
  return n;
}

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
    dropLayers();
    letLabelsPaint(true);
    sparesDropped_ = false;
    windowIdle_.stop();
    window_.update();
    state_ = State::Waiting;
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
  picture_ = std::make_unique<Layer>(*host_, parent);
  picturePosition_ = QPoint(-1, -1);
  labels_.clear();
  for (QLabel* label : window_.findChildren<QLabel*>())
    labels_.push_back(LabelLayer{label, std::make_unique<Layer>(*host_, parent), QString(), true, QPoint(-1, -1)});
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
  picture_.reset();
  labels_.clear();
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
  dropLayers();
  letLabelsPaint(true);
  sparesDropped_ = false;
  windowIdle_.stop();
  window_.update();
  state_ = State::Off;
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
  const QRect area = surface_.area();
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
  const QRect area = surface_.area();
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
  const QPoint position = area.topLeft() + surfaceOffset();
  const Layer::Result result = picture_->present(image, toImage(changed), position, scale_, toImage(widgetsOver(area)));
  if (result == Layer::Result::Shown) {
    pictureWhole_ = false;
    movedTo(picturePosition_, position);
  } else if (result == Layer::Result::NoBufferFree) {
    pictureWhole_ = false;  // the layer keeps the change for the next try
    retry_.start();
  } else {
    turnOff();
  }
}

QString WaylandLayers::labelKey(const QLabel& label, const QRect& rect) const {
  const QPalette& p = label.palette();
  return label.text() + QLatin1Char('\x1f') + label.font().key() + QLatin1Char('\x1f') +
         p.color(QPalette::WindowText).name() + p.color(QPalette::Window).name() +
         QString::number(label.autoFillBackground()) + QString::number(label.alignment()) +
         QString::number(label.isEnabled()) + QLatin1Char('\x1f') + QString::number(rect.x()) + QLatin1Char(',') +
         QString::number(rect.y()) + QLatin1Char(',') + QString::number(rect.width()) + QLatin1Char(',') +
         QString::number(rect.height()) + QLatin1Char('@') + QString::number(scale_);
}

void WaylandLayers::syncLabels() {
  if (!ensureActive()) return;
  for (LabelLayer& l : labels_) {
    if (!l.label || !l.layer) continue;
    const QRect rect(l.label->mapTo(&window_, QPoint(0, 0)), l.label->size());
    if (!l.label->isVisibleTo(&window_) || !window_.isVisible() || rect.isEmpty()) {
      l.layer->hide();
      l.shown.clear();
      continue;
    }
    const QString key = labelKey(*l.label, rect);
    if (key == l.shown && !l.stale) continue;
    if (!showLabel(l, rect)) {
      if (state_ != State::Active) return;
      continue;  // no buffer free: tried again at the next sync
    }
    l.shown = key;
    l.stale = false;
  }
}

bool WaylandLayers::showLabel(LabelLayer& entry, const QRect& rect) {
  // The window's pixels under the label as Qt would paint them: the window itself, the panel round
  // the label and the label.
  QImage image(rect.size() * scale_, QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(scale_);
  image.fill(Qt::transparent);
  for (LabelLayer& l : labels_)
    if (l.label) l.label->setAttribute(Qt::WA_UpdatesDisabled, false);
  window_.render(&image, QPoint(0, 0), QRegion(rect), QWidget::DrawWindowBackground | QWidget::DrawChildren);
  for (LabelLayer& l : labels_)
    if (l.label) l.label->setAttribute(Qt::WA_UpdatesDisabled, true);
  const QPoint position = rect.topLeft() + surfaceOffset();
  const Layer::Result result = entry.layer->present(image, QRegion(image.rect()), position, scale_, QRegion());
  if (result == Layer::Result::Failed) turnOff();
  if (result != Layer::Result::Shown) return false;
  movedTo(entry.position, position);
  return true;
}

void WaylandLayers::movedTo(QPoint& was, QPoint now) {
  // A layer's new place takes effect with the window's next commit: one is asked for, where the
  // window would not make one by itself.
  if (was != now) window_.update(QRect(now - surfaceOffset(), QSize(1, 1)));
  was = now;
}

}  // namespace sorvant
