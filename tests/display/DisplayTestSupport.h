#pragma once
// A running system held still for drawing tests: no playback, the design window, an empty recording.
#include <cmath>
#include <vector>

#include "support/TestSystem.h"

namespace sorvant::test {

struct QuietDisplay {
  QuietDisplay() {
    ts.sys.st.SIMULATE_TIMER = false;
    // Nothing counts as drawn yet, so a routine called on its own draws all it would draw.
    ts.sys.run.drawn = {};
    ts.surface.clear();
  }
  DisplayState& st() { return ts.sys.st; }
  std::vector<DrawOp> linesIn(Color c) const {
    std::vector<DrawOp> out;
    for (const DrawOp& op : ts.surface.of(DrawOp::Line))
      if (op.foreColor == c) out.push_back(op);
    return out;
  }
  std::vector<DrawOp> circlesIn(Color c) const {
    std::vector<DrawOp> out;
    for (const DrawOp& op : ts.surface.of(DrawOp::Circle))
      if (op.foreColor == c) out.push_back(op);
    return out;
  }
  TestSystem ts;
};

}  // namespace sorvant::test
