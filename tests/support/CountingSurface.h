#pragma once
// A drawing surface that only counts what is drawn and notes any operation a real surface could not
// draw (a coordinate that is not a finite number, a negative radius). It keeps no strings, so a
// long run or a fuzzer can draw thousands of cycles a second and still check every operation.
#include <array>
#include <cmath>
#include <cstddef>

#include "core/Interfaces.h"

namespace sorvant::test {

class CountingSurface final : public Surface {
 public:
  enum Op { ClsOp, LineOp, CircleOp, PrintOp, RefreshOp, OpCount };

  void Cls() override { ++count[ClsOp]; }
  void Line(float x, float y, float dx, float dy) override {
    ++count[LineOp];
    note(x, y, dx, dy);
  }
  void Circle(float x, float y, float r) override {
    ++count[CircleOp];
    note(x, y, r, 0);
    if (r < 0) ++undrawable;
  }
  void Print(const std::string& text) override {
    ++count[PrintOp];
    note(currentX, currentY, static_cast<float>(text.size()), 0);
  }
  void Refresh() override { ++count[RefreshOp]; }

  void clear() {
    count = {};
    undrawable = 0;
  }

  std::array<std::size_t, OpCount> count{};
  std::size_t undrawable = 0;  // operations with a non-finite coordinate or a negative radius

 private:
  void note(float a, float b, float c, float d) {
    if (!std::isfinite(a) || !std::isfinite(b) || !std::isfinite(c) || !std::isfinite(d)) ++undrawable;
  }
};

}  // namespace sorvant::test
