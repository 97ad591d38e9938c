// The RZ56 conversion on any inputs: the counts, gain, tag, type, sensor size, variant, N.C.C.
// flag, current ring and null offsets all come from the bytes. No undefined behaviour, and every
// value, factor, row and compressed value is finite.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "engine/build_config.h"
#include "engine/rz56_convert.h"
#include "engine/state.h"
#include "fuzz_check.h"

using namespace desktop;

namespace {

class Input {
 public:
  Input(const uint8_t* data, size_t size) : p_(data), end_(data + size) {}
  template <class T>
  T Take() {
    T v{};
    const size_t n = static_cast<size_t>(end_ - p_) < sizeof v ? static_cast<size_t>(end_ - p_) : sizeof v;
    memcpy(&v, p_, n);
    p_ += n;
    return v;
  }
  // Any float the bits give, or (finite) a finite one.
  float Float(bool finite) {
    const float f = Take<float>();
    return finite && !std::isfinite(f) ? 0.0f : f;
  }

 private:
  const uint8_t* p_;
  const uint8_t* end_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in(data, size);
  Rz56Inputs x;
  for (int16_t& c : x.counts) c = in.Take<int16_t>();
  x.gain = in.Take<uint8_t>();
  x.tag = in.Take<uint8_t>();
  x.type = in.Take<int8_t>();
  x.sensorSize = in.Take<int8_t>();
  x.variant = in.Take<uint8_t>() % 3;
  x.ncc = (in.Take<uint8_t>() & 1) != 0;
  x.stored = (in.Take<uint8_t>() & 1) != 0;
  for (float& o : x.nullOffset) o = in.Float(true);

  // A ring of any floats, NaN and infinities included, with any index.
  Rz56CurrentRing ring;
  for (float& s : ring.currentSamples) s = in.Float(false);
  ring.currentIndex = in.Take<int32_t>();
  ring.currentSum = in.Float(false);
  const float current = static_cast<float>(x.counts[0]);
  AddRz56Current(ring, current);
  FUZZ_CHECK(ring.currentIndex >= 0 && ring.currentIndex < kRz56RingSize);
  x.current = current;
  x.mean = ring.currentMean;

  const Rz56Values v = ConvertRz56Core(x);
  FUZZ_CHECK(std::isfinite(v.factor));
  for (float ch : v.ch) FUZZ_CHECK(std::isfinite(ch));

  unsigned char frame[32] = {};
  RewriteRz56Frame(frame, ring.currentMean);
  FUZZ_CHECK(frame[16] == 0);

  Rz56QcState qc;
  SetRz56QcLimits(qc);
  for (int i = 0; i < 8; ++i) {
    const auto verdict = CheckRz56QcReading(qc, v.ch, (i & 1) != 0);
    FUZZ_CHECK(static_cast<int>(verdict) >= 0 && static_cast<int>(verdict) <= 2);
  }

  float any[kRz56Channels], out[kRz56Channels];
  for (float& f : any) f = in.Float(false);
  CompressRz56Core(any, true, out);
  for (int k = 0; k < kRz56Channels; ++k) FUZZ_CHECK(std::isnan(any[k]) == std::isnan(out[k]));

  // The conversions on the program's state, with the same settings, ring and offsets, and the
  // frame and record bytes from the input.
  BuildSwitches switches;
  switches.modelIndex = kModelRz56Mk2;
  switches.rz56Variant = x.variant;
  FillBuildConfig(switches);
  SurveySettings.rz56Type = x.type;
  SurveySettings.rz56SensorSize = x.sensorSize;
  Rz56Calibration.nccFlag = x.ncc ? 1 : 0;
  static_cast<Rz56CurrentRing&>(Rz56Calibration) = ring;
  for (int k = 0; k < kRz56Channels; ++k) Rz56Calibration.nullOffset[k] = x.nullOffset[k];
  for (unsigned char& b : LinkState.frame) b = in.Take<uint8_t>();
  float ch[4], frameCurrent = 0;
  int32_t battery = 0, tag = 0;
  int16_t gain = 0;
  ConvertRz56Frame(ch[0], ch[1], ch[2], ch[3], frameCurrent, battery, gain, tag);
  for (float c : ch) FUZZ_CHECK(std::isfinite(c));
  FUZZ_CHECK(std::isfinite(Rz56Calibration.normFactor) && LinkState.frame[16] == 0);
  unsigned char record[13];
  for (unsigned char& b : record) b = in.Take<uint8_t>();
  ConvertRz56Record(record, ch[0], ch[1], ch[2], ch[3], x.nullOffset[0], x.nullOffset[1], x.nullOffset[2],
                    x.nullOffset[3], tag);
  for (float c : ch) FUZZ_CHECK(std::isfinite(c));
  FUZZ_CHECK(tag == record[0]);

  // Rows and compression of any floats, on any scale.
  SurveySettings.scale1Max = in.Float(false);
  PlotState.pxPerUnit0 = in.Float(false);
  SurveySettings.rz56ScaleMode = in.Take<uint8_t>() & 1;
  int32_t rows[kRz56Channels];
  Rz56ValuesToRows(any[0], any[1], any[2], any[3], rows);
  for (int32_t r : rows) FUZZ_CHECK(r >= -32768 && r <= 32767);
  CompressRz56Values(any[0], any[1], any[2], any[3], out[0], out[1], out[2], out[3]);
  Rz56ValuesToRows(out[0], out[1], out[2], out[3], rows);
  return 0;
}
