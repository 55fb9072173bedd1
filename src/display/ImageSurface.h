#pragma once
// The drawing surface of the main window: a persistent image painted in twips and shown by the
// window's paint event. Pixels stay until drawn over or cleared; Refresh reports only the region
// that changed since the last one.
#include <QImage>
#include <QPainter>
#include <QRect>
#include <functional>
#include <memory>

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
  void setRepaintHandler(std::function<void(const QRect&)> handler) { repaint_ = std::move(handler); }

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
  void touch(const QRectF& logicalRect);

  QImage image_;
  std::unique_ptr<QPainter> painter_;
  qreal scale_ = 96.0 / 1440.0;  // device-independent pixels per twip
  QRect dirty_;
  std::function<void(const QRect&)> repaint_;
};

// A QColor from a 0x00BBGGRR colour.
QColor toQColor(Color c);

}  // namespace sorvant
