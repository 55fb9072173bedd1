#include "shell/ImageSurface.h"

#include <QFont>
#include <QFontMetricsF>
#include <algorithm>
#include <cmath>
#include <cstring>

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
  penScale_ = std::max(1, qRound(devicePixelRatio));
  dpi_ = logicalDpi;
  scale_ = logicalDpi / 1440.0;
  const std::optional<QRectF> wanted = wantedArea_;
  if (wanted)
    setDrawingArea(wanted->x(), wanted->y(), wanted->width(), wanted->height());
  else
    setDrawingArea(0, 0, 0, 0);
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
  forgetWatched();
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
    if (clip_) applyClip();
  }
  return *painter_;
}

// The clip is also rounded to whole device pixels here. Left to Qt, the edges of a rectangle mapped
// at a fractional scale round by arithmetic that a Qt built with fused multiply-add (arm64) does
// differently from one rectangle to the next, and a vector grown in steps kept a pixel that the same
// vector drawn at once did not.
void ImageSurface::clipTo(float x, float y, float width, float height) {
  clip_ = QRectF(x, y, width, height);
  const qreal k = scale_ * dpr_;
  const QPointF origin = QPointF(area_.topLeft()) * dpr_;
  const QRectF device(clip_->topLeft() * k - origin, clip_->size() * k);
  clipPixels_ = device.toAlignedRect().adjusted(-1, -1, 1, 1);
  const QPoint topLeft(qRound(device.left()), qRound(device.top()));
  clipDevice_ = QRect(topLeft, QSize(qRound(device.right()) - topLeft.x(), qRound(device.bottom()) - topLeft.y()));
  if (painter_) applyClip();
}

void ImageSurface::applyClip() {
  const QTransform world = painter_->worldTransform();
  painter_->resetTransform();
  // Whole device pixels divided by the pixel ratio: mapped back they land within rounding of a whole
  // pixel, never near a half.
  painter_->setClipRect(QRectF(QPointF(clipDevice_.topLeft()) / dpr_, QSizeF(clipDevice_.size()) / dpr_));
  painter_->setWorldTransform(world);
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

void ImageSurface::setPen(int deviceWidth, bool dotted) {
  const PenKey key{foreColor, deviceWidth, dotted ? 2 : 0};
  if (key == pen_) return;
  QPen p(toQColor(key.color));
  p.setCosmetic(true);  // width in device pixels whatever the twip scale
  p.setWidthF(key.width);
  if (key.style != 2)
    p.setStyle(Qt::SolidLine);
  else if (penScale_ == 1)
    p.setStyle(Qt::DotLine);
  else
    p.setDashPattern({qreal(penScale_), qreal(2 * penScale_)});  // the dots keep their size too
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
  // Overlapping pieces merge when the merged rectangle is hardly larger than the two; a long
  // list ends in one rectangle taking in the rest, so each cycle stays cheap.
  constexpr std::size_t kMostRects = 96;
  const auto area = [](const QRect& r) { return static_cast<qint64>(r.width()) * r.height(); };
  for (QRect& r : dirty_) {
    if (!r.adjusted(-1, -1, 1, 1).intersects(rect)) continue;
    const QRect both = r | rect;
    if (area(both) * 4 <= (area(r) + area(rect)) * 5) {
      r = both;
      return;
    }
  }
  if (dirty_.size() < kMostRects)
    dirty_.push_back(rect);
  else
    dirty_.back() |= rect;
}

bool ImageSurface::repaintsAnyway(const QRect& rect) const {
  for (const QRect& r : dirty_)
    if (r.contains(rect)) return true;
  // Pixels kept from before an earlier drawing of this cycle already hold what was on screen.
  for (const QRect& r : watchedAreas_)
    if (r.contains(rect)) return true;
  return false;
}

void ImageSurface::forgetWatched() {
  watched_.clear();
  watchedAreas_.clear();
  // A whole redrawn disc needs a large copy; it is not kept for the small cycles that follow.
  if (before_.capacity() > (1u << 18)) {
    before_ = {};
    watched_ = {};
  } else {
    before_.clear();
  }
}

void ImageSurface::watchRow(int y, int left, int right) {
  // Clipped drawing changes nothing outside the clip (rounded out to whole pixels).
  const QRect bounds = clip_ ? clipPixels_ & image_.rect() : image_.rect();
  left = std::max(left, bounds.left());
  right = std::min(right, bounds.right());
  if (y < bounds.top() || y > bounds.bottom() || left > right) return;
  const auto* line = reinterpret_cast<const QRgb*>(image_.constScanLine(y));
  const std::size_t at = before_.size();
  const std::size_t count = static_cast<std::size_t>(right - left + 1);
  watched_.push_back(Row{y, left, right, at});
  before_.resize(at + count);
  std::memcpy(before_.data() + at, line + left, count * sizeof(QRgb));
}

void ImageSurface::watchLine(QPointF from, QPointF to) {
  // Image pixels of the two ends; every pixel the pen sets lies within a pixel or two of the line.
  const qreal k = scale_ * dpr_;
  const QPointF origin = QPointF(area_.topLeft()) * dpr_;
  const QPointF a = from * k - origin;
  const QPointF b = to * k - origin;
  const qreal slack = drawWidth * penScale_ + 1;
  // Rows outside the clip are left alone by watchRow: they are not visited.
  const QRect bounds = clip_ ? clipPixels_ & image_.rect() : image_.rect();
  const int top = std::max(static_cast<int>(std::floor(std::min(a.y(), b.y()) - slack)), bounds.top());
  const int bottom = std::min(static_cast<int>(std::ceil(std::max(a.y(), b.y()) + slack)), bounds.bottom());
  const qreal dy = b.y() - a.y();
  for (int y = top; y <= bottom; ++y) {
    qreal left = std::min(a.x(), b.x());
    qreal right = std::max(a.x(), b.x());
    if (std::abs(dy) > 1e-9) {
      // Where the line runs through this row, widened by the slack above and below.
      const qreal t0 = std::clamp((y - slack - a.y()) / dy, 0.0, 1.0);
      const qreal t1 = std::clamp((y + 1 + slack - a.y()) / dy, 0.0, 1.0);
      const qreal x0 = a.x() + (b.x() - a.x()) * t0;
      const qreal x1 = a.x() + (b.x() - a.x()) * t1;
      left = std::min(x0, x1);
      right = std::max(x0, x1);
    }
    watchRow(y, static_cast<int>(std::floor(left - slack)), static_cast<int>(std::ceil(right + slack)));
  }
}

bool ImageSurface::watchRect(const QRect& px) {
  // A whole disc changes in too many places to be worth the copy: it is repainted whole.
  if (px.width() * px.height() > 96 * 96) return false;
  watchedAreas_.push_back(px);
  const QRect device = QRectF(QPointF(px.topLeft() - area_.topLeft()) * dpr_, QSizeF(px.size()) * dpr_).toAlignedRect();
  for (int y = device.top(); y <= device.bottom(); ++y) watchRow(y, device.left(), device.right());
  return true;
}

QRegion ImageSurface::changedRegion() {
  // Each watched row yields the stretch from its first to its last changed pixel; stretches in
  // consecutive rows merge while the merged rectangle stays within twice the pixels that changed.
  struct Piece {
    QRect rect;
    int changed;
  };
  std::vector<Piece> pieces;
  std::sort(watched_.begin(), watched_.end(), [](const Row& l, const Row& r) { return l.y < r.y; });
  std::size_t open = 0;  // pieces from here on may still grow downwards
  for (const Row& row : watched_) {
    const auto* now = reinterpret_cast<const QRgb*>(image_.constScanLine(row.y));
    const QRgb* was = before_.data() + row.at;
    if (std::memcmp(now + row.left, was, static_cast<std::size_t>(row.right - row.left + 1) * sizeof(QRgb)) == 0)
      continue;
    // Runs of changed pixels; a gap of a pixel or two does not split a run.
    const auto place = [&](int first, int last, int changed) {
      const QRect piece(first, row.y, last - first + 1, 1);
      for (std::size_t i = open; i < pieces.size(); ++i) {
        Piece& p = pieces[i];
        if (p.rect.bottom() < row.y - 1) continue;
        const QRect both = p.rect | piece;
        if (both.width() * both.height() <= 2 * (p.changed + changed)) {
          p.rect = both;
          p.changed += changed;
          return;
        }
      }
      pieces.push_back(Piece{piece, changed});
    };
    int first = -1, last = -1, changed = 0;
    for (int x = row.left; x <= row.right; ++x) {
      if (now[x] == was[x - row.left]) continue;
      if (first >= 0 && x - last > 2) {
        place(first, last, changed);
        first = -1;
      }
      if (first < 0) {
        first = x;
        changed = 0;
      }
      last = x;
      ++changed;
    }
    if (first >= 0) place(first, last, changed);
    while (open < pieces.size() && pieces[open].rect.bottom() < row.y - 1) ++open;
  }
  forgetWatched();

  std::vector<QRect> rects;
  const auto toWindow = [&](const QRect& r) {
    const QRectF logical(QPointF(r.topLeft()) / dpr_, QSizeF(r.size()) / dpr_);
    return logical.toAlignedRect().translated(area_.topLeft());
  };
  constexpr std::size_t kMostPieces = 256;
  if (pieces.size() <= kMostPieces) {
    for (const Piece& p : pieces) rects.push_back(toWindow(p.rect));
  } else {
    // A redrawn disc changes pixels everywhere: bands of rows, each repainted across what changed
    // in it, keep the region small enough to build.
    constexpr int kBand = 16;
    std::vector<QRect> bands;
    for (const Piece& p : pieces) {
      const std::size_t band = static_cast<std::size_t>(p.rect.top() / kBand);
      if (band >= bands.size()) bands.resize(band + 1);
      bands[band] |= p.rect;
    }
    for (const QRect& b : bands)
      if (!b.isEmpty()) rects.push_back(toWindow(b));
  }
  rects.insert(rects.end(), dirty_.begin(), dirty_.end());
  dirty_.clear();
  QRegion region;
  for (const QRect& r : rects) region += r;
  return region;
}

void ImageSurface::Cls() {
  endPainting();
  outside_ = toQColor(backColor);
  image_.fill(outside_);
  forgetWatched();
  dirty_.assign(1, QRect(QPoint(0, 0), window_));
}

// Qt rasterises a line from its ends in 64ths of a device pixel, cut off towards zero. An end that
// falls on such a step exactly (at a scale like 1.25 many do) lands on one side or the other by the
// last bit of Qt's arithmetic, which differs with where the image starts and with fused
// multiply-add (arm64). Each end is therefore moved to the middle of its 64th, worked out here
// from the window's own device pixels, so a line gets the same pixels on every image and machine.
QPointF ImageSurface::onPixelGrid(qreal x, qreal y, int shiftX, int shiftY) const {
  const qreal k = scale_ * dpr_;
  const QPointF origin = QPointF(area_.topLeft()) * dpr_;  // whole device pixels
  const auto middle = [&](qreal twips, qreal start, int shift) {
    const qreal device = twips * k;  // in the window; the image's start is a whole number of pixels
    const qreal sixtyFourths = device * 64 - start * 64 + shift * 64;
    const qreal whole = std::trunc(sixtyFourths);
    return ((whole + std::copysign(0.5, sixtyFourths)) / 64 + start) / k;
  };
  return {middle(x, origin.x(), shiftX), middle(y, origin.y(), shiftY)};
}

void ImageSurface::Line(float x, float y, float dx, float dy) {
  QPainter& p = painter();
  const int width = std::max(1, drawWidth);
  const bool dotted = drawStyle == 2 && width == 1;
  const QPointF from(x, y);
  const QPointF to(x + dx, y + dy);
  const QRect touched = touch(QRectF(from, to).normalized());
  if (!repaintsAnyway(touched)) watchLine(from, to);
  if (dpr_ == 1 || width * penScale_ == 1) {
    setPen(width * penScale_, dotted);
    p.drawLine(onPixelGrid(from.x(), from.y()), onPixelGrid(to.x(), to.y()));
    return;
  }
  // On a dense screen a line is drawn as one-pixel lines side by side, one per device pixel of its
  // width. Qt cuts a wider line at the clip before it rasterises it, which moves its edges by a
  // pixel here and there; and at a fractional pixel ratio it places the edges of a wider line from
  // arithmetic whose rounding depends on where the image starts. One-pixel lines keep the same
  // pixels clipped or not, wherever the image starts.
  setPen(1, dotted);
  const int strands = width * penScale_;
  const bool alongX = std::abs(dx) >= std::abs(dy);
  for (int k = 0; k < strands; ++k) {
    const int offset = k - (strands - 1) / 2;  // device pixels
    const int shiftX = alongX ? 0 : offset;
    const int shiftY = alongX ? offset : 0;
    p.drawLine(onPixelGrid(from.x(), from.y(), shiftX, shiftY), onPixelGrid(to.x(), to.y(), shiftX, shiftY));
  }
}

void ImageSurface::Circle(float x, float y, float r) {
  QPainter& p = painter();
  const int width = std::max(1, drawWidth);
  setPen(width * penScale_, drawStyle == 2 && width == 1);
  if (fillStyle == 0)
    p.setBrush(toQColor(fillColor));
  else
    p.setBrush(Qt::NoBrush);
  const QRectF box(x - r, y - r, 2 * r, 2 * r);
  const QRect touched = touch(box);
  if (!repaintsAnyway(touched) && !watchRect(touched)) addDirty(touched);
  p.drawEllipse(QPointF(x, y), r, r);
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
  const QRect touched = box.toAlignedRect().adjusted(-1, -1, 1, 1);
  if (!repaintsAnyway(touched) && !watchRect(touched)) addDirty(touched);
  p.drawText(box, Qt::AlignLeft | Qt::AlignTop, s);
  p.restore();
}

void ImageSurface::Refresh() {
  endPainting();
  if (dirty_.empty() && watched_.empty()) return;
  const QRegion changed = changedRegion();
  if (repaint_ && !changed.isEmpty()) repaint_(changed);
}

}  // namespace sorvant
