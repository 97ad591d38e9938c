// The ice-curve generator: its quadrature against the half-space's closed form and a finer
// setting, its model against the measured curves and end values, the committed table against
// the generator's output, and the checks the table must pass.
#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <complex>
#include <fstream>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "child_process.h"
#include "engine/ice.h"
#include "icecurves/model.h"
#include "icecurves/table.h"

namespace icecurves {
namespace {

using Complex = std::complex<double>;

// Coplanar horizontal dipoles on a homogeneous half-space of `sigma` mS/m, quasi-static: the
// total field over the primary is 2 [1 - 3 / (g s)^2 + (3 + 3 g s + (g s)^2) e^(-g s) / (g s)^2],
// g = sqrt(j omega mu0 sigma).
double HalfSpace(double separation, double sigma) {
  const double omegaMu = 2.0 * std::numbers::pi * kFrequencyHz * 4.0e-7 * std::numbers::pi;
  const Complex gs = std::sqrt(Complex(0.0, omegaMu * sigma * 1e-3)) * separation;
  const Complex total = 2.0 * (1.0 - 3.0 / (gs * gs) + (3.0 + 3.0 * gs + gs * gs) * std::exp(-gs) / (gs * gs));
  return 4.0 * (total - 1.0).imag() / (omegaMu * separation * separation) * 1e3;
}

double Relative(double value, double reference) { return std::fabs(value / reference - 1.0); }

std::string FileText(const char* path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(IceModel, NoIceIsTheHalfSpaceOfSeaWater) {
  for (int type = 0; type < kTypes; ++type) {
    const LayeredEarth earth(Separation(type));
    for (double sigma : {2000.0, 2500.0, 3000.0, 100.0}) {
      const double closed = HalfSpace(Separation(type), sigma);
      EXPECT_LT(Relative(earth.ApparentConductivity(0.0, sigma), closed), 1e-10) << type << " " << sigma;
    }
  }
}

// The default quadrature agrees with a much finer one over thick and thin ice.
TEST(IceModel, TheQuadratureHasConverged) {
  Quadrature fine;
  fine.order = 20;
  fine.fineWidth = 0.02;
  fine.intervals = 60;
  fine.averagedSums = 30;
  for (int type = 0; type < kTypes; ++type) {
    const LayeredEarth normal(Separation(type));
    const LayeredEarth finer(Separation(type), fine);
    for (double d : {0.1, 1.3, 3.5, 7.0}) {
      for (int k : {0, 10}) {
        const double sw = SeaWaterConductivity(k);
        EXPECT_LT(Relative(normal.ApparentConductivity(d, sw), finer.ApparentConductivity(d, sw)), 1e-11)
            << type << " " << d << " " << k;
      }
    }
  }
}

TEST(IceModel, ReproducesTheMeasuredCurvesAndEndValues) {
  constexpr double kTolerance = 0.0005;  // 0.05 %
  double worstCurve[kTypes] = {};
  double worstEnd = 0.0;
  for (int type = 0; type < kTypes; ++type) {
    const LayeredEarth earth(Separation(type));
    for (int i = 0; i < kEntries; ++i) {
      const double e = Relative(earth.ApparentConductivity(i / 10.0, SeaWaterConductivity(0)), kGivenCurves[type][i]);
      EXPECT_LT(e, kTolerance) << "type " << type << ", entry " << i;
      worstCurve[type] = std::max(worstCurve[type], e);
    }
    for (int k = 0; k < kSeaWaterSteps; ++k) {
      for (int end = 0; end < 2; ++end) {
        const double e =
            Relative(earth.ApparentConductivity(end * 7.0, SeaWaterConductivity(k)), kEndValues[type][k][end]);
        EXPECT_LT(e, kTolerance) << "type " << type << ", k " << k << ", end " << end;
        worstEnd = std::max(worstEnd, e);
      }
    }
  }
  RecordProperty("StandardCurvePercent", testing::PrintToString(100 * worstCurve[0]));
  RecordProperty("ShortCurvePercent", testing::PrintToString(100 * worstCurve[1]));
  RecordProperty("EndValuesPercent", testing::PrintToString(100 * worstEnd));
}

TEST(IceTable, RoundedLikeTheMeasuredCurves) {
  struct Case {
    int type;
    double value;
    const char* text;
  } const cases[] = {
      {0, 1054.79951, "1054.8"}, {0, 978.6524, "978.652"}, {0, 23.31749, "23.317"}, {0, 100.0004, "100"},
      {1, 1486.3, "1486"},       {1, 977.349, "977.3"},    {1, 99.0749, "99.07"},   {1, 17.80449, "17.8"},
      {1, 1999.6, "2000"},
  };
  for (const Case& c : cases) EXPECT_EQ(RoundedText(c.type, c.value), c.text) << c.value;
}

TEST(IceTable, ACurveThatDoesNotFallStrictlyIsRefused) {
  Curves model{};
  for (auto& type : model) {
    for (auto& curve : type) {
      for (int i = 0; i < kEntries; ++i) curve[i] = 1000.0 - 10.0 * i;
    }
  }
  TableText table = CommittedValues(model);
  std::string problem;
  ASSERT_TRUE(FallsStrictly(table, &problem)) << problem;
  table[1][6][40] = table[1][6][39];  // level
  EXPECT_FALSE(FallsStrictly(table, &problem));
  EXPECT_EQ(problem, "Short curve k = 6 does not fall at entry 40: 610 then 610");
  table[1][6][40] = "620";  // rising
  EXPECT_FALSE(FallsStrictly(table, &problem));
  model[0][3][69] = 10.0;  // below the given 7.0 m value
  table = CommittedValues(model);
  EXPECT_FALSE(FallsStrictly(table, &problem));
  EXPECT_EQ(problem, "Standard curve k = 3 does not fall at entry 70: 10 then 23.296");
}

// The program's table: k = 0 the measured curves, every end the given end value, every curve
// falling strictly.
TEST(IceTable, TheProgramsTableHoldsTheGivenValuesAndFalls) {
  for (int type = 0; type < kTypes; ++type) {
    for (int k = 0; k < kSeaWaterSteps; ++k) {
      SCOPED_TRACE(testing::Message() << "type " << type << ", k " << k);
      const double* curve = handheld::kBuiltInIceCurves[type][k];
      EXPECT_EQ(curve[0], kEndValues[type][k][0]);
      EXPECT_EQ(curve[kEntries - 1], kEndValues[type][k][1]);
      for (int i = 0; i < kEntries; ++i) {
        if (k == 0) {
          EXPECT_EQ(curve[i], kGivenCurves[type][i]) << i;
        }
        if (i > 0) {
          EXPECT_LT(curve[i], curve[i - 1]) << i;
        }
      }
    }
  }
}

// The committed source is exactly what the generator prints.
TEST(IceCurvesProgram, RegeneratesTheCommittedTable) {
  test_support::Child generator({ICECURVES_PATH});
  const std::string printed = generator.Output();
  EXPECT_EQ(generator.Wait(), 0);
  const std::string committed = FileText(ICE_TABLE_SOURCE);
  ASSERT_FALSE(committed.empty());
  EXPECT_TRUE(printed == committed) << "regenerate with: build/dev/tools/icecurves > handheld/engine/ice_curves.cpp";
}

// --csv: a header, then every model value unrounded, one line each, in type, k, i order; and the
// committed values are those values rounded.
TEST(IceCurvesProgram, CsvHasEveryValueUnrounded) {
  test_support::Child generator({ICECURVES_PATH, "--csv"});
  std::istringstream lines(generator.Output());
  EXPECT_EQ(generator.Wait(), 0);
  std::string line;
  ASSERT_TRUE(std::getline(lines, line));
  EXPECT_EQ(line, "type,k,i,value");
  int n = 0;
  while (std::getline(lines, line)) {
    const int type = n / (kSeaWaterSteps * kEntries);
    const int k = n / kEntries % kSeaWaterSteps;
    const int i = n % kEntries;
    const std::string prefix = std::to_string(type) + "," + std::to_string(k) + "," + std::to_string(i) + ",";
    ASSERT_EQ(line.rfind(prefix, 0), 0u) << line;
    double value = 0.0;
    const auto r = std::from_chars(line.data() + prefix.size(), line.data() + line.size(), value);
    ASSERT_TRUE(r.ec == std::errc() && r.ptr == line.data() + line.size()) << line;
    if (k > 0 && i > 0 && i < kEntries - 1) {
      double rounded = 0.0;
      const std::string text = RoundedText(type, value);
      std::from_chars(text.data(), text.data() + text.size(), rounded);
      EXPECT_EQ(handheld::kBuiltInIceCurves[type][k][i], rounded) << line;
    }
    ++n;
  }
  EXPECT_EQ(n, kTypes * kSeaWaterSteps * kEntries);

  test_support::Child wrong({ICECURVES_PATH, "--xml"});
  EXPECT_EQ(wrong.Output(), "");
  EXPECT_EQ(wrong.Wait(), 2);
}

}  // namespace
}  // namespace icecurves
