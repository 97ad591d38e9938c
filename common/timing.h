// The short busy wait both programs use.
#pragma once

namespace survey {

// Busy wait until more than ms milliseconds have passed on the tick counter (a signed 32-bit
// difference, so the wrap is harmless). Turns with plat::SpinPause(); processes no messages and
// serves no sends made to the calling thread.
void DelayMs(int ms);

}  // namespace survey
