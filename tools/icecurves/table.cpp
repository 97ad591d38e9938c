#include "icecurves/table.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace icecurves {

const Curve kGivenCurves[kTypes] = {
    {1024.2, 950.41, 880.897, 815.665, 754.69, 697.896, 645.165, 596.343, 551.247, 509.677, 471.421, 436.258,
     403.971, 374.345, 347.171, 322.25, 299.397, 278.436, 259.202, 241.547, 225.331, 210.428, 196.72, 184.104,
     172.481, 161.766, 151.878, 142.745, 134.303, 126.492, 119.257, 112.552, 106.33, 100.553, 95.183, 90.188,
     85.537, 81.204, 77.162, 73.39, 69.866, 66.572, 63.49, 60.605, 57.901, 55.366, 52.987, 50.754, 48.655,
     46.682, 44.825, 43.077, 41.431, 39.879, 38.415, 37.034, 35.729, 34.497, 33.332, 32.23, 31.187, 30.2,
     29.265, 28.378, 27.538, 26.741, 25.984, 25.265, 24.583, 23.934, 23.317},
    {1428, 1260, 1110, 977.3, 861.2, 760.1, 672.4, 596.3, 530.5, 473.4, 423.9, 380.7, 343.1, 310.2, 281.3,
     255.8, 233.3, 213.4, 195.6, 179.8, 165.7, 153, 141.6, 131.3, 122.1, 113.6, 106, 99.07, 92.75, 86.97,
     81.69, 76.85, 72.41, 68.33, 64.58, 61.11, 57.92, 54.96, 52.23, 49.69, 47.34, 45.15, 43.12, 41.23, 39.47,
     37.82, 36.29, 34.85, 33.51, 32.25, 31.08, 29.97, 28.94, 27.96, 27.05, 26.19, 25.38, 24.61, 23.89, 23.22,
     22.58, 21.97, 21.4, 20.86, 20.35, 19.87, 19.41, 18.97, 18.56, 18.17, 17.8},
};

const double kEndValues[kTypes][kSeaWaterSteps][2] = {
    {{1024.2, 23.317}, {1054.8, 23.317}, {1084.3, 23.31}, {1112.7, 23.296}, {1140.0, 23.276}, {1166.2, 23.252},
     {1191.5, 23.224}, {1215.8, 23.193}, {1239.3, 23.158}, {1261.8, 23.121}, {1283.5, 23.081}},
    {{1428.0, 17.8}, {1486.0, 17.81}, {1542.0, 17.81}, {1598.0, 17.81}, {1653.0, 17.81}, {1707.0, 17.8},
     {1760.0, 17.79}, {1813.0, 17.78}, {1865.0, 17.76}, {1916.0, 17.75}, {1966.0, 17.73}},
};

namespace {

// The shortest text that reads back as the same double.
std::string Shortest(double value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

}  // namespace

double SeaWaterConductivity(int k) { return 2000.0 + 100.0 * k; }
double Separation(int type) { return type == 0 ? kStandardSeparation : kShortSeparation; }

Curves ModelCurves(const Quadrature& q) {
  Curves out{};
  for (int type = 0; type < kTypes; ++type) {
    const LayeredEarth earth(Separation(type), q);
    for (int k = 0; k < kSeaWaterSteps; ++k) {
      for (int i = 0; i < kEntries; ++i) {
        out[type][k][i] = earth.ApparentConductivity(i / 10.0, SeaWaterConductivity(k));
      }
    }
  }
  return out;
}

std::string RoundedText(int type, double value) {
  char text[32];
  snprintf(text, sizeof text, type == 0 ? "%.3f" : "%.4g", value);
  double rounded = 0.0;
  std::from_chars(text, text + std::char_traits<char>::length(text), rounded);
  return Shortest(rounded);
}

TableText CommittedValues(const Curves& model) {
  TableText table;
  for (int type = 0; type < kTypes; ++type) {
    for (int k = 0; k < kSeaWaterSteps; ++k) {
      for (int i = 0; i < kEntries; ++i) {
        std::string& entry = table[type][k][i];
        if (k == 0) {
          entry = Shortest(kGivenCurves[type][i]);
        } else if (i == 0 || i == kEntries - 1) {
          entry = Shortest(kEndValues[type][k][i == 0 ? 0 : 1]);
        } else {
          entry = RoundedText(type, model[type][k][i]);
        }
      }
    }
  }
  return table;
}

bool FallsStrictly(const TableText& table, std::string* problem) {
  for (int type = 0; type < kTypes; ++type) {
    for (int k = 0; k < kSeaWaterSteps; ++k) {
      for (int i = 1; i < kEntries; ++i) {
        double before = 0.0;
        double value = 0.0;
        const std::string& a = table[type][k][i - 1];
        const std::string& b = table[type][k][i];
        std::from_chars(a.data(), a.data() + a.size(), before);
        std::from_chars(b.data(), b.data() + b.size(), value);
        if (!(value < before)) {
          if (problem) {
            *problem = std::string(type == 0 ? "Standard" : "Short") + " curve k = " + std::to_string(k) +
                       " does not fall at entry " + std::to_string(i) + ": " + a + " then " + b;
          }
          return false;
        }
      }
    }
  }
  return true;
}

std::string TableSource(const TableText& table) {
  static const char* const kTypeNames[kTypes] = {"Standard", "Short"};
  std::string out =
      "// The built-in ice curves: apparent conductivity (mS/m) over ice 0.0 to 7.0 m thick in steps of\n"
      "// 0.1 m, by meter type (Standard, Short) and sea water 2000 + 100 k mS/m (k = 0 to 10).\n"
      "//\n"
      "// Generated; do not edit. From the top of the source tree, after a build:\n"
      "//   build/dev/tools/icecurves > handheld/engine/ice_curves.cpp\n"
      "// k = 0 are the measured curves; the others are the layered-earth model's values (see\n"
      "// tools/icecurves), rounded as the measured ones, with the measured end values at 0 and 7.0 m.\n"
      "#include \"engine/ice.h\"\n"
      "\n"
      "namespace handheld {\n"
      "\n"
      "const double kBuiltInIceCurves[kIceCurveTypes][kSeaWaterIndexes][kIceCurveEntries] = {\n";
  for (int type = 0; type < kTypes; ++type) {
    out += "    {\n";
    for (int k = 0; k < kSeaWaterSteps; ++k) {
      out += "        // " + std::string(kTypeNames[type]) + ", sea water " +
             std::to_string(static_cast<int>(SeaWaterConductivity(k))) + " mS/m\n";
      std::string line = "        {";
      for (int i = 0; i < kEntries; ++i) {
        const std::string item = table[type][k][i] + (i + 1 < kEntries ? "," : "},");
        if (line.size() + 1 + item.size() > 110) {
          out += line + "\n";
          line = "         " + item;
        } else {
          line += (line.back() == '{' ? "" : " ") + item;
        }
      }
      out += line + "\n";
    }
    out += "    },\n";
  }
  out +=
      "};\n"
      "\n"
      "}  // namespace handheld\n";
  return out;
}

std::string Csv(const Curves& model) {
  std::string out = "type,k,i,value\n";
  for (int type = 0; type < kTypes; ++type) {
    for (int k = 0; k < kSeaWaterSteps; ++k) {
      for (int i = 0; i < kEntries; ++i) {
        out += std::to_string(type) + "," + std::to_string(k) + "," + std::to_string(i) + "," +
               Shortest(model[type][k][i]) + "\n";
      }
    }
  }
  return out;
}

}  // namespace icecurves
