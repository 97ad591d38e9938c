#include "engine/screen_snapshot.h"

#include "engine/state.h"

namespace handheld {

ScreenSnapshot CurrentScreen() {
  ScreenSnapshot s;
  s.model = BuildConfig.modelIndex;
  s.portrait = ScreenLayout.portrait;
  s.windowWidth = ScreenLayout.windowWidth;
  s.windowHeight = ScreenLayout.windowHeight;
  s.plotLeft = ScreenLayout.plotLeft;
  s.plotTop = ScreenLayout.plotTop;
  s.plotWidth = ScreenLayout.plotWidth;
  s.plotHeight = ScreenLayout.plotHeight;
  s.textHeight = ScreenLayout.textHeight;
  s.surveyMode = SurveySettings.surveyMode;
  s.zolEnabled = SurveySettings.zolEnabled;
  return s;
}

}  // namespace handheld
