// icecurves: computes the built-in ice curves from the layered-earth model.
//
//   icecurves          prints the C++ source of the committed table (handheld/engine/ice_curves.cpp)
//   icecurves --csv    prints every value the model computes, unrounded: "type,k,i,value" lines
//                      (type 0 Standard, 1 Short; sea water 2000 + 100 k mS/m; ice i / 10 m)
//
// A table whose curves do not all fall strictly is refused: nothing is printed, exit code 1.
#include <cstdio>
#include <cstring>
#include <string>

#include "icecurves/table.h"

namespace {

const char kUsage[] =
    "usage: icecurves [--csv]\n"
    "  (none)   print the C++ source of the committed table (handheld/engine/ice_curves.cpp)\n"
    "  --csv    print every value the model computes, unrounded, as \"type,k,i,value\" lines\n";

}  // namespace

int main(int argc, char** argv) {
  bool csv = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--csv") == 0) {
      csv = true;
    } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    } else {
      std::fprintf(stderr, "icecurves: unknown option %s\n%s", argv[i], kUsage);
      return 2;
    }
  }
  const icecurves::Curves model = icecurves::ModelCurves();
  if (csv) {
    std::fputs(icecurves::Csv(model).c_str(), stdout);
    return 0;
  }
  const icecurves::TableText table = icecurves::CommittedValues(model);
  std::string problem;
  if (!icecurves::FallsStrictly(table, &problem)) {
    std::fprintf(stderr, "icecurves: %s\n", problem.c_str());
    return 1;
  }
  std::fputs(icecurves::TableSource(table).c_str(), stdout);
  return 0;
}
