#pragma once
#include <cstdint>

namespace sorvant {

// A colour as 0x00BBGGRR: red in the low byte, then green, then blue.
using Color = int32_t;

constexpr Color rgb(int r, int g, int b) { return Color((b & 0xFF) << 16 | (g & 0xFF) << 8 | (r & 0xFF)); }
constexpr int redOf(Color c) { return c & 0xFF; }
constexpr int greenOf(Color c) { return (c >> 8) & 0xFF; }
constexpr int blueOf(Color c) { return (c >> 16) & 0xFF; }

// The eight colour targets in slot order, with their default values.
enum ColorSlot : int {
  DisplayBackground = 1,
  ButtonBackground,
  LegendText,
  AzimuthBackground,
  AzimuthScale,
  RangeRings,
  Vectors,
  CursorColor
};
constexpr Color kDefaultColors[9] = {0, 5602168, 7314328, 10211039, 37120, 13092807, 4227327, 16777215, 7340031};

// The platform's button-face and button-shadow colours, used to mark a failed port.
constexpr Color kButtonFace = rgb(240, 240, 240);
constexpr Color kButtonShadow = rgb(160, 160, 160);

}  // namespace sorvant
