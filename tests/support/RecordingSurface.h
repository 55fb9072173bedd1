#pragma once
// A drawing surface that records every operation with the pen, fill and text state it used.
#include <string>
#include <vector>

#include "core/Interfaces.h"

namespace sorvant::test {

struct DrawOp {
  enum Kind { Cls, Line, Circle, Print, Refresh } kind;
  float x = 0, y = 0, dx = 0, dy = 0, r = 0;
  std::string text;
  Color foreColor = 0, fillColor = 0, backColor = 0;
  int fillStyle = 0, drawWidth = 0, drawStyle = 0;
  std::string fontName;
  float fontSize = 0;
  bool fontBold = false;
};

class RecordingSurface final : public Surface {
 public:
  void Cls() override { record(DrawOp::Cls); }
  void Line(float x, float y, float dx, float dy) override {
    DrawOp& op = record(DrawOp::Line);
    op.x = x;
    op.y = y;
    op.dx = dx;
    op.dy = dy;
  }
  void Circle(float x, float y, float r) override {
    DrawOp& op = record(DrawOp::Circle);
    op.x = x;
    op.y = y;
    op.r = r;
  }
  void Print(const std::string& text) override {
    DrawOp& op = record(DrawOp::Print);
    op.x = currentX;
    op.y = currentY;
    op.text = text;
  }
  void Refresh() override { record(DrawOp::Refresh); }

  std::vector<DrawOp> ops;
  void clear() { ops.clear(); }
  std::vector<DrawOp> of(DrawOp::Kind kind) const {
    std::vector<DrawOp> out;
    for (const DrawOp& op : ops)
      if (op.kind == kind) out.push_back(op);
    return out;
  }

 private:
  DrawOp& record(DrawOp::Kind kind) {
    DrawOp op;
    op.kind = kind;
    op.foreColor = foreColor;
    op.fillColor = fillColor;
    op.backColor = backColor;
    op.fillStyle = fillStyle;
    op.drawWidth = drawWidth;
    op.drawStyle = drawStyle;
    op.fontName = fontName;
    op.fontSize = fontSize;
    op.fontBold = fontBold;
    ops.push_back(op);
    return ops.back();
  }
};

}  // namespace sorvant::test
