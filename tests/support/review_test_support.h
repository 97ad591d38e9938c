// Hand-built survey data files for the file review's tests and benchmarks: records of a given
// length with the fields where the review reads them.
#pragma once

#include <cstdint>
#include <string>

namespace handheld::test {

// One record: the text cut or blank-filled to length - 1 bytes, then a line feed.
std::string ReviewRecord(const std::string& text, int length = 24);

// The header record with the dipole, survey-mode and component digits at 16 to 18 and the two
// ice characters at 19 and 20, then the header name record.
std::string ReviewFileHeader(char dipole, char mode, char component, char zol = ' ', char sea = ' ',
                             int length = 24);

// A line block: the name record, the start station ("%11.2f"), the increment ("%11.3f" at 8,
// after the direction letter) and the date record.
std::string ReviewLineBlock(const std::string& name, double start, double increment, int length = 24);

// A meter reading record: the tag ('T', 't' or '2' to '6'), the status byte and two 5-character
// fields. RZ12 status 0x74 is vertical (conductivity x -0.025 in channel 0, inphase x -0.0025 in
// channel 2), 0x54 horizontal (channels 1 and 3).
std::string MeterReadingRecord(char tag, unsigned char status, int field1, int field2, int length = 24);
constexpr unsigned char kRz12Vertical = 0x74;
constexpr unsigned char kRz12Horizontal = 0x54;

// A station record ("%11.2f" at 1) and an RZ27-MK2 calibration record (O1 to O6).
std::string StationRecordText(double station, int length = 24);
std::string CalibrationRecordText(int offset, double value, int length = 26);

// A whole file: the header and `lines` lines of `readings` vertical RZ12 readings each, start 0,
// increment 1, a time record after every tenth reading.
std::string ReviewDataFile(int lines, int readings, int length = 24);

// Writes bytes to a file under the drive root (Windows form, e.g. "\\Storage\\DATA12\\A.R12"),
// making its folders; false when it could not.
bool WriteRootFile(const wchar_t* path, const std::string& bytes);

}  // namespace handheld::test
