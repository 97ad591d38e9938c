// Test checks of dialog templates (plat::test::).
#pragma once
#include "plat/testing.h"

#include <string>
#include <vector>

namespace plat::test {

// Checks a template against its layout rules, in pixels of its dialog font:
//   - every item lies inside the client area (a combo box by its closed height);
//   - no two input rows overlap (edits, combo boxes closed, list boxes, buttons other than group
//     boxes);
//   - every label's text fits its rectangle in the built-in font, wrapped at word boundaries;
//   - with a screen size given, the dialog with the profile's frame fits that screen.
// Returns one line per problem, naming the template and the items; empty when all is well.
std::vector<std::string> CheckTemplate(const DlgTemplateT& tmpl, Profile profile, Screen screen = {0, 0});

}  // namespace plat::test
