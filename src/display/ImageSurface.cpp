#include "display/ImageSurface.h"

#include <QFont>
#include <QFontMetricsF>
#include <cmath>

namespace sorvant {
namespace {

// The smallest step in device-independent pixels that is a whole number of device pixels, so that
// the image can start there and every shape keeps exactly the pixels it has on a whole-window image.
int wholeDeviceStep(qreal devicePixelRatio) {
  for (int step = 1; step <= 8; ++step) {
    const qreal device = step * devicePixelRatio;
    if (std::abs(device - std::round(device)) < 1e-9) return step;
  }
  return 0;
}

}  // namespace

QColor toQColor(Color c) { return QColor(redOf(c), greenOf(c), blueOf(c)); }

ImageSurface::ImageSurface() : image_(1, 1, QImage::Format_RGB32), outside_(toQColor(backColor)) {
  image_.fill(outside_);
}

ImageSurface::~ImageSurface() { endPainting(); }

void ImageSurface::resize(QSize logicalSize, qreal devicePixelRatio, qreal logicalDpi) {
  endPainting();
  window_ = logicalSize.expandedTo(QSize(1, 1));
  dpr_ = devicePixelRatio;
  dpi_ = logicalDpi;
  scale_ = logicalDpi / 1440.0;
  setDrawingArea(0, 0, 0, 0);
  if (wantedArea_) setDrawingArea(wantedArea_->x(), wantedArea_->y(), wantedArea_->width(), wantedArea_->height());
  dirty_.assign(1, QRect(QPoint(0, 0), window_));
}

void ImageSurface::setDrawingArea(float x, float y, float width, float height) {
  const QRect whole(QPoint(0, 0), window_);
  QRect area = whole;
  const int step = wholeDeviceStep(dpr_);
  if (width > 0 && height > 0 && step > 0) {
    wantedArea_ = QRectF(x, y, width, height);
    QRect wanted = QRectF(x * scale_, y * scale_, width * scale_, height * scale_).toAlignedRect() & whole;
    // Start on a whole device pixel; the far edge only needs to cover.
    const int left = wanted.left() / step * step;
    const int top = wanted.top() / step * step;
    wanted.setTopLeft(QPoint(left, top));
    if (!wanted.isEmpty()) area = wanted;
  } else if (width <= 0 || height <= 0) {
    wantedArea_.reset();
  }
  placeImage(area);
}

void ImageSurface::placeImage(const QRect& area) {
  const QSize physical = (QSizeF(area.size()) * dpr_).toSize().expandedTo(QSize(1, 1));
  const int dotsPerMeter = qRound(dpi_ / 0.0254);
  if (area == area_ && physical == image_.size() && image_.devicePixelRatio() == dpr_ &&
      image_.dotsPerMeterX() == dotsPerMeter)
    return;
  endPainting();
  QImage next(physical, QImage::Format_RGB32);
  next.setDevicePixelRatio(dpr_);
  // Point sizes of text follow the window's logical DPI.
  next.setDotsPerMeterX(dotsPerMeter);
  next.setDotsPerMeterY(dotsPerMeter);
  next.fill(outside_);
  {
    QPainter p(&next);
    p.drawImage(QPointF(area_.topLeft() - area.topLeft()), image_);
  }
  image_ = std::move(next);
  area_ = area;
  dirty_.assign(1, QRect(QPoint(0, 0), window_));
}

const QImage& ImageSurface::image() {
  endPainting();
  return image_;
}

QColor ImageSurface::colorAt(float xTwips, float yTwips) {
  endPainting();
  const QPoint device(qRound(xTwips * scale_ * dpr_), qRound(yTwips * scale_ * dpr_));
  const QPoint inImage = device - (QPointF(area_.topLeft()) * dpr_).toPoint();
  if (!image_.rect().contains(inImage)) return outside_;
  return image_.pixelColor(inImage);
}

QPainter& ImageSurface::painter() {
  if (!painter_) {
    painter_ = std::make_unique<QPainter>(&image_);
    // No antialiasing: erasing works by drawing the same shape again in the background colour,
    // which must cover every pixel the first drawing touched.
    painter_->setRenderHint(QPainter::Antialiasing, false);
    painter_->setRenderHint(QPainter::TextAntialiasing, true);
    // Twips to pixels of the window, then moved by whole pixels to where the image starts. The
    // move is exact in floating point, so every shape keeps the pixels it has on the whole window.
    painter_->setWorldTransform(QTransform(scale_, 0, 0, scale_, -area_.left(), -area_.top()));
    pen_ = PenKey{};
    if (clip_) painter_->setClipRect(*clip_);
  }
  return *painter_;
}

void ImageSurface::clipTo(float x, float y, float width, float height) {
  clip_ = QRectF(x, y, width, height);
  if (painter_) painter_->setClipRect(*clip_);
}

void ImageSurface::unclip() {
  clip_.reset();
  if (painter_) painter_->setClipping(false);
}

void ImageSurface::endPainting() {
  if (painter_) {
    painter_->end();
    painter_.reset();
  }
}

void ImageSurface::setPen() {
  const PenKey key{foreColor, drawWidth < 1 ? 1 : drawWidth, drawStyle == 2 && drawWidth <= 1 ? 2 : 0};
  if (key == pen_) return;
  QPen p(toQColor(key.color));
  p.setCosmetic(true);  // width in pixels whatever the twip scale
  p.setWidthF(key.width);
  p.setStyle(key.style == 2 ? Qt::DotLine : Qt::SolidLine);
  p.setCapStyle(Qt::FlatCap);
  painter_->setPen(p);
  pen_ = key;
}

QRect ImageSurface::touch(const QRectF& twipRect) const {
  const qreal margin = drawWidth + 2;
  const QRectF px(twipRect.left() * scale_ - margin, twipRect.top() * scale_ - margin,
                  twipRect.width() * scale_ + 2 * margin, twipRect.height() * scale_ + 2 * margin);
  return px.toAlignedRect();
}

void ImageSurface::addDirty(const QRect& drawn) {
  // Clipped drawing changes nothing outside the clip.
  const QRect rect = clip_ ? drawn & touch(*clip_) : drawn;
  if (rect.isEmpty()) return;
  constexpr int kNear = 16;  // pixels: closer than this, two rectangles are repainted as one
  constexpr std::size_t kMostRects = 6;
  for (QRect& r : dirty_) {
    if (r.adjusted(-kNear, -kNear, kNear, kNear).intersects(rect)) {
      r |= rect;
      return;
    }
  }
  if (dirty_.size() < kMostRects)
    dirty_.push_back(rect);
  else
    dirty_.back() |= rect;
}

void ImageSurface::Cls() {
  endPainting();
  outside_ = toQColor(backColor);
  image_.fill(outside_);
  dirty_.assign(1, QRect(QPoint(0, 0), window_));
}

void ImageSurface::Line(float x, float y, float dx, float dy) {
  QPainter& p = painter();
  setPen();
  p.drawLine(QPointF(x, y), QPointF(x + dx, y + dy));
  addDirty(touch(QRectF(QPointF(x, y), QPointF(x + dx, y + dy)).normalized()));
}

void ImageSurface::Circle(float x, float y, float r) {
  QPainter& p = painter();
  setPen();
  if (fillStyle == 0)
    p.setBrush(toQColor(fillColor));
  else
    p.setBrush(Qt::NoBrush);
  p.drawEllipse(QPointF(x, y), r, r);
  addDirty(touch(QRectF(x - r, y - r, 2 * r, 2 * r)));
}

void ImageSurface::Print(const std::string& text) {
  QPainter& p = painter();
  // Text is laid out in pixels so the point size means what it says at any twip scale.
  p.save();
  p.scale(1 / scale_, 1 / scale_);
  QFont font(QString::fromStdString(fontName).compare("arial", Qt::CaseInsensitive) == 0
                 ? QStringLiteral("Arial")
                 : QString::fromStdString(fontName));
  font.setPointSizeF(fontSize);
  font.setBold(fontBold);
  p.setFont(font);
  p.setPen(toQColor(foreColor));
  const QString s = QString::fromStdString(text);
  const QPointF topLeft(currentX * scale_, currentY * scale_);
  const QRectF box(topLeft, QFontMetricsF(font, p.device()).size(Qt::TextSingleLine, s));
  p.drawText(box, Qt::AlignLeft | Qt::AlignTop, s);
  p.restore();
  addDirty(box.toAlignedRect().adjusted(-1, -1, 1, 1));
}

void ImageSurface::Refresh() {
  endPainting();
  if (dirty_.empty()) return;
  QRegion changed;
  for (const QRect& r : dirty_) changed += r;
  dirty_.clear();
  if (repaint_) repaint_(changed);
}

}  // namespace sorvant
