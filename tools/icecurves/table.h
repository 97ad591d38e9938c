// The 22 built-in ice curves: the two measured curves and the end values that the program was
// given, the model's values for the others, and the committed table's C++ source.
#pragma once

#include <array>
#include <string>

#include "icecurves/model.h"

namespace icecurves {

constexpr int kTypes = 2;           // 0 Standard, 1 Short
constexpr int kSeaWaterSteps = 11;  // sea water 2000 + 100 k mS/m, k = 0 to 10
constexpr int kEntries = 71;        // ice 0.0 to 7.0 m in steps of 0.1 m

using Curve = std::array<double, kEntries>;
using Curves = std::array<std::array<Curve, kSeaWaterSteps>, kTypes>;

// The given curves of sea water 2000 mS/m (k = 0), as measured: Standard and Short.
extern const Curve kGivenCurves[kTypes];
// The given end values, [type][k][0] at 0 m and [type][k][1] at 7.0 m.
extern const double kEndValues[kTypes][kSeaWaterSteps][2];

double SeaWaterConductivity(int k);  // mS/m
double Separation(int type);         // m

// The model's values of every curve, unrounded.
Curves ModelCurves(const Quadrature& q = Quadrature());

// A model value rounded as the given curves of its type are: Standard to three decimals, Short
// to four significant digits; written in its shortest form ("1428", "17.8", "950.41").
std::string RoundedText(int type, double value);

// The committed table: k = 0 the given curves verbatim; k = 1 to 10 the model's values rounded,
// with entries 0 and 70 the given end values.
using TableText = std::array<std::array<std::array<std::string, kEntries>, kSeaWaterSteps>, kTypes>;
TableText CommittedValues(const Curves& model);

// True when every curve of the table falls strictly from entry 0 to entry 70; otherwise false
// with the first curve that does not in `problem`.
bool FallsStrictly(const TableText& table, std::string* problem);

// The C++ source of the table (handheld/engine/ice_curves.cpp).
std::string TableSource(const TableText& table);

// One line "type,k,i,value" per model value, unrounded, after a header line.
std::string Csv(const Curves& model);

}  // namespace icecurves
