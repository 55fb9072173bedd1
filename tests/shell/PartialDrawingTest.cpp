// The display draws only what changed since the last cycle. Its image must never differ from that of
// a display that draws the cursor and all vectors in every cycle on a whole-window image, and what
// changed must always be repainted.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "core/SeededRandom.h"
#include "cycle/Cycle.h"
#include "display/Layout.h"
#include "input/KeyMap.h"
#include "serial/Reception.h"
#include "settings/StartUp.h"
#include "shell/ImageSurface.h"
#include "support/Fakes.h"
#include "support/TestSystem.h"

namespace sorvant::test {
namespace {

// A whole-window image that ignores the drawing area it is offered.
class WholeWindowSurface final : public Surface {
 public:
  ImageSurface image;
  void Cls() override { pass().Cls(); }
  void Line(float x, float y, float dx, float dy) override { pass().Line(x, y, dx, dy); }
  void Circle(float x, float y, float r) override { pass().Circle(x, y, r); }
  void Print(const std::string& text) override { pass().Print(text); }
  void Refresh() override { pass().Refresh(); }
  void clipTo(float x, float y, float width, float height) override { image.clipTo(x, y, width, height); }
  void unclip() override { image.unclip(); }
  float pixelTwips() const override { return image.pixelTwips(); }

 private:
  ImageSurface& pass() {
    image.foreColor = foreColor;
    image.fillColor = fillColor;
    image.fillStyle = fillStyle;
    image.drawWidth = drawWidth;
    image.drawStyle = drawStyle;
    image.fontName = fontName;
    image.fontSize = fontSize;
    image.fontBold = fontBold;
    image.currentX = currentX;
    image.currentY = currentY;
    image.backColor = backColor;
    return image;
  }
};

struct Display {
  explicit Display(Surface& s) : surface(s), sys(Platform{&EXECUTIVE, clock, port, s, host, picker, random}) {
    port.setReceiveHandler([this] { MSComm1_OnComm(sys); });
    sys.settingsFile = TestSystem::isolateSettings();
    initialiseSystem(sys);
    loadSystem(sys);
  }
  FakeClock clock;
  FakePort port;
  Surface& surface;
  FakeWindowHost host;
  FakePicker picker;
  SeededRandom random;
  System sys;
};

struct SideBySide {
  SideBySide() {
    TestSystem::isolateSettings();
    partial = std::make_unique<Display>(partialImage);
    full = std::make_unique<Display>(fullImage);
    resize(1280, 800);
  }
  template <typename Step>
  void both(Step step) {
    // The full display forgets what it drew, so it draws the cursor and every vector again.
    full->sys.run.drawn = {};
    // Now and then: every pixel the step changes must lie in the region it asks to repaint.
    const bool watch = ++steps % 7 == 0;
    QImage before;
    QRegion repainted;
    if (watch) {
      before = partialImage.image().copy();
      partialImage.setRepaintHandler([&](const QRegion& r) { repainted += r; });
    }
    const QRect area = partialImage.area();
    step(*partial);
    if (watch) {
      partialImage.setRepaintHandler(nullptr);
      const QImage& after = partialImage.image();
      if (after.size() == before.size() && partialImage.area() == area)
        for (int y = 0; y < after.height(); ++y) {
          const auto* now = reinterpret_cast<const QRgb*>(after.constScanLine(y));
          const auto* was = reinterpret_cast<const QRgb*>(before.constScanLine(y));
          for (int x = 0; x < after.width(); ++x)
            if (now[x] != was[x] && !repainted.contains(QPoint(int(x / ratio), int(y / ratio)) + area.topLeft()))
              ++notRepainted;
        }
    }
    step(*full);
  }
  void resize(int width, int height, qreal devicePixelRatio = 1) {
    ratio = devicePixelRatio;
    both([&](Display& d) {
      d.host.scaleWidth = width * 15.0f;
      d.host.scaleHeight = height * 15.0f;
      if (&d == partial.get())
        partialImage.resize(QSize(width, height), ratio, 96.0);
      else
        fullImage.image.resize(QSize(width, height), ratio, 96.0);
      Form_Resize(d.sys);
    });
  }
  void ticks(int n) {
    for (int i = 0; i < n; ++i)
      both([](Display& d) {
        d.clock.advance(0.05);
        Timer1_Timer(d.sys);
      });
  }
  void key(int code, int shift = 0) {
    both([&](Display& d) {
      Form_KeyDown(d.sys, code, shift);
      Form_KeyUp(d.sys, code, shift);
    });
  }
  // W twice: the normal window, then the maximised one of the given size again.
  void windowTwice(int width, int height) {
    key(KeyW);
    resize(652, 453, ratio);
    ticks(1);
    key(KeyW);
    resize(width, height, ratio);
    ticks(1);
  }
  // Pixels of the window on which the two displays differ.
  int differingPixels() {
    const QImage& whole = fullImage.image.image();
    const QImage& part = partialImage.image();
    const QRect area(QPoint(qRound(partialImage.area().left() * ratio), qRound(partialImage.area().top() * ratio)),
                     part.size());
    const QRgb outside = partialImage.outsideColor().rgb();
    int differ = 0;
    for (int y = 0; y < whole.height(); ++y) {
      const auto* w = reinterpret_cast<const QRgb*>(whole.constScanLine(y));
      const bool rowInside = y >= area.top() && y <= area.bottom();
      const auto* p = rowInside ? reinterpret_cast<const QRgb*>(part.constScanLine(y - area.top())) : nullptr;
      for (int x = 0; x < whole.width(); ++x) {
        const bool inside = rowInside && x >= area.left() && x <= area.right();
        if (w[x] != (inside ? p[x - area.left()] : outside)) ++differ;
      }
    }
    return differ;
  }

  ImageSurface partialImage;
  WholeWindowSurface fullImage;
  qreal ratio = 1;  // device pixels per window pixel
  int steps = 0;
  int notRepainted = 0;
  std::unique_ptr<Display> partial;
  std::unique_ptr<Display> full;
};

// Pixels on which two images of the same size differ.
int differing(const QImage& a, const QImage& b) {
  if (a.size() != b.size()) return a.width() * a.height();
  int n = 0;
  for (int y = 0; y < a.height(); ++y) {
    const auto* p = reinterpret_cast<const QRgb*>(a.constScanLine(y));
    const auto* q = reinterpret_cast<const QRgb*>(b.constScanLine(y));
    for (int x = 0; x < a.width(); ++x) n += p[x] != q[x];
  }
  return n;
}

void feedBearing(SideBySide& d, int bearing) {
  d.both([&](Display& x) {
    x.port.feed("%" + std::string(bearing < 10 ? "00" : bearing < 100 ? "0" : "") + std::to_string(bearing));
  });
}

TEST(PartialDrawing, LeavesTheSamePixelsAsDrawingEverythingInEveryCycle) {
  SideBySide d;
  const auto check = [&](const char* after) { ASSERT_EQ(d.differingPixels(), 0) << "after " << after; };

  d.ticks(600);  // the test source, the scale growing ring by ring
  check("test source");
  // With acquisition off only the cursor moves: after its first cycle at the new bearing the solid
  // erase has run along the new line too, so rings and ticks show only at its dots.
  d.key(KeyA);
  for (int i = 0; i < 9; ++i) d.key(KeyPad8, CtrlMask);
  d.ticks(20);
  check("cursor moved with nothing else changing");
  d.key(KeyA);
  d.key(KeyPad8);  // cursor steps, onto the signal and past it
  d.ticks(100);
  d.key(KeyPad8, ShiftMask);
  d.ticks(100);
  check("cursor steps");
  d.key(KeyPad6, ShiftMask);  // manual heading steps turn the whole display
  d.ticks(100);
  d.key(KeyV);
  d.ticks(100);
  check("heading and VAR");
  d.key(KeyS);
  d.ticks(200);
  d.key(KeyR);
  d.ticks(200);
  check("sector and reduce");
  d.key(Key1);
  d.key(Key6);  // save into memory 1
  d.key(KeyC);
  d.ticks(300);
  check("clear");
  d.key(Key7);  // recall memory 1
  d.ticks(100);
  check("recall");
  d.key(KeyD);  // decay shrinks every vector now and then
  d.ticks(600);
  d.key(KeyD);
  check("decay");
  d.resize(1000, 700);
  d.ticks(300);
  check("resize");

  // The receiver: bearings from the line between the ticks, as fast as the gate lets them in. The
  // recall left the test source off and acquisition stopped; a closed port hears nothing.
  d.key(KeyA);
  ASSERT_TRUE(d.partial->port.portOpen());
  for (int i = 0; i < 1500; ++i) {
    feedBearing(d, (i * 7 % 40 + 300 + i / 50) % 360);
    d.ticks(1);
    if (i % 300 == 299) check("serial bearings");
    if (i == 700) d.key(KeyPad2, ShiftMask);  // the cursor onto the bearings
  }

  // On a dense screen lines are drawn several device pixels wide; what is drawn again along the
  // cursor line must cover them.
  d.resize(700, 450, 2);
  for (int i = 0; i < 400; ++i) {
    // Bearings spread around the cursor, so the vectors under its line keep changing.
    const DisplayState& st = d.partial->sys.st;
    feedBearing(d, ((st.CURSOR_BEARING - st.HEADING + i * 7 % 21 - 10) % 360 + 360) % 360);
    d.ticks(1);
  }
  check("scale 2");

  // A still picture (acquisition stopped) at whole and fractional scales. W twice draws everything
  // afresh: it must give back the very picture the cycles drew, and after cursor steps the picture
  // must be the one W twice then draws. The cursor never cuts the rings, ticks or letters under it.
  for (const qreal ratio : {1.0, 1.25, 1.5, 2.0}) {
    SCOPED_TRACE(ratio);
    d.resize(800, 520, ratio);
    for (int i = 0; i < 150; ++i) {
      feedBearing(d, (i * 11 % 50 + 20 + i / 10) % 360);
      d.ticks(1);
    }
    d.key(KeyA);
    d.ticks(2);
    const QImage still = d.partialImage.image().copy();
    d.windowTwice(800, 520);
    EXPECT_EQ(differing(still, d.partialImage.image()), 0);
    check("W twice");
    for (int i = 0; i < 3; ++i) {
      d.key(KeyPad8);
      d.ticks(2);
    }
    d.key(KeyPad2, ShiftMask);
    d.ticks(2);
    check("cursor steps");
    const QImage stepped = d.partialImage.image().copy();
    d.windowTwice(800, 520);
    EXPECT_EQ(differing(stepped, d.partialImage.image()), 0);
    d.key(KeyA);
  }
  EXPECT_EQ(d.notRepainted, 0);
}

TEST(PartialDrawing, LinesKeepTheirWeightAtADevicePixelRatioOf2) {
  ImageSurface surface;
  surface.resize(QSize(200, 100), 2.0, 96.0);
  // Device pixels in the pen colour down one column, between two rows given in logical pixels.
  const auto weight = [&](int x, int top, int bottom) {
    const QImage& image = surface.image();
    int count = 0;
    for (int y = 2 * top; y < 2 * bottom; ++y) count += image.pixel(2 * x, y) == qRgb(255, 0, 0);
    return count;
  };
  surface.foreColor = rgb(255, 0, 0);
  surface.drawWidth = 1;
  surface.Line(0, 300, 3000, 0);  // y 20, x 0..200 (logical pixels)
  surface.drawStyle = 2;
  surface.Line(0, 600, 3000, 0);  // dotted, y 40
  surface.drawStyle = 0;
  surface.drawWidth = 2;
  surface.Line(0, 900, 3000, 0);   // y 60
  surface.Circle(2250, 750, 300);  // a ring of radius 20 around (150, 50)
  EXPECT_EQ(weight(50, 10, 30), 2);
  int dotted = 0;  // the dots are as thick as the solid line
  for (int x = 40; x < 60; ++x) dotted = std::max(dotted, weight(x, 30, 50));
  EXPECT_EQ(dotted, 2);
  EXPECT_EQ(weight(50, 50, 70), 4);
  const int ring = weight(150, 25, 40);  // the ring's top, where it runs nearly along the row
  EXPECT_GE(ring, 4);
  EXPECT_LE(ring, 5);
}

}  // namespace
}  // namespace sorvant::test
