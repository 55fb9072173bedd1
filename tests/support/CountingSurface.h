#pragma once
// A drawing surface that draws nothing and only counts the operations a real surface could not draw
// (a coordinate that is not a finite number, a negative radius). It keeps no strings, so a long run
// or a fuzzer can draw thousands of cycles a second and still check every operation.
#include <cmath>
#include <cstddef>

#include "core/Interfaces.h"

namespace sorvant::test {

class CountingSurface final : public Surface {
 public:
  void Cls() override {}
  void Line(float x, float y, float dx, float dy) override { note(x, y, dx, dy); }
  void Circle(float x, float y, float r) override {
    note(x, y, r, 0);
    if (r < 0) ++undrawable;
  }
  void Print(const std::string& text) override { note(currentX, currentY, static_cast<float>(text.size()), 0); }
  void Refresh() override {}

  std::size_t undrawable = 0;  // operations with a non-finite coordinate or a negative radius

 private:
  void note(float a, float b, float c, float d) {
    if (!std::isfinite(a) || !std::isfinite(b) || !std::isfinite(c) || !std::isfinite(d)) ++undrawable;
  }
};

}  // namespace sorvant::test
