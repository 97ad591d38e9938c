// The file review's reading side: header digits, the record readers, the line scan, the walk of
// one line into scratch rows, and the two row formats with their reader.
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "engine/decoders.h"
#include "engine/records.h"
#include "engine/state.h"
#include "shell/file_review_rules.h"

namespace handheld {

namespace {

constexpr int kChannels = 8;
constexpr size_t kBlockBytes = 64 * 1024;
constexpr int kNameMax = 8;

// Every "%12.2f" field keeps its 12 characters (and its '.') within these bounds.
constexpr double kFieldMin = -99999999.99;
constexpr double kFieldMax = 999999999.99;

double FieldValue(double v) { return std::isnan(v) ? 0.0 : std::clamp(v, kFieldMin, kFieldMax); }

// A decimal number from a text (decimal only), narrowed to a float within its range.
float ClampedFloat(double v) {
  constexpr double kMax = FLT_MAX;
  return static_cast<float>(std::clamp(v, -kMax, kMax));
}

double NumberAt(const unsigned char* record, int at) {
  return plat::ParseDecimal(reinterpret_cast<const char*>(record) + at);
}

// A fixed-width field of a row copied out and read as a decimal number.
double RowNumber(const char* row, int at, int width) {
  char text[16];
  std::memcpy(text, row + at, static_cast<size_t>(width));
  text[width] = 0;
  return plat::ParseDecimal(text);
}

int32_t RowInteger(const char* row, int at, int width) {
  char text[16];
  std::memcpy(text, row + at, static_cast<size_t>(width));
  text[width] = 0;
  return plat::atoi(text);
}

// One reading record decoded into the eight channels: its first frameLength bytes (at most the
// record), zero-ended; RZ27-MK2 records hold zero bytes, so they are copied as bytes.
void DecodeReading(const unsigned char* record, const WalkSettings& s, const float offsets[6], int32_t valid[8],
                   float values[8]) {
  unsigned char frame[kRecordMax + 2] = {};
  const int n = std::clamp<int>(s.frameLength, 0, std::min(s.length, kRecordMax));
  std::memcpy(frame, record, static_cast<size_t>(n));
  DecodeStoredReading(frame, offsets, valid, values);
}

// The readings of one station being gathered.
struct Group {
  int32_t valid[kChannels] = {};
  float values[kChannels] = {};
  void Clear() { *this = Group{}; }
};

}  // namespace

// ---- Header -----------------------------------------------------------------------------------

int32_t HeaderDigit(unsigned char c) { return c >= '0' && c <= '9' ? c - '0' : 0; }

int32_t SeaWaterDigit(unsigned char c) { return c == 'A' ? 10 : HeaderDigit(c); }

int32_t ReadingsPerStation(int32_t model, int32_t surveyMode, int32_t dipole, int32_t component) {
  if (surveyMode != 2) return 1;
  const ModelRow& row = ModelRowOf(model);
  // The RZ45's dipole setting is the readings per station; otherwise Both in a list that offers
  // separate readings (the dipoles' Vertical and Horizontal, the components' Inphase and
  // Conductivity) takes one of each.
  if (row.dipoles == DipoleChoice::kSeparations) return dipole + 1;
  const int perDipole = row.dipoles == DipoleChoice::kVerticalHorizontal && dipole == 2 ? 2 : 1;
  const int perComponent = row.components == ComponentChoice::kShortOrLong && component == 0 ? 2 : 1;
  return perDipole * perComponent;
}

ReviewHeader ParseReviewHeader(const unsigned char* record, int length, bool readIce) {
  ReviewHeader h;
  if (record == nullptr || length < 22) return h;
  h.dipole = HeaderDigit(record[16]);
  h.surveyMode = HeaderDigit(record[17]);
  h.component = HeaderDigit(record[18]);
  if (readIce) {
    h.zolEnabled = HeaderDigit(record[19]);
    if (h.zolEnabled == 1) h.seaWaterIndex = SeaWaterDigit(record[20]);
  }
  return h;
}

// ---- Records ----------------------------------------------------------------------------------

FileRecords::FileRecords(HANDLE file, int length, int64_t start) : file_(file), length_(length) {
  LARGE_INTEGER at{};
  at.QuadPart = start;
  if (length_ <= 0 || start < 0 || !SetFilePointerEx(file_, at, nullptr, FILE_BEGIN)) ended_ = true;
  if (!ended_) block_.resize(kBlockBytes / static_cast<size_t>(length_) * static_cast<size_t>(length_));
}

bool FileRecords::Next(unsigned char* record) {
  if (next_ == have_) {
    if (ended_) return false;
    DWORD got = 0;
    if (!ReadFile(file_, block_.data(), static_cast<DWORD>(block_.size()), &got, nullptr)) got = 0;
    if (got < block_.size()) ended_ = true;
    have_ = got - got % static_cast<size_t>(length_);
    next_ = 0;
    if (have_ == 0) return false;
  }
  std::memcpy(record, block_.data() + next_, static_cast<size_t>(length_));
  next_ += static_cast<size_t>(length_);
  return true;
}

MemoryRecords::MemoryRecords(const unsigned char* data, size_t size, int length, size_t start)
    : data_(data), size_(size), length_(length > 0 ? static_cast<size_t>(length) : 0), at_(start) {}

bool MemoryRecords::Next(unsigned char* record) {
  if (length_ == 0 || at_ > size_ || size_ - at_ < length_) return false;
  std::memcpy(record, data_ + at_, length_);
  at_ += length_;
  return true;
}

void ScanLines(RecordSource& records, int length, LineIndex& out) {
  out.offsets.clear();
  out.names.clear();
  unsigned char record[kRecordMax];
  for (int64_t offset = 0; records.Next(record); offset += length) {
    if (record[0] != 'L') continue;
    record[length - 1] = 0;
    std::string name;
    for (int i = 1; i <= kNameMax && i < length && record[i] != ' ' && record[i] != 0; ++i) {
      name += static_cast<char>(record[i]);
    }
    out.offsets.push_back(offset);
    out.names.push_back(std::move(name));
  }
}

// ---- Scratch rows -----------------------------------------------------------------------------

void AppendStationRow(ScratchRows& rows, double station, const int32_t valid[8], const float values[8]) {
  if (rows.count == INT32_MAX) return;
  const double s = FieldValue(station);
  char text[kValuesRowBytes + 1];
  int32_t flag[kChannels];
  for (int c = 0; c < kChannels; ++c) flag[c] = valid[c] != 0 ? 1 : 0;
  snprintf(text, sizeof text, "%12.2f%2d%2d%2d%2d%2d%2d%2d%2d\n", s, flag[0], flag[1], flag[2], flag[3], flag[4],
           flag[5], flag[6], flag[7]);
  rows.flags.append(text, kFlagsRowBytes);
  double v[kChannels];
  for (int c = 0; c < kChannels; ++c) v[c] = FieldValue(values[c]);
  snprintf(text, sizeof text, "%12.2f%12.2f%12.2f%12.2f%12.2f%12.2f%12.2f%12.2f%12.2f\n", s, v[0], v[1], v[2], v[3],
           v[4], v[5], v[6], v[7]);
  rows.values.append(text, kValuesRowBytes);
  ++rows.count;
}

void AppendGapRow(ScratchRows& rows) {
  if (rows.count == INT32_MAX) return;
  static constexpr char kFlags[] = "          -1 0 0 0 0 0 0 0 0\n";
  static constexpr char kValues[] =
      "          -1       -9999       -9999       -9999       -9999       -9999       -9999       -9999       -9999\n";
  static_assert(sizeof kFlags - 1 == kFlagsRowBytes && sizeof kValues - 1 == kValuesRowBytes);
  rows.flags.append(kFlags, kFlagsRowBytes);
  rows.values.append(kValues, kValuesRowBytes);
  ++rows.count;
}

void WalkLine(RecordSource& records, const WalkSettings& s, ScratchRows& rows, ScratchSink* sink) {
  const int length = s.length;
  if (length < 2 || length > kRecordMax) return;
  unsigned char record[kRecordMax];
  // The line block: a short read leaves the record empty, so its numbers read 0.
  const auto next = [&](bool& more) {
    if (more) more = records.Next(record);
    if (!more) std::memset(record, 0, sizeof record);
    record[length - 1] = 0;
    return more;
  };
  bool more = true;
  next(more);  // the line name
  next(more);
  const double start = NumberAt(record, 1);
  next(more);
  const double increment = NumberAt(record, 2);

  double station = start - increment;  // the line's first reading gets the start station
  float offsets[6] = {};
  Group group;
  int32_t count = 0;
  int32_t valid[kChannels];
  float values[kChannels];
  const auto writeGroup = [&] {
    AppendStationRow(rows, station, group.valid, group.values);
    group.Clear();
  };

  while (next(more)) {
    const unsigned char tag = record[0];
    if (tag == 'L') break;
    if (tag == 'T' || tag == 't') {
      station += increment;
      if (count > 0) writeGroup();
      count = 1;
      DecodeReading(record, s, offsets, valid, values);
      std::memcpy(group.valid, valid, sizeof valid);
      std::memcpy(group.values, values, sizeof values);
      if (count == s.curvesPerStation) {
        writeGroup();
        count = 0;
      }
    } else if (tag >= '2' && tag <= '6') {
      if (count == 0) count = 1;
      if (count < INT32_MAX) ++count;
      DecodeReading(record, s, offsets, valid, values);
      for (int c = 0; c < kChannels; ++c) {
        if (valid[c] != 1) continue;
        group.valid[c] = 1;
        group.values[c] = values[c];
      }
      if (count == s.curvesPerStation) {
        writeGroup();
        count = 0;
      }
    } else if (tag == 'O') {
      const int i = record[1] - '1';
      if (i >= 0 && i < 6) offsets[i] = ClampedFloat(NumberAt(record, 2));
    } else if (tag == 'S') {
      for (int k = 0; k < kGapRowsPerStationRecord; ++k) AppendGapRow(rows);
      station = NumberAt(record, 1) - increment;
    }
    if (sink != nullptr && rows.values.size() >= kScratchFlushBytes) sink->Flush(rows);
  }
}

RowKind ParseSlotRows(const char* flagsRow, size_t got1, const char* valuesRow, size_t got2, int channels,
                      SlotRow& slot) {
  const int n = std::clamp(channels, 0, kChannels);
  const auto clear = [&] {
    slot.present = 0;
    for (int c = 0; c < n; ++c) slot.valid[c] = 0;
  };
  if (flagsRow == nullptr || got1 < kFlagsRowBytes) {
    clear();
    return RowKind::kPastEnd;
  }
  if (valuesRow == nullptr || got2 < kValuesRowBytes || std::memchr(valuesRow, '.', kValuesRowBytes) == nullptr) {
    clear();
    return RowKind::kGap;
  }
  slot.present = 1;
  slot.station = ClampedFloat(RowNumber(flagsRow, 0, 12));
  for (int c = 0; c < n; ++c) {
    slot.valid[c] = RowInteger(flagsRow, 12 + 2 * c, 2);
    slot.value[c] = ClampedFloat(RowNumber(valuesRow, 12 + 12 * c, 12));
  }
  return RowKind::kStation;
}

}  // namespace handheld
