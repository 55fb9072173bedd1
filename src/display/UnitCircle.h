#pragma once
// The cosine and sine of a whole number of degrees, exactly as std::cos and std::sin of
// degrees * kRadiansPerDegree give them. Every direction the display draws (compass ticks and
// letters, the cursor, one vector per bin) is a whole number of degrees turned by a whole-degree
// heading, so the same few hundred values are worked out again at every heading change; they are
// looked up instead.
namespace sorvant {

struct UnitPoint {
  double c;  // cosine
  double s;  // sine
};

UnitPoint unitPoint(int degrees);

}  // namespace sorvant
