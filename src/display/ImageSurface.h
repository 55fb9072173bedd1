#pragma once
// The drawing surface of the main window: a persistent image painted in twips and shown by the
// window's paint event. Pixels stay until drawn over or cleared; Refresh reports only the region
// that changed since the last one.
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QRegion>
#include <functional>
#include <memory>
#include <vector>

#include "core/Interfaces.h"

namespace sorvant {

class ImageSurface final : public Surface {
 public:
  ImageSurface();
  ~ImageSurface() override;

  // Sets the size in device-independent pixels, the device pixel ratio and the logical DPI.
  // The old pixels are kept where they still fit.
  void resize(QSize logicalSize, qreal devicePixelRatio, qreal logicalDpi);
  // Called by Refresh with the changed region, in device-independent pixels.
  void setRepaintHandler(std::function<void(const QRegion&)> handler) { repaint_ = std::move(handler); }

  const QImage& image();
  qreal pixelsPerTwip() const { return scale_; }

  void Cls() override;
  void Line(float x, float y, float dx, float dy) override;
  void Circle(float x, float y, float r) override;
  void Print(const std::string& text) override;
  void Refresh() override;

 private:
  QPainter& painter();
  void endPainting();
  QPen pen() const;
  QRect touch(const QRectF& logicalRect);
  void addDirty(const QRect& rect);

  // One drawing operation as it was asked for, and the pixels it may touch.
  struct Op {
    int kind = 0;
    float a = 0, b = 0, c = 0, d = 0;
    Color fore = 0, fill = 0;
    int fillStyle = 0, width = 0, style = 0;
    std::string text;
    QRect touched;
    bool sameDrawing(const Op& o) const {
      return kind == o.kind && a == o.a && b == o.b && c == o.c && d == o.d && fore == o.fore && fill == o.fill &&
             fillStyle == o.fillStyle && width == o.width && style == o.style && text == o.text;
    }
  };
  void record(int kind, float a, float b, float c, float d, const QRect& touched, const std::string& text = {});

  QImage image_;
  // The operations since the last Refresh and those of the one before. Opaque drawing repeated
  // operation for operation leaves the same pixels, so only operations that differ from their
  // counterpart last time need repainting; a whole display redrawn unchanged repaints nothing.
  std::vector<Op> current_;
  std::vector<Op> previous_;
  bool repaintAll_ = true;
  std::unique_ptr<QPainter> painter_;
  qreal scale_ = 96.0 / 1440.0;  // device-independent pixels per twip
  // A few rectangles: what is drawn close together merges into one, while a long cursor line and a
  // marker across the disc stay apart. Kept short so that each cycle stays cheap.
  std::vector<QRect> dirty_;
  std::function<void(const QRegion&)> repaint_;
};

// A QColor from a 0x00BBGGRR colour.
QColor toQColor(Color c);

}  // namespace sorvant
