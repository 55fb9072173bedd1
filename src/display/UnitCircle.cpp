#include "display/UnitCircle.h"

#include <array>
#include <cmath>

#include "core/NumberText.h"

namespace sorvant {
namespace {

// A bin or tick angle less a heading, a variation and a quarter turn: within three turns either way.
constexpr int kReach = 1080;

UnitPoint worked(int degrees) {
  const double a = degrees * kRadiansPerDegree;
  return {std::cos(a), std::sin(a)};
}

}  // namespace

UnitPoint unitPoint(int degrees) {
  static const auto table = [] {
    std::array<UnitPoint, 2 * kReach + 1> t{};
    for (int d = -kReach; d <= kReach; ++d) t[static_cast<std::size_t>(d + kReach)] = worked(d);
    return t;
  }();
  if (degrees < -kReach || degrees > kReach) return worked(degrees);
  return table[static_cast<std::size_t>(degrees + kReach)];
}

}  // namespace sorvant
