// What the setup dialogs of both programs share: lists filled from text tables, selections read
// back without storing a missing one, numbers read as decimal text and shown in a printf format,
// the clamps that keep typed values inside what their settings hold, and the owner-drawn colour
// sample of the display options.
#pragma once

#include <windows.h>

#include <cstdint>

namespace survey {

// A list's texts in list order; the position of an entry is the value it stands for unless a
// caller's rule says otherwise.
struct TextList {
  const wchar_t* const* texts = nullptr;
  int count = 0;
};

template <int N>
constexpr TextList List(const wchar_t* const (&texts)[N]) {
  return TextList{texts, N};
}

// The lists both programs offer with the same texts: ports "COM1:" to "COM12:" (position n is
// COMn+1), "Disabled"/"Enabled", "No"/"Yes", the GPS line's baud rates, parities, data bits and
// stop bits, the trace widths "1 pixel" to "4 pixels" (position + 1 = width), the line sequences
// "Alternate"/"One Way" and the line directions "West", "South", "North", "East".
TextList ComPortList();
TextList OnOffList();
TextList AudioList();
TextList BaudList();
TextList ParityList();
TextList DataBitsList();
TextList StopBitsList();
TextList WidthList();
TextList SequenceList();
TextList DirectionList();

// Empties list `id` and fills it with the texts.
void FillList(HWND dialog, int id, const TextList& list);
// Fills list `id` and selects `entry` (-1 or a position outside the list leaves no selection).
void FillAndSelect(HWND dialog, int id, const TextList& list, int entry);
// The selected position of list `id`: -1 for none, 0 for a list the template lacks.
int SelectedEntry(HWND dialog, int id);
// Stores the selected position (+ offset) into the setting; a list without a selection leaves the
// setting as it is.
void StoreSelection(HWND dialog, int id, int32_t* setting, int32_t offset = 0);
// The text of edit `id` (at most maxChars characters) read as a decimal number; 0 for anything
// else ("nan", "inf" and hex included).
double ReadNumber(HWND dialog, int id, int maxChars = 32);
// Sets the text of `id` to a number in a printf format.
void ShowNumber(HWND dialog, int id, const char* format, double value);

// Typed values (already read as decimal numbers). A rate of 0 or less counts as 1.0 and any rate is
// held within 0.0001 to 10000 readings per second, so its inverse is always a finite positive
// interval; samples of 0 or less count as 1, and are held within 1 to INT_MAX while typing and 1 to
// 100 when stored; any float setting is held within the float range.
float TypedRate(double value);
int32_t TypedSamples(double value);
int32_t StoredSamples(double value);
float FloatValue(double value);
// The rate shown for a stored interval: its inverse within the limits above; 1.0 for an interval
// of 0 or less.
float RateOfInterval(float interval);

// The component list of the models that show it short outside Manual (mode 2): "Inphase",
// "Conductivity" stand for components 1 and 2, while Manual's long list adds "Both" (0) first.
// The position of a stored component and the component of a position; on other models the
// position is the component.
int ComponentPosition(bool shortList, int32_t mode, int32_t component);
int32_t ComponentAt(bool shortList, int32_t mode, int position);
// The position kept across a mode switch: one up into Manual, one down out of it (from 1 or more)
// on the short-list models; unchanged elsewhere.
int ComponentPositionOnSwitch(bool shortList, int32_t oldMode, int32_t newMode, int position);

// The shapes of one colour sample button, in the item's coordinates.
struct ColourButtonShapes {
  RECT frame;             // drawn with the 3-pixel shadow pen over the white brush
  POINT innerEdge[3];     // in the dark-shadow pen when pressed, else the light pen
  bool innerDark;
  bool pressedEdge;       // pressed: innerLow in the light pen as well
  POINT innerLow[3];
  POINT outerEdge[3];     // in the dark-shadow pen
  POINT sampleFrom, sampleTo;  // the sample line in the channel's pen (its end pixel not drawn)
  bool focus;
  RECT focusRect;
};
ColourButtonShapes ColourButtonShapesFor(const RECT& item, bool pressed, bool focus);
// Draws the sample button of an owner-drawn item: its frame and edges by its state, and the sample
// line in the given width and colour. Every drawing object it makes is deleted again.
void DrawColourSample(const DRAWITEMSTRUCT& item, int32_t width, COLORREF colour);

}  // namespace survey
