#include "engine/ports.h"

#include <cwchar>

#include "common/serial_lines.h"
#include "engine/state.h"

namespace handheld {

namespace {

constexpr int kPortSettings = 12;  // settings 0 to 11
constexpr int kGpsTries = 10;
constexpr wchar_t kCaption[] = L"Serial Port";

constexpr wchar_t kGpsFailure[] = L"Cannot open GPS port";
constexpr wchar_t kMarkerFailure[] = L"Cannot open External Marker port";

void ShowFailure(const wchar_t* text) { MessageBoxW(AppWindows.monitorGpsWnd, text, kCaption, MB_OK); }

// Opens "COMn:" for reading and writing, unshared, as an existing device.
HANDLE OpenCom(int comNumber) {
  wchar_t name[16];
  swprintf(name, sizeof name / sizeof name[0], L"COM%d:", comNumber);
  return CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

DWORD InstrumentBaudRate() { return BuildModel().baud; }

// One-byte reads on the instrument and marker ports give up after 2000 ms.
constexpr COMMTIMEOUTS kInstrumentTimeouts{65535, 1000, 1000, 0, 0};

}  // namespace

int PortComNumber(PortRole role, int32_t setting) {
  if (setting < 0 || setting >= kPortSettings) return 0;
  if (role != PortRole::kMarker) return setting + 1;
  if (setting == 0) return 0;
  return setting <= 5 ? setting : setting + 1;
}

bool MarkerSharesPort(int32_t markerSetting, int comNumber) {
  const int marker = PortComNumber(PortRole::kMarker, markerSetting);
  return marker != 0 && marker == comNumber;
}

int32_t OpenInstrumentPort() {
  // A model outside the line gets the first model's message.
  const wchar_t* failure = (KnownModel(BuildConfig.modelIndex) ? BuildModel() : kModelRows[0]).portFailure;
  const int com = PortComNumber(PortRole::kInstrument, SurveySettings.instrumentPort);
  HANDLE h = com ? OpenCom(com) : INVALID_HANDLE_VALUE;
  if (h == INVALID_HANDLE_VALUE) {
    ShowFailure(failure);
    return 0;
  }
  survey::ConfigureInstrumentLine(h, kInstrumentTimeouts, InstrumentBaudRate(), false);
  LinkState.instrumentPort.store(h, std::memory_order_release);
  return 1;
}

int32_t OpenGpsPort() {
  const int com = PortComNumber(PortRole::kGps, SurveySettings.gpsPort);
  HANDLE h = INVALID_HANDLE_VALUE;
  for (int i = 0; com && i < kGpsTries && h == INVALID_HANDLE_VALUE; ++i) h = OpenCom(com);
  if (h == INVALID_HANDLE_VALUE) {
    ShowFailure(kGpsFailure);
    return 0;
  }
  const COMMTIMEOUTS timeouts{100, 100, 100, 100, 100};
  survey::ConfigureGpsLine(h, timeouts,
                           {SurveySettings.gpsBaudIndex, SurveySettings.gpsDataBitsIndex, SurveySettings.gpsParityIndex,
                            SurveySettings.gpsStopBitsIndex});
  LinkState.gpsPort.store(h, std::memory_order_release);
  return 1;
}

int32_t OpenMarkerPort() {
  const int com = PortComNumber(PortRole::kMarker, SurveySettings.markerPort);
  if (com == 0) return 0;  // disabled: there is no port to open
  HANDLE h = OpenCom(com);
  if (h == INVALID_HANDLE_VALUE) {
    ShowFailure(kMarkerFailure);
    return 0;
  }
  survey::ConfigureInstrumentLine(h, kInstrumentTimeouts, InstrumentBaudRate(), true);
  LinkState.markerPort.store(h, std::memory_order_release);
  return 1;
}

}  // namespace handheld
