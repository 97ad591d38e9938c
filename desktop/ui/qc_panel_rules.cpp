#include "ui/qc_panel_rules.h"

#include <cstdio>

namespace desktop {
namespace {

constexpr WPARAM kTab = '\t';
constexpr WPARAM kEnter = '\r';

bool Waiting(const Rz56QcPanelState& p) { return p.qcStep > 0 && p.qcResult == 0; }

QcPanelStep Close(Rz56QcPanelState& p) {
  QcPanelStep s;
  s.stopTimer = true;
  s.close = true;
  p.qcStep = 0;
  p.qcRecordsWritten = 0;
  return s;
}

// OK is disabled while the panel waits for values, so neither its key nor Enter on it does
// anything then.
QcPanelStep Ok(Rz56QcPanelState& p) {
  if (Waiting(p)) return {};
  p.qcStep += 1;
  if (p.qcStep >= 3) return Close(p);
  QcPanelStep s;
  s.disableOk = true;
  p.qcFocusedButton = 1;
  s.moveDefault = true;
  s.repaint = p.qcStep == 1 || p.qcStep == 2;
  s.startTimer = p.qcStep == 1;
  return s;
}

QcPanelStep Char(Rz56QcPanelState& p, WPARAM ch) {
  switch (ch) {
    case kTab: {
      p.qcFocusedButton = p.qcFocusedButton == 0 ? 1 : 0;
      QcPanelStep s;
      s.moveDefault = true;
      return s;
    }
    case kEnter:
      return p.qcFocusedButton == 0 ? Ok(p) : Close(p);
    case 'C':
    case 'c':
      return Close(p);
    case 'O':
    case 'o':
      return Ok(p);
    default:
      return {};
  }
}

QcPanelStep Tick(Rz56QcPanelState& p) {
  QcPanelStep s;
  if (p.qcStep == 1) {
    p.qcSecondsOrOk += 1;
    s.drawCounter = true;
    if (p.qcSecondsOrOk >= kQcWaitSeconds) {
      p.qcResult = 2;
      p.qcStep = 2;
    }
  }
  if (p.qcResult == 1 || p.qcResult == 2) {
    s.stopTimer = true;
    s.repaint = true;
  }
  return s;
}

QcText Text(int y, bool bold, const char* text) {
  QcText t;
  std::snprintf(t.text, sizeof t.text, "%s", text);
  t.y = y;
  t.bold = bold;
  return t;
}

}  // namespace

QcPanelStep StepQcPanel(Rz56QcPanelState& panel, QcInput input, WPARAM ch) {
  switch (input) {
    case QcInput::kOkButton: return Ok(panel);
    case QcInput::kCancelButton: return Close(panel);
    case QcInput::kChar: return Char(panel, ch);
    case QcInput::kTick: return Tick(panel);
    case QcInput::kKeyDown: break;
  }
  return {};
}

QcText QcCounterText(int32_t seconds) {
  QcText t;
  std::snprintf(t.text, sizeof t.text, "%2d of 60", seconds);
  t.y = 65;
  t.bold = true;
  return t;
}

QcPaint PaintQcPanel(Rz56QcPanelState& panel, int32_t externalCoil, const float qcValue[kRz56Channels]) {
  QcPaint out;
  auto& t = out.texts;
  t.push_back(Text(2, false, externalCoil == 1 ? "External QC Coil Calibration" : "Internal QC Coil Calibration"));
  const char* const anyButton = "click on any button or press <Enter>";
  if (panel.qcStep == 0) {
    t.push_back(Text(20, false, "Please click on OK button and"));
    t.push_back(Text(35, false, "then press QC Coil button"));
    t.push_back(Text(50, false, "and hold for 5 seconds"));
    out.enableOk = true;
  } else if (panel.qcStep == 1) {
    t.push_back(Text(20, false, "Waiting for Calibration values"));
    t.push_back(Text(35, false, "(you may cancel at any time)"));
    t.push_back(QcCounterText(0));
  } else if (panel.qcStep == 2 && panel.qcResult == 1) {
    t.push_back(Text(20, false, "Calibration values"));
    for (int k = 0; k < kRz56Channels; ++k) {
      QcText& c = t.emplace_back();
      std::snprintf(c.text, sizeof c.text, "Channel %d: %8.1f", k + 1, static_cast<double>(qcValue[k]));
      c.y = 35 + 15 * k;
      c.x = 56;
    }
    t.push_back(Text(95, true, panel.qcSecondsOrOk == 1 ? "CALIBRATION OK" : "CALIBRATION FAILED"));
    t.push_back(Text(108, false, anyButton));
    out.enableOk = true;
    out.stopTimer = true;
    out.writeRecords = panel.qcRecordsWritten == 0;
    panel.qcRecordsWritten = 1;
  } else if (panel.qcStep == 2 && panel.qcResult == 2) {
    t.push_back(Text(50, true, "CALIBRATION TIME OUT"));
    t.push_back(Text(80, false, anyButton));
    out.enableOk = true;
    out.stopTimer = true;
  }
  if (out.enableOk) panel.qcFocusedButton = 0;
  return out;
}

}  // namespace desktop
