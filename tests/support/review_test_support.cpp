#include "review_test_support.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace handheld::test {

std::string ReviewRecord(const std::string& text, int length) {
  std::string r = text.substr(0, static_cast<size_t>(length - 1));
  r.resize(static_cast<size_t>(length - 1), ' ');
  return r + '\n';
}

std::string ReviewFileHeader(char dipole, char mode, char component, char zol, char sea, int length) {
  std::string h = "RZ12MK2 W211GRD0";
  h += dipole;
  h += mode;
  h += component;
  h += zol;
  h += sea;
  return ReviewRecord(h, length) + ReviewRecord("H REVIEW     0.200", length);
}

std::string ReviewLineBlock(const std::string& name, double start, double increment, int length) {
  char b[64];
  char a[64];
  std::snprintf(b, sizeof b, "B%11.2f", start);
  std::snprintf(a, sizeof a, "AN      %11.3f", increment);
  return ReviewRecord("L" + name, length) + ReviewRecord(b, length) + ReviewRecord(a, length) +
         ReviewRecord("Z05032013 14:07:09", length);
}

std::string MeterReadingRecord(char tag, unsigned char status, int field1, int field2, int length) {
  char text[64];
  std::snprintf(text, sizeof text, "%c%c%5d%5d", tag, static_cast<char>(status), field1, field2);
  return ReviewRecord(std::string(text, 12) + "   100000", length);
}

std::string StationRecordText(double station, int length) {
  char text[64];
  std::snprintf(text, sizeof text, "S%11.2f 14070900", station);
  return ReviewRecord(text, length);
}

std::string CalibrationRecordText(int offset, double value, int length) {
  char text[64];
  std::snprintf(text, sizeof text, "O%d%10.3f %10.3f", offset, value, 0.0);
  return ReviewRecord(text, length);
}

std::string ReviewDataFile(int lines, int readings, int length) {
  std::string file = ReviewFileHeader('0', '0', '0', ' ', ' ', length);
  for (int l = 0; l < lines; ++l) {
    file += ReviewLineBlock(std::to_string(l), 0.0, 1.0, length);
    for (int i = 0; i < readings; ++i) {
      file += MeterReadingRecord('T', kRz12Vertical, -200 - i % 50, 500 + 7 * (i % 30), length);
      if (i % 10 == 9) file += ReviewRecord("*14:07:09.000", length);
    }
  }
  return file;
}

bool WriteRootFile(const wchar_t* path, const std::string& bytes) {
  // Every folder on the way, an existing one left as it is.
  const std::wstring p = path;
  for (size_t at = p.find(L'\\', 1); at != std::wstring::npos; at = p.find(L'\\', at + 1)) {
    CreateDirectoryW(p.substr(0, at).c_str(), nullptr);
  }
  HANDLE h = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD put = 0;
  const bool ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) && put == bytes.size();
  CloseHandle(h);
  return ok;
}

}  // namespace handheld::test
