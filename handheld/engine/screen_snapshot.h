// One snapshot of what the screens' geometry depends on: the screen layout, the build's model and
// the settings that change a layout. The logging window's fields and the file review's layout are
// both computed from it, purely; CurrentScreen() takes it from the program's state.
#pragma once

#include <cstdint>

namespace handheld {

// The defaults are the landscape screen.
struct ScreenSnapshot {
  int32_t model = 0;         // BuildConfig.modelIndex
  int32_t portrait = 0;      // the rest from ScreenLayout
  int32_t windowWidth = 320;
  int32_t windowHeight = 240;
  int32_t plotLeft = 4;
  int32_t plotTop = 30;
  int32_t plotWidth = 312;
  int32_t plotHeight = 158;
  int32_t textHeight = 14;
  int32_t surveyMode = 0;    // SurveySettings
  int32_t zolEnabled = 0;
};

// The snapshot as the program's state gives it now.
ScreenSnapshot CurrentScreen();

}  // namespace handheld
