// The physical model behind the ice-thickness curves: the apparent conductivity that a pair of
// coplanar horizontal dipoles lying on the ice reads over a layer of ice on sea water.
//
// The earth is a layer of ice (10 mS/m, thickness d) over a half-space of sea water. The coils
// lie on the ice surface, axes horizontal and both perpendicular to the line joining them,
// s apart, at 9.8 kHz. The ratio of the secondary to the primary field is
//
//   Hs/Hp = -s^2 * integral over lambda from 0 to infinity of r_TE(lambda) lambda J1(lambda s),
//
// with r_TE = (lambda - Y) / (lambda + Y), Y = u1 (u2 + u1 tanh(u1 d)) / (u1 + u2 tanh(u1 d)),
// u_n = sqrt(lambda^2 + j omega mu0 sigma_n) (n = 1 the ice, n = 2 the sea water), and the meter
// reads its quadrature part through the low-induction-number rule
//
//   sigma_a = 4 Im(Hs/Hp) / (omega mu0 s^2).
#pragma once

#include <cstddef>
#include <vector>

namespace icecurves {

// Coil separations of the two meter types (m).
constexpr double kStandardSeparation = 3.66;
constexpr double kShortSeparation = 2.0;

constexpr double kFrequencyHz = 9800.0;
constexpr double kIceConductivity = 0.010;  // S/m

// How the Hankel transform is summed.
//   - `order`-point Gauss-Legendre on each interval between consecutive zeros of J1(lambda s);
//   - below lambda = `fineLimit` (1/m) the intervals are cut into pieces no wider than
//     `fineWidth`, for the fast variation of exp(-2 u1 d) over thick ice and of u1 and u2 near 0;
//   - `intervals` intervals in all; the partial sums after the last `averagedSums` + 1 of them
//     are averaged pairwise, again and again, down to one value (the tail alternates, and its
//     terms shrink only like lambda^-1.5, so a plain cut would be off by about 1e-3).
// The defaults agree with the half-space's closed form to 1e-13, and with 20 points, pieces of
// 0.02 and 60 intervals to 1e-13 over every curve, at a sixth of the cost.
struct Quadrature {
  int order = 12;
  double fineLimit = 3.0;
  double fineWidth = 0.1;
  int intervals = 40;
  int averagedSums = 20;
};

// The apparent conductivity (mS/m) read over ice of any thickness for one coil separation.
// The nodes and the Bessel factors depend only on the separation, so they are computed once.
class LayeredEarth {
 public:
  explicit LayeredEarth(double separation, const Quadrature& q = Quadrature());

  // Ice `thickness` (m, 0 or more) over sea water of `seaWater` mS/m.
  double ApparentConductivity(double thickness, double seaWater) const;

 private:
  struct Node {
    double lambda;
    double weight;  // Gauss weight x lambda x J1(lambda s)
  };
  double separation_;
  int averagedSums_;
  std::vector<Node> nodes_;
  std::vector<std::size_t> intervalEnds_;  // one past the last node of each interval
};

}  // namespace icecurves
