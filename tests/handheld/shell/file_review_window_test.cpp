// The file review window in the running program: a file chosen and shown, its lines from the box,
// the cursor and page keys, Tab and Enter, the help box, the open dialog cancelled, Exit, the
// scratch files failing, and the review of a file without lines after one with lines.
// test-labels: threads
#include <gtest/gtest.h>
#include <plat/testing.h>
#include <windows.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "review_fixture.h"
#include "review_plot_checks.h"

namespace handheld {
namespace {

using test::FirstLine;
using test::PlainLine;
using test::ReviewFixture;

std::string ThreeLineFile() {
  return test::ReviewFileHeader('0', '0', '0') + FirstLine() + PlainLine("LONG", 400) + PlainLine("SHORT", 20);
}

class ReviewWindow : public ReviewFixture {};

// The File action lists the lines and shows the first: the title, 74 rows with the cursor on slot
// 50 and its values, the curves broken over the four gap rows and the bar; the cursor then moves
// slot by slot and stops at the last row and at slot 1.
TEST_F(ReviewWindow, FileShowsItsFirstLineWithTheCursorOnSlotFifty) {
  StartReview();
  plat::test::EnableDrawLog(true);
  OpenFile(L"REVIEWFILE.R12", ThreeLineFile());
  EXPECT_EQ(FileReview.open, 1);
  EXPECT_TRUE(Drawn(AppWindows.viewFilesWnd, L"File:REVIEWFI"));
  EXPECT_EQ(plat::test::Items(FileReview.lineBox), (std::vector<std::wstring>{L"0", L"LONG", L"SHORT"}));
  EXPECT_EQ(plat::test::Selection(FileReview.lineBox), 0);
  EXPECT_EQ(FileReview.rowCount, 74);
  EXPECT_EQ(ScratchBytes(1).size(), 74u * kFlagsRowBytes);
  EXPECT_EQ(ScratchBytes(2).size(), 74u * kValuesRowBytes);
  EXPECT_EQ(FileReview.cursorSlot, 50);
  EXPECT_TRUE(Drawn(AppWindows.viewFilesWnd, L"49.00      "));
  EXPECT_TRUE(Drawn(AppWindows.viewFilesWnd, L"CV:9.90    "));  // reading 49: -396 x -0.025
  EXPECT_TRUE(Drawn(AppWindows.viewFilesWnd, L"IV:-1.63   "));  // 652 x -0.0025
  EXPECT_TRUE(Drawn(AppWindows.viewFilesWnd, L"CH:"));
  EXPECT_TRUE(Drawn(AppWindows.viewFilesWnd, L"IH:"));

  test::ExpectCurvesAroundFourGapRows();

  for (int i = 0; i < 5; ++i) Key(VK_RIGHT);
  EXPECT_EQ(FileReview.cursorSlot, 55);
  EXPECT_TRUE(Drawn(AppWindows.viewFilesWnd, L"125.00     "));
  EXPECT_EQ(plat::test::CountPixels(AppWindows.viewCurveWnd, RECT{50, 1, 51, ScreenLayout.plotHeight - 1},
                                    RGB(128, 128, 128)),
            0u);  // the column is back
  for (int i = 0; i < 30; ++i) Key(VK_RIGHT);
  EXPECT_EQ(FileReview.cursorSlot, 74);
  for (int i = 0; i < 80; ++i) Key(VK_LEFT);
  EXPECT_EQ(FileReview.cursorSlot, 1);
  EXPECT_EQ(plat::test::FocusWindow(), AppWindows.viewFilesWnd);
}

// Lines chosen in the box: a new line puts the cursor on slot 50; the page keys move the rows of a
// 400-row line, while the characters that share their codes do nothing; on a 20-row line the
// cursor cannot move right from slot 50.
TEST_F(ReviewWindow, LinesFromTheBoxAndThePageKeys) {
  StartReview();
  OpenFile(L"REVIEWFILE.R12", ThreeLineFile());
  FileReview.cursorSlot = 10;  // the program is idle
  ChooseLine(1);
  EXPECT_EQ(FileReview.currentLine, 1);
  EXPECT_EQ(plat::test::Selection(FileReview.lineBox), 1);
  EXPECT_EQ(FileReview.rowCount, 400);
  EXPECT_EQ(FileReview.cursorSlot, 50);
  EXPECT_EQ(FileReview.open, 1);
  EXPECT_EQ(plat::test::FocusWindow(), AppWindows.viewFilesWnd);

  struct Step {
    int vk;
    int32_t firstRow;
  };
  for (const Step& s : {Step{VK_NEXT, 81}, Step{VK_NEXT, 91}, Step{VK_NEXT, 91}, Step{VK_HOME, 1}, Step{VK_END, 91},
                        Step{VK_PRIOR, 11}, Step{VK_HOME, 1}}) {
    Key(s.vk);
    EXPECT_EQ(FileReview.firstRow, s.firstRow) << "key " << s.vk;
  }
  EXPECT_FLOAT_EQ(FileReview.station[1], 0.0f);
  Key(VK_END);
  EXPECT_FLOAT_EQ(FileReview.station[1], 90.0f);  // row 91
  EXPECT_EQ(FileReview.present[310], 1);
  Type("$#!%&\"");
  EXPECT_EQ(FileReview.firstRow, 91);
  EXPECT_EQ(FileReview.cursorSlot, 50);
  Key(VK_LEFT);
  Key(VK_UP);
  EXPECT_EQ(FileReview.cursorSlot, 48);
  Key(VK_DOWN);
  EXPECT_EQ(FileReview.cursorSlot, 49);

  ChooseLine(2);
  EXPECT_EQ(FileReview.rowCount, 20);
  EXPECT_EQ(FileReview.firstRow, 1);
  EXPECT_EQ(FileReview.cursorSlot, 50);
  Key(VK_RIGHT);
  EXPECT_EQ(FileReview.cursorSlot, 50);
  Key(VK_LEFT);
  EXPECT_EQ(FileReview.cursorSlot, 49);
  EXPECT_EQ(PresentSlots(), 20);

  // The same line again extracts nothing anew and keeps the cursor.
  ChooseLine(2);
  EXPECT_EQ(FileReview.cursorSlot, 49);
}

// Tab moves the frame from "E&xit" to "?", to the line box (bold label, list open, focus) and on
// to "<<--"; Enter on the line box opens its list and on "&Scale" runs the scale dialog; without
// its template the scale action opens nothing and still repaints.
TEST_F(ReviewWindow, TabAndEnter) {
  StartReview();
  const auto framed = [](int i) {
    return (plat::test::Style(FileReview.buttons[i]) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
  };
  const auto dropped = [] {
    return plat::test::OnUiThread([] { return SendMessageW(FileReview.lineBox, CB_GETDROPPEDSTATE, 0, 0); }) != 0;
  };
  EXPECT_TRUE(framed(6));
  Key(VK_TAB);
  Key(VK_TAB);
  EXPECT_TRUE(framed(8));
  Key(VK_TAB);
  EXPECT_TRUE(framed(9));
  EXPECT_FALSE(framed(8));
  plat::test::EnableDrawLog(true);
  Key(VK_TAB);
  EXPECT_EQ(FileReview.selectedButton, kLineBoxSelection);
  EXPECT_FALSE(framed(9));
  const auto label = plat::test::FindText(L"Ln");
  ASSERT_TRUE(label.has_value());
  EXPECT_EQ(label->fontWeight, FW_BOLD);
  EXPECT_TRUE(dropped());
  EXPECT_EQ(plat::test::FocusWindow(), FileReview.lineBox);
  Key(VK_ESCAPE);  // the list closes and the review has the keys again
  EXPECT_FALSE(dropped());
  EXPECT_EQ(plat::test::FocusWindow(), AppWindows.viewFilesWnd);
  Key(VK_RETURN);
  EXPECT_TRUE(dropped());
  Key(VK_ESCAPE);
  plat::test::ClearDrawLog();
  Key(VK_TAB);
  EXPECT_TRUE(framed(0));
  EXPECT_EQ(plat::test::FindText(L"Ln")->fontWeight, FW_NORMAL);

  for (int i = 0; i < 7; ++i) Key(VK_TAB);
  ASSERT_TRUE(framed(7));
  // Scale opens the profile scale dialog over the review; after it the scales are redrawn.
  plat::test::ClearDrawLog();
  HWND owner = nullptr;
  plat::test::ExpectDialog(L"Enter Scale", [&owner](plat::test::ModalContext& d) {
    owner = d.Owner();
    d.Cancel();
  });
  Key(VK_RETURN);
  EXPECT_EQ(plat::test::PendingExpectations(), 0u);
  EXPECT_EQ(owner, test::MainWindow());  // the review's top-level window
  EXPECT_TRUE(Drawn(AppWindows.viewFilesWnd, L"C:0/500  I:-25/25"));
  EXPECT_EQ(plat::test::FocusWindow(), AppWindows.viewFilesWnd);
}

// '?' shows the help of the build's storage root, with "\r\n" line breaks, over the review.
class ReviewHelp : public ReviewFixture, public ::testing::WithParamInterface<int32_t> {};

TEST_P(ReviewHelp, HelpBoxOfTheStorageRoot) {
  BuildSwitches b;
  b.storageRoot = GetParam();
  StartReview(b);
  plat::test::ExpectMessageBox({L"View Files Help", L"", IDOK});
  Type("?");
  const auto log = plat::test::ModalLog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].text, ReviewHelpText(GetParam()));
  EXPECT_EQ(log[0].owner, AppWindows.viewFilesWnd);
  EXPECT_EQ(log[0].flags & 0xF, static_cast<UINT>(MB_OK));
}

INSTANTIATE_TEST_SUITE_P(Roots, ReviewHelp, ::testing::Values(1, 0));

// Cancelling the open dialog: with no file nothing changes; with a file shown the paints leave out
// title, curves and bar (state 2) while the cursor still moves, until the line list closes. A new
// file closes the one shown before it opens; Exit closes the file, empties the box and hides.
TEST_F(ReviewWindow, CancelAnotherFileAndExit) {
  StartReview();
  plat::test::ExpectOpenFile(plat::test::kCancel);
  Key('F');
  EXPECT_EQ(FileReview.open, 0);
  EXPECT_EQ(FileReview.file, INVALID_HANDLE_VALUE);

  OpenFile(L"FIRST.R12", ThreeLineFile());
  EXPECT_FALSE(FreeToOpen(L"FIRST.R12"));
  plat::test::EnableDrawLog(true);
  plat::test::ExpectOpenFile(plat::test::kCancel);
  Key('F');
  EXPECT_EQ(FileReview.open, 2);
  EXPECT_FALSE(Drawn(AppWindows.viewFilesWnd, L"File:FIRST"));
  plat::test::ClearDrawLog();
  RepaintPlot();
  EXPECT_TRUE(Pieces(0).empty());
  EXPECT_EQ(plat::test::CountPixels(AppWindows.viewCurveWnd, RECT{0, 0, 400, 400}, RGB(128, 128, 128)), 0u);
  Key(VK_LEFT);
  EXPECT_EQ(FileReview.cursorSlot, 49);
  Key('L');
  Key(VK_ESCAPE);
  EXPECT_EQ(FileReview.open, 1);
  EXPECT_FALSE(Pieces(0).empty());

  OpenFile(L"SECOND.R12", PlainLine("ONLY", 30) + PlainLine("TWO", 3));
  EXPECT_TRUE(FreeToOpen(L"FIRST.R12"));
  EXPECT_FALSE(FreeToOpen(L"SECOND.R12"));
  EXPECT_EQ(plat::test::Items(FileReview.lineBox), (std::vector<std::wstring>{L"ONLY", L"TWO"}));
  EXPECT_EQ(FileReview.cursorSlot, 15);
  EXPECT_EQ(FileReview.rowCount, 30);

  Key('X');
  EXPECT_FALSE(plat::test::IsVisible(AppWindows.viewFilesWnd));
  EXPECT_EQ(FileReview.open, 0);
  EXPECT_EQ(FileReview.file, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(FreeToOpen(L"SECOND.R12"));
  EXPECT_TRUE(plat::test::Items(FileReview.lineBox).empty());
}

// The names in the build's data folder.
std::set<std::string> DataFolderNames() {
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(std::string(plat::DriveRoot()) + "/Storage/DATA12")) {
    names.insert(e.path().filename().string());
  }
  return names;
}

// A file without lines after one with lines: the scratch files are emptied and every slot is
// empty, rather than rows read from where the previous file's line began. A name that is not
// there reads the same, as a file that cannot be opened, and nothing is created.
TEST_F(ReviewWindow, FileWithoutLinesAfterOneWithLines) {
  for (const bool exists : {true, false}) {
    SCOPED_TRACE(exists ? "an empty file" : "a name that is not there");
    StartReview();
    OpenFile(L"REVIEWFILE.R12", ThreeLineFile());
    ASSERT_EQ(FileReview.rowCount, 74);
    if (exists) {
      ASSERT_TRUE(test::WriteRootFile((DataFolder() + L"NOLINES.R12").c_str(), ""));
    }
    const std::set<std::string> folder = DataFolderNames();
    ChooseFile(L"NOLINES.R12");
    EXPECT_EQ(DataFolderNames(), folder);
    EXPECT_EQ(FileReview.file != INVALID_HANDLE_VALUE, exists);
    EXPECT_EQ(FileReview.open, 1);
    EXPECT_EQ(FileReview.lineCount, 0);
    EXPECT_TRUE(plat::test::Items(FileReview.lineBox).empty());
    EXPECT_EQ(FileReview.rowCount, 0);
    EXPECT_EQ(FileReview.cursorSlot, 1);
    EXPECT_EQ(ScratchBytes(1), "");
    EXPECT_EQ(ScratchBytes(2), "");
    EXPECT_EQ(PresentSlots(), 0);
    TearDown();
    SetUp();
  }
}

// A values row cut short makes its slot a gap, whatever the row buffers held before.
TEST_F(ReviewWindow, ShortValuesRowIsAGap) {
  StartReview();
  OpenFile(L"REVIEWFILE.R12", test::ReviewFileHeader('0', '0', '0') + PlainLine("A", 3));
  ASSERT_EQ(PresentSlots(), 3);
  const std::string values = ScratchBytes(2);
  ASSERT_TRUE(test::WriteRootFile(L"Storage\\VLQINI\\LINE2.R1X", values.substr(0, 2 * kValuesRowBytes + 60)));
  Key(VK_HOME);
  EXPECT_EQ(FileReview.present[1] + FileReview.present[2], 2);
  EXPECT_EQ(FileReview.present[3], 0);
  EXPECT_EQ(FileReview.valid[0][3], 0);
}

// Scratch files that cannot be made or opened: the two "IHV" boxes over the plot, and empty slots.
TEST_F(ReviewWindow, ScratchFilesFailing) {
  StartReview();
  plat::test::FailCreateFile("*LINE?.R1X", ERROR_ACCESS_DENIED, 4);
  ASSERT_TRUE(test::WriteRootFile((DataFolder() + L"REVIEWFILE.R12").c_str(), ThreeLineFile()));
  plat::test::ExpectOpenFile(L"REVIEWFILE.R12");
  plat::test::ExpectMessageBox({L"IHV", L"invalid handle 1", IDOK});
  plat::test::ExpectMessageBox({L"IHV", L"invalid handle 2", IDOK});
  Key('F');
  EXPECT_EQ(plat::test::PendingExpectations(), 0u);
  const auto log = plat::test::ModalLog();
  ASSERT_EQ(log.size(), 3u);  // the open dialog, then the two boxes
  EXPECT_EQ(log[1].text, L"invalid handle 1");
  EXPECT_EQ(log[2].text, L"invalid handle 2");
  EXPECT_EQ(log[1].owner, AppWindows.viewCurveWnd);
  EXPECT_EQ(PresentSlots(), 0);
  EXPECT_EQ(plat::test::Items(FileReview.lineBox).size(), 3u);
}

// Portrait: the buttons' geometry, the line box's place and the "Line" label.
TEST_F(ReviewWindow, PortraitLayout) {
  plat::test::EnableDrawLog(true);
  StartReview(kModelRz12, {240, 320});
  for (int i = 0; i < kReviewButtons; ++i) {
    const RECT r = plat::test::RectInParent(FileReview.buttons[i]);
    EXPECT_EQ(r.right - r.left, 38) << i;
    EXPECT_EQ(r.top, i < 6 ? 302 : 283) << i;
  }
  const RECT box = plat::test::RectInParent(FileReview.lineBox);
  EXPECT_EQ(box.left, 154);
  EXPECT_EQ(box.top, ScreenLayout.plotTop - 28);
  EXPECT_TRUE(Drawn(AppWindows.viewFilesWnd, L"Line"));
  const RECT plot = plat::test::RectInParent(AppWindows.viewCurveWnd);
  EXPECT_EQ(plot.left, ScreenLayout.plotLeft - 1);
  EXPECT_EQ(plot.right - plot.left, ScreenLayout.plotWidth + 1);
  EXPECT_EQ(FileReview.lastSlot, 230);
}

}  // namespace
}  // namespace handheld
