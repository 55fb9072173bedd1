#include "display/ImageSurface.h"

#include <QFont>
#include <QFontMetricsF>

namespace sorvant {

QColor toQColor(Color c) { return QColor(redOf(c), greenOf(c), blueOf(c)); }

ImageSurface::ImageSurface() : image_(1, 1, QImage::Format_RGB32) { image_.fill(toQColor(backColor)); }

ImageSurface::~ImageSurface() { endPainting(); }

void ImageSurface::resize(QSize logicalSize, qreal devicePixelRatio, qreal logicalDpi) {
  endPainting();
  scale_ = logicalDpi / 1440.0;
  const QSize physical = (QSizeF(logicalSize) * devicePixelRatio).toSize().expandedTo(QSize(1, 1));
  if (physical == image_.size() && devicePixelRatio == image_.devicePixelRatio() &&
      image_.dotsPerMeterX() == qRound(logicalDpi / 0.0254))
    return;
  QImage next(physical, QImage::Format_RGB32);
  next.setDevicePixelRatio(devicePixelRatio);
  // Point sizes of text follow the window's logical DPI.
  next.setDotsPerMeterX(qRound(logicalDpi / 0.0254));
  next.setDotsPerMeterY(qRound(logicalDpi / 0.0254));
  next.fill(toQColor(backColor));
  {
    QPainter p(&next);
    p.drawImage(QPoint(0, 0), image_);
  }
  image_ = std::move(next);
  dirty_.assign(1, QRect(QPoint(0, 0), logicalSize));
  repaintAll_ = true;
}

const QImage& ImageSurface::image() {
  endPainting();
  return image_;
}

QPainter& ImageSurface::painter() {
  if (!painter_) {
    painter_ = std::make_unique<QPainter>(&image_);
    // No antialiasing: erasing works by drawing the same shape again in the background colour,
    // which must cover every pixel the first drawing touched.
    painter_->setRenderHint(QPainter::Antialiasing, false);
    painter_->setRenderHint(QPainter::TextAntialiasing, true);
    painter_->scale(scale_, scale_);
  }
  return *painter_;
}

void ImageSurface::endPainting() {
  if (painter_) {
    painter_->end();
    painter_.reset();
  }
}

QPen ImageSurface::pen() const {
  QPen p(toQColor(foreColor));
  p.setCosmetic(true);  // width in pixels whatever the twip scale
  p.setWidthF(drawWidth < 1 ? 1 : drawWidth);
  p.setStyle(drawStyle == 2 && drawWidth <= 1 ? Qt::DotLine : Qt::SolidLine);
  p.setCapStyle(Qt::FlatCap);
  return p;
}

QRect ImageSurface::touch(const QRectF& twipRect) {
  const qreal margin = drawWidth + 2;
  const QRectF px(twipRect.left() * scale_ - margin, twipRect.top() * scale_ - margin,
                  twipRect.width() * scale_ + 2 * margin, twipRect.height() * scale_ + 2 * margin);
  return px.toAlignedRect();
}

void ImageSurface::record(int kind, float a, float b, float c, float d, const QRect& touched, const std::string& text) {
  Op op;
  op.kind = kind;
  op.a = a;
  op.b = b;
  op.c = c;
  op.d = d;
  op.fore = foreColor;
  op.fill = fillStyle == 0 ? fillColor : 0;
  op.fillStyle = fillStyle;
  op.width = drawWidth;
  op.style = drawStyle;
  op.text = text;
  op.touched = touched;
  current_.push_back(std::move(op));
  addDirty(touched);
}

void ImageSurface::addDirty(const QRect& rect) {
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
  image_.fill(toQColor(backColor));
  dirty_.assign(1, QRect(QPoint(0, 0), (QSizeF(image_.size()) / image_.devicePixelRatio()).toSize()));
  repaintAll_ = true;
}

void ImageSurface::Line(float x, float y, float dx, float dy) {
  QPainter& p = painter();
  p.setPen(pen());
  p.drawLine(QPointF(x, y), QPointF(x + dx, y + dy));
  record(1, x, y, dx, dy, touch(QRectF(QPointF(x, y), QPointF(x + dx, y + dy)).normalized()));
}

void ImageSurface::Circle(float x, float y, float r) {
  QPainter& p = painter();
  p.setPen(pen());
  if (fillStyle == 0)
    p.setBrush(toQColor(fillColor));
  else
    p.setBrush(Qt::NoBrush);
  p.drawEllipse(QPointF(x, y), r, r);
  record(2, x, y, r, 0, touch(QRectF(x - r, y - r, 2 * r, 2 * r)));
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
  record(3, currentX, currentY, fontSize, fontBold ? 1 : 0, box.toAlignedRect().adjusted(-1, -1, 1, 1),
         fontName + '\n' + text);
}

void ImageSurface::Refresh() {
  endPainting();
  if (!repaintAll_ && current_.size() == previous_.size()) {
    dirty_.clear();
    for (std::size_t i = 0; i < current_.size(); ++i) {
      if (current_[i].sameDrawing(previous_[i])) continue;
      addDirty(current_[i].touched);
      addDirty(previous_[i].touched);
    }
  }
  previous_.swap(current_);
  current_.clear();
  repaintAll_ = false;
  if (dirty_.empty()) return;
  QRegion changed;
  for (const QRect& r : dirty_) changed += r;
  dirty_.clear();
  if (repaint_) repaint_(changed);
}

}  // namespace sorvant
