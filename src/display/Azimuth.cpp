#include "display/Azimuth.h"

#include "display/UnitCircle.h"

namespace sorvant {
namespace {

struct CompassLetter {
  const char* text;
  int baseAngle;  // the letter's bearing + 270, reduced to 0..359
  int xOffset;    // roughly half the letter's width in Arial 12 bold
};

constexpr CompassLetter kLetters[] = {{"N", 270, 80}, {"NE", 315, 180}, {"E", 0, 80},    {"SE", 45, 180},
                                      {"S", 90, 80},  {"SW", 135, 180}, {"W", 180, 120}, {"NW", 225, 200}};
constexpr int kLetterYOffset = 135;

// A tick running inwards from the disc's edge at screen angle k - R.
void drawTick(System& sys, int k, Integer r, double length) {
  const DisplayState& st = sys.st;
  const auto [c, s] = unitPoint(static_cast<Integer>(k - r));
  sys.surface.Line(static_cast<Single>(st.CENTERX + st.AZRADIUS * c), static_cast<Single>(st.CENTERY + st.AZRADIUS * s),
                   static_cast<Single>(-length * c), static_cast<Single>(-length * s));
}

}  // namespace

void AZIMUTH(System& sys) {
  DisplayState& st = sys.st;
  Surface& s = sys.surface;

  s.drawWidth = 2;
  s.fillStyle = 0;
  s.fillColor = sys.color(AzimuthBackground);
  s.foreColor = sys.color(AzimuthScale);
  // The filled disc wipes whatever lay inside it: old vectors, rings, cursor line, ticks.
  s.Circle(st.CENTERX, st.CENTERY, st.AZRADIUS);
  sys.run.drawn.vectorsValid = false;
  sys.run.drawn.cursorValid = false;
  s.fillStyle = 1;
  s.Circle(st.CENTERX, st.CENTERY, st.AZRADIUS + 50);

  s.Line(st.CENTERX, st.CENTERY - 110, 0, 220);
  s.Line(st.CENTERX - 110, st.CENTERY, 220, 0);

  st.AZIMUTH_HEADING = sys.varOn() ? static_cast<Integer>(st.HEADING - st.HEADING_CORRECTION) : st.HEADING;
  const Integer r = st.AZIMUTH_HEADING;

  for (int k = 0; k <= 350; k += 10) drawTick(sys, k, r, 150);
  for (int k = 5; k <= 355; k += 10) drawTick(sys, k, r, 75);

  s.fontName = "arial";
  s.fontSize = 12;
  s.fontBold = true;
  for (const CompassLetter& letter : kLetters) {
    const UnitPoint p = unitPoint(static_cast<Integer>(letter.baseAngle - r));
    s.currentX = static_cast<Single>(st.AZRADIUS * p.c * 0.91 + (st.CENTERX - letter.xOffset));
    s.currentY = static_cast<Single>(st.AZRADIUS * p.s * 0.91 + (st.CENTERY - kLetterYOffset));
    s.Print(letter.text);
  }

  s.drawWidth = 1;
  st.NEWAZIMUTH = false;
}

}  // namespace sorvant
