#include "icecurves/model.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <stdexcept>

namespace icecurves {
namespace {

using Complex = std::complex<double>;

constexpr double kMu0 = 4.0e-7 * std::numbers::pi;
constexpr double kOmega = 2.0 * std::numbers::pi * kFrequencyHz;

// Nodes and weights of n-point Gauss-Legendre on [-1, 1], by Newton's method on P_n.
void GaussLegendre(int n, std::vector<double>& x, std::vector<double>& w) {
  x.assign(static_cast<size_t>(n), 0.0);
  w.assign(static_cast<size_t>(n), 0.0);
  for (int i = 0; i < (n + 1) / 2; ++i) {
    double z = std::cos(std::numbers::pi * (i + 0.75) / (n + 0.5));
    double derivative = 0.0;
    for (int iteration = 0; iteration < 100; ++iteration) {
      double p0 = 1.0;
      double p1 = 0.0;
      for (int k = 1; k <= n; ++k) {
        const double p2 = p1;
        p1 = p0;
        p0 = ((2.0 * k - 1.0) * z * p1 - (k - 1.0) * p2) / k;
      }
      derivative = n * (z * p0 - p1) / (z * z - 1.0);
      const double step = p0 / derivative;
      z -= step;
      if (std::fabs(step) < 1e-16) break;
    }
    x[static_cast<size_t>(i)] = -z;
    x[static_cast<size_t>(n - 1 - i)] = z;
    w[static_cast<size_t>(i)] = w[static_cast<size_t>(n - 1 - i)] = 2.0 / ((1.0 - z * z) * derivative * derivative);
  }
}

// The n-th positive zero of J1: McMahon's expansion refined by Newton's method
// (J1' = J0 - J1 / x).
double BesselJ1Zero(int n) {
  const double beta = (n + 0.25) * std::numbers::pi;
  double x = beta - 3.0 / (8.0 * beta) + 3.0 / (128.0 * beta * beta * beta);
  for (int iteration = 0; iteration < 50; ++iteration) {
    const double j1 = std::cyl_bessel_j(1.0, x);
    const double step = j1 / (std::cyl_bessel_j(0.0, x) - j1 / x);
    x -= step;
    if (std::fabs(step) < 1e-15 * x) break;
  }
  return x;
}

}  // namespace

LayeredEarth::LayeredEarth(double separation, const Quadrature& q)
    : separation_(separation), averagedSums_(q.averagedSums) {
  if (q.order < 2 || q.intervals < 2 || q.averagedSums < 0 || q.averagedSums >= q.intervals ||
      !(q.fineWidth > 0.0)) {
    throw std::invalid_argument("quadrature settings out of range");
  }
  std::vector<double> gx;
  std::vector<double> gw;
  GaussLegendre(q.order, gx, gw);
  double left = 0.0;
  for (int n = 1; n <= q.intervals; ++n) {
    const double right = BesselJ1Zero(n) / separation;
    int pieces = 1;
    if (left < q.fineLimit) pieces = std::max(1, static_cast<int>(std::ceil((right - left) / q.fineWidth)));
    const double width = (right - left) / pieces;
    for (int p = 0; p < pieces; ++p) {
      const double a = left + p * width;
      for (size_t k = 0; k < gx.size(); ++k) {
        const double lambda = a + 0.5 * width * (gx[k] + 1.0);
        const double weight = 0.5 * width * gw[k] * lambda * std::cyl_bessel_j(1.0, lambda * separation);
        nodes_.push_back({lambda, weight});
      }
    }
    intervalEnds_.push_back(nodes_.size());
    left = right;
  }
}

double LayeredEarth::ApparentConductivity(double thickness, double seaWater) const {
  const Complex j(0.0, 1.0);
  const double alpha1 = kOmega * kMu0 * kIceConductivity;
  const double alpha2 = kOmega * kMu0 * seaWater * 1e-3;
  // r_TE at lambda. lambda - Y is formed from differences that are exact in closed form, so
  // nothing cancels where Y comes close to lambda (large lambda):
  //   lambda - u1 = -j alpha1 / (lambda + u1),  u1 - u2 = j (alpha1 - alpha2) / (u1 + u2),
  //   u1 - Y = u1 (u1 - u2) (1 - tanh) / (u1 + u2 tanh),
  // and tanh(u1 d) = (1 - e) / (1 + e) with e = exp(-2 u1 d), which never overflows.
  const auto reflection = [&](double lambda) {
    const Complex u1 = std::sqrt(Complex(lambda * lambda, alpha1));
    const Complex u2 = std::sqrt(Complex(lambda * lambda, alpha2));
    const Complex e = std::exp(-2.0 * u1 * thickness);
    const Complex t = (1.0 - e) / (1.0 + e);
    const Complex oneMinusT = 2.0 * e / (1.0 + e);
    const Complex lambdaMinusU1 = -j * alpha1 / (lambda + u1);
    const Complex u1MinusU2 = j * (alpha1 - alpha2) / (u1 + u2);
    const Complex lambdaMinusY = lambdaMinusU1 + u1 * u1MinusU2 * oneMinusT / (u1 + u2 * t);
    const Complex y = lambda - lambdaMinusY;
    return lambdaMinusY / (lambda + y);
  };

  // Partial sums of the imaginary part, interval by interval; the last averagedSums + 1 are
  // averaged down to one.
  std::vector<double> sums;
  double sum = 0.0;
  size_t node = 0;
  const size_t firstAveraged = intervalEnds_.size() - 1 - static_cast<size_t>(averagedSums_);
  for (size_t interval = 0; interval < intervalEnds_.size(); ++interval) {
    for (; node < intervalEnds_[interval]; ++node) sum += nodes_[node].weight * reflection(nodes_[node].lambda).imag();
    if (interval >= firstAveraged) sums.push_back(sum);
  }
  for (size_t n = sums.size(); n > 1; --n) {
    for (size_t i = 0; i + 1 < n; ++i) sums[i] = 0.5 * (sums[i] + sums[i + 1]);
  }
  const double s2 = separation_ * separation_;
  const double quadrature = -s2 * sums[0];  // Im(Hs/Hp)
  return 4.0 * quadrature / (kOmega * kMu0 * s2) * 1e3;
}

}  // namespace icecurves
