#include "engine/ports.h"

#include <cwchar>

#include "engine/state.h"

namespace handheld {

namespace {

constexpr int kPortSettings = 12;  // settings 0 to 11
constexpr int kGpsTries = 10;
constexpr wchar_t kCaption[] = L"Serial Port";

constexpr wchar_t kGpsFailure[] = L"Cannot open GPS port";
constexpr wchar_t kMarkerFailure[] = L"Cannot open External Marker port";

// The initial values of the GPS settings stand in for an index outside its table.
const SurveySettingsData kInitialSettings{};

template <class T, int N>
T Lookup(const T (&table)[N], int32_t index, int32_t initialIndex) {
  return index >= 0 && index < N ? table[index] : table[initialIndex];
}

const DWORD kBaudRates[] = {CBR_4800, CBR_9600, CBR_19200, CBR_38400, CBR_57600, CBR_115200};
const BYTE kByteSizes[] = {7, 8};
const BYTE kParities[] = {NOPARITY, EVENPARITY, ODDPARITY};
const BYTE kStopBits[] = {ONESTOPBIT, TWOSTOPBITS};

void ShowFailure(const wchar_t* text) { MessageBoxW(AppWindows.monitorGpsWnd, text, kCaption, MB_OK); }

// Opens "COMn:" for reading and writing, unshared, as an existing device.
HANDLE OpenCom(int comNumber) {
  wchar_t name[16];
  swprintf(name, sizeof name / sizeof name[0], L"COM%d:", comNumber);
  return CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

DWORD InstrumentBaudRate() { return BuildModel().baud; }

// The instrument and marker ports: 8N1, binary, DTR on, RTS off, no flow control except, on the
// marker port, DSR output flow control. One-byte reads give up after 2000 ms.
void ConfigureInstrumentLine(HANDLE h, bool dsrFlow) {
  COMMTIMEOUTS t{65535, 1000, 1000, 0, 0};
  SetCommTimeouts(h, &t);
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  GetCommState(h, &dcb);
  dcb.BaudRate = InstrumentBaudRate();
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  dcb.fBinary = 1;
  dcb.fDtrControl = DTR_CONTROL_ENABLE;
  dcb.fRtsControl = RTS_CONTROL_DISABLE;
  dcb.fOutxCtsFlow = 0;
  dcb.fOutxDsrFlow = dsrFlow ? 1 : 0;
  dcb.fOutX = 0;
  dcb.fInX = 0;
  SetCommState(h, &dcb);
}

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

DWORD GpsBaudRate(int32_t index) { return Lookup(kBaudRates, index, kInitialSettings.gpsBaudIndex); }
BYTE GpsByteSize(int32_t index) { return Lookup(kByteSizes, index, kInitialSettings.gpsDataBitsIndex); }
BYTE GpsParity(int32_t index) { return Lookup(kParities, index, kInitialSettings.gpsParityIndex); }
BYTE GpsStopBits(int32_t index) { return Lookup(kStopBits, index, kInitialSettings.gpsStopBitsIndex); }

int32_t OpenInstrumentPort() {
  // A model outside the line gets the first model's message.
  const wchar_t* failure = (KnownModel(BuildConfig.modelIndex) ? BuildModel() : kModelRows[0]).portFailure;
  const int com = PortComNumber(PortRole::kInstrument, SurveySettings.instrumentPort);
  HANDLE h = com ? OpenCom(com) : INVALID_HANDLE_VALUE;
  if (h == INVALID_HANDLE_VALUE) {
    ShowFailure(failure);
    return 0;
  }
  ConfigureInstrumentLine(h, false);
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
  COMMTIMEOUTS t{100, 100, 100, 100, 100};
  SetCommTimeouts(h, &t);
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  GetCommState(h, &dcb);
  dcb.BaudRate = GpsBaudRate(SurveySettings.gpsBaudIndex);
  dcb.ByteSize = GpsByteSize(SurveySettings.gpsDataBitsIndex);
  dcb.Parity = GpsParity(SurveySettings.gpsParityIndex);
  dcb.StopBits = GpsStopBits(SurveySettings.gpsStopBitsIndex);
  dcb.fOutxCtsFlow = 0;
  dcb.fOutxDsrFlow = 0;
  dcb.fOutX = 1;
  dcb.fInX = 1;
  SetCommState(h, &dcb);
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
  ConfigureInstrumentLine(h, true);
  LinkState.markerPort.store(h, std::memory_order_release);
  return 1;
}

}  // namespace handheld
