#include "engine/ports.h"

#include <cstdio>

#include "common/serial_lines.h"
#include "engine/state.h"

namespace desktop {

namespace {

constexpr int kPortSettings = 12;  // instrument and GPS settings 0 to 11
constexpr int kMarkerSettings = 13;  // marker settings 0 (disabled) to 12
constexpr char kCaption[] = "Serial Port";
constexpr char kMarkerFailure[] = "Cannot open External Marker port";

// One-byte reads come back empty after about 10 ms on the instrument and GPS ports.
constexpr COMMTIMEOUTS kReaderTimeouts{10, 0, 10, 0, 0};
constexpr COMMTIMEOUTS kMarkerTimeouts{65535, 1000, 1000, 0, 0};

void ShowFailure(const char* text) { MessageBoxA(AppWindows.monitorGpsWnd, text, kCaption, MB_OK); }

// "Cannot open COM%d for <what>" with the COM number the setting stands for (setting + 1).
void ShowComFailure(int32_t setting, const char* what) {
  char text[64];
  snprintf(text, sizeof text, "Cannot open COM%d for %s", static_cast<int>(setting) + 1, what);
  ShowFailure(text);
}

// Opens COM n for reading and writing, unshared, as an existing device; one try.
HANDLE OpenCom(int comNumber) {
  if (comNumber == 0) return INVALID_HANDLE_VALUE;
  char name[16];
  ComPortName(comNumber, name, sizeof name);
  return CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

DWORD InstrumentBaudRate() { return BuildConfig.modelIndex == kModelRz27Mk2 ? CBR_19200 : CBR_9600; }

}  // namespace

int PortComNumber(PortRole role, int32_t setting) {
  if (role == PortRole::kMarker) return setting >= 1 && setting < kMarkerSettings ? setting : 0;
  return setting >= 0 && setting < kPortSettings ? setting + 1 : 0;
}

bool MarkerSharesInstrumentPort(int32_t markerSetting, int32_t instrumentSetting) {
  const int marker = PortComNumber(PortRole::kMarker, markerSetting);
  return marker != 0 && marker == PortComNumber(PortRole::kInstrument, instrumentSetting);
}

void ComPortName(int comNumber, char* out, size_t outSize) {
  snprintf(out, outSize, comNumber <= 9 ? "COM%d:" : "\\\\.\\COM%d", comNumber);
}

int32_t OpenInstrumentPort() {
  HANDLE h = OpenCom(PortComNumber(PortRole::kInstrument, SurveySettings.instrumentPort));
  if (h == INVALID_HANDLE_VALUE) {
    ShowComFailure(SurveySettings.instrumentPort, "instrument");
    return 0;
  }
  survey::ConfigureInstrumentLine(h, kReaderTimeouts, InstrumentBaudRate(), false);
  LinkState.instrumentPort.store(h, std::memory_order_release);
  return 1;
}

int32_t OpenGpsPort() {
  HANDLE h = OpenCom(PortComNumber(PortRole::kGps, SurveySettings.gpsPort));
  if (h == INVALID_HANDLE_VALUE) {
    ShowComFailure(SurveySettings.gpsPort, "GPS");
    return 0;
  }
  survey::ConfigureGpsLine(h, kReaderTimeouts,
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
  survey::ConfigureInstrumentLine(h, kMarkerTimeouts, InstrumentBaudRate(), true);
  LinkState.markerPort.store(h, std::memory_order_release);
  return 1;
}

}  // namespace desktop
