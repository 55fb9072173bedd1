#pragma once
// The drawing surface of the main window: a persistent image painted in twips and shown by the
// window's paint event. Pixels stay until drawn over or cleared; Refresh reports only the region
// drawn on since the last one. The image covers only the drawing area the layout names (the disc
// and the markers around it); the rest of the window keeps the colour of the last clear.
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QRegion>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "core/Interfaces.h"

namespace sorvant {

class ImageSurface final : public Surface {
 public:
  ImageSurface();
  ~ImageSurface() override;

  // Sets the window size in device-independent pixels, the device pixel ratio and the logical DPI.
  // The old pixels are kept where they still fit.
  void resize(QSize logicalSize, qreal devicePixelRatio, qreal logicalDpi);
  // Called by Refresh with the changed region, in device-independent pixels of the window.
  void setRepaintHandler(std::function<void(const QRegion&)> handler) { repaint_ = std::move(handler); }

  // The pixels of the drawing area; area() says where they lie in the window.
  const QImage& image();
  // Where the image lies in the window, in device-independent pixels.
  QRect area() const { return area_; }
  QSize windowSize() const { return window_; }
  // What the window shows outside the drawing area.
  QColor outsideColor() const { return outside_; }
  // The colour shown at a point of the window given in twips.
  QColor colorAt(float xTwips, float yTwips);

  void setDrawingArea(float x, float y, float width, float height) override;
  void clipTo(float x, float y, float width, float height) override;
  void unclip() override;
  // Lines keep their weight against the picture: on a dense screen a pixel of a line is several
  // device pixels wide.
  float pixelTwips() const override { return static_cast<float>(penScale_ / (scale_ * dpr_)); }
  void Cls() override;
  void Line(float x, float y, float dx, float dy) override;
  void Circle(float x, float y, float r) override;
  void Print(const std::string& text) override;
  void Refresh() override;

 private:
  void applyClip();
  QPainter& painter();
  void endPainting();
  // Hands the painter a cosmetic pen of the fore colour, unless it has that pen already.
  void setPen(int deviceWidth, bool dotted);
  // A point given in twips, moved by whole device pixels and placed as Qt's line drawing should
  // take it (see Line).
  QPointF onPixelGrid(qreal x, qreal y, int shiftX = 0, int shiftY = 0) const;
  void placeImage(const QRect& area);
  QRect touch(const QRectF& twipRect) const;
  void addDirty(const QRect& rect);
  // Keeps the pixels a line may change, so that Refresh can report only those it did.
  void watchLine(QPointF from, QPointF to);
  // Keeps the pixels a small drawing may change, so that Refresh can report only those it did.
  // False when the drawing is too large to watch; it is then repainted whole.
  bool watchRect(const QRect& windowPixels);
  void watchRow(int y, int left, int right);
  void forgetWatched();
  // Whether a rectangle lies within what this cycle repaints whole already.
  bool repaintsAnyway(const QRect& rect) const;
  QRegion changedRegion();

  QImage image_;
  QSize window_{1, 1};
  qreal dpr_ = 1.0;
  // Device pixels per pixel of pen width: the device pixel ratio rounded, at least 1.
  int penScale_ = 1;
  qreal dpi_ = 96.0;
  QRect area_{0, 0, 1, 1};
  // The drawing area asked for, in twips; none means the whole window.
  std::optional<QRectF> wantedArea_;
  QColor outside_;
  std::unique_ptr<QPainter> painter_;
  std::optional<QRectF> clip_;  // twips
  QRect clipPixels_;            // the clip in image pixels, a pixel to spare
  QRect clipDevice_;            // the clip rounded to whole image pixels, as the painter takes it
  // The pen last handed to the painter, so an unchanged one is not set again.
  struct PenKey {
    Color color = -1;
    int width = 0;
    int style = 0;
    bool operator==(const PenKey&) const = default;
  } pen_;
  qreal scale_ = 96.0 / 1440.0;  // device-independent pixels per twip
  // A few rectangles: what is drawn close together merges into one, while a marker and a vector
  // across the disc stay apart.
  std::vector<QRect> dirty_;
  // Rows of image pixels as they were before this cycle's small drawings touched them.
  struct Row {
    int y, left, right;
    std::size_t at;
  };
  std::vector<Row> watched_;
  std::vector<QRgb> before_;
  std::vector<QRect> watchedAreas_;  // window pixels kept whole
  std::function<void(const QRegion&)> repaint_;
};

// A QColor from a 0x00BBGGRR colour.
QColor toQColor(Color c);

}  // namespace sorvant
