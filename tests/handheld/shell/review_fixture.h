// The file review in the running program: the review shown from the main menu, data files written
// into the build's data folder and chosen through the scripted open dialog, and readers of what
// the review drew.
#pragma once

#include <gtest/gtest.h>
#include <plat/testing.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app_test_support.h"
#include "engine/state.h"
#include "engine_test_support.h"
#include "logging/data_file_naming.h"
#include "review_test_support.h"
#include "shell/file_review.h"
#include "shell/file_review_rules.h"

namespace handheld::test {

class ReviewFixture : public AppTest {
 protected:
  // Starts the build (settings changed first come into its new settings file) and shows the review.
  void StartReview(const BuildSwitches& b, plat::test::Screen screen = {320, 240},
                   const std::function<void()>& settings = {}) {
    UseApp(b);
    if (settings) settings();
    program_ = StartApp(screen);
    Key('V');
    ASSERT_TRUE(plat::test::IsVisible(AppWindows.viewFilesWnd));
  }
  void StartReview(int32_t model = kModelRz12, plat::test::Screen screen = {320, 240}) {
    BuildSwitches b;
    b.modelIndex = model;
    StartReview(b, screen);
  }

  static void Key(int vk) {
    plat::test::KeyPress(vk);
    ASSERT_TRUE(plat::test::WaitIdle());
  }
  static void Type(const char* text) {
    plat::test::TypeText(text);
    ASSERT_TRUE(plat::test::WaitIdle());
  }
  static std::wstring DataFolder() {
    const DataFileKind* kind = DataFileKindOf(BuildConfig.modelIndex);
    return kind != nullptr ? DataFolderOf(*kind, BuildConfig.storageRoot) : L"";
  }
  // Writes the file into the build's data folder and chooses it with the File action.
  static void OpenFile(const std::wstring& name, const std::string& bytes) {
    ASSERT_TRUE(WriteRootFile((DataFolder() + name).c_str(), bytes));
    ChooseFile(name);
  }
  static void ChooseFile(const std::wstring& name) {
    plat::test::ExpectOpenFile(name);
    Key('F');
    EXPECT_EQ(plat::test::PendingExpectations(), 0u);
  }
  // Chooses line box entry i with the keys: the list opens, Home, i times Down, Enter.
  static void ChooseLine(int i) {
    Key('L');
    Key(VK_HOME);
    for (int k = 0; k < i; ++k) Key(VK_DOWN);
    Key(VK_RETURN);
  }
  // Repaints the plot at once, as the review does.
  static void RepaintPlot() {
    plat::test::OnUiThread([] {
      InvalidateRect(AppWindows.viewCurveWnd, nullptr, TRUE);
      UpdateWindow(AppWindows.viewCurveWnd);
      return LRESULT{0};
    });
  }

  // Repaints the review window at once (title, scales and the values at the cursor).
  static void RepaintReview() {
    plat::test::OnUiThread([] {
      InvalidateRect(AppWindows.viewFilesWnd, nullptr, TRUE);
      UpdateWindow(AppWindows.viewFilesWnd);
      return LRESULT{0};
    });
  }

  static bool Drawn(HWND window, const std::wstring& text) {
    for (const plat::test::DrawEntry& e : plat::test::DrawLog()) {
      if (e.op == plat::test::DrawOp::Text && e.window == window && e.text == text) return true;
    }
    return false;
  }
  // The curve pieces drawn on the plot in a channel's colour, each as its points' x values.
  static std::vector<std::vector<int>> Pieces(int channel) {
    std::vector<std::vector<int>> out;
    for (const plat::test::DrawEntry& e : plat::test::DrawLog()) {
      if (e.op != plat::test::DrawOp::Polyline || e.window != AppWindows.viewCurveWnd) continue;
      if (e.penColor != SurveySettings.traceColour[channel]) continue;
      std::vector<int> xs;
      for (const POINT& p : e.points) xs.push_back(p.x);
      out.push_back(xs);
    }
    return out;
  }
  static std::string ScratchBytes(int which) {
    const char* root = BuildConfig.storageRoot == 1 ? "Storage/VLQINI/" : "C_DRIVE/VLQINI/";
    return RootFileBytes((std::string(root) + (which == 1 ? "LINE1.R1X" : "LINE2.R1X")).c_str());
  }
  static int PresentSlots() {
    int n = 0;
    for (int s = 1; s < kReviewSlots; ++s) n += FileReview.present[s] == 1;
    return n;
  }
  // Whether the file can be opened exclusively (nothing holds it).
  static bool FreeToOpen(const std::wstring& name) {
    HANDLE h = CreateFileW((DataFolder() + name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
  }
};

// The first line of the review tests' file: 50 vertical RZ12 readings (station 0 on, increment 1),
// a new station 125, 20 more readings: 74 rows. Reading i shows CV = 5 + 0.1 (i % 50) and
// IV = -1.25 - 0.02 (i % 30).
inline std::string FirstLine() {
  std::string line = ReviewLineBlock("0", 0, 1);
  for (int i = 0; i < 70; ++i) {
    if (i == 50) line += StationRecordText(125) + ReviewRecord("*14:07:09.000");
    line += MeterReadingRecord('T', kRz12Vertical, -200 - 4 * (i % 50), 500 + 8 * (i % 30));
  }
  return line;
}

// A line of `readings` vertical readings named `name`.
inline std::string PlainLine(const std::string& name, int readings) {
  std::string line = ReviewLineBlock(name, 0, 1);
  for (int i = 0; i < readings; ++i) line += MeterReadingRecord('T', kRz12Vertical, -200 - (i % 90), 500);
  return line;
}

}  // namespace handheld::test
