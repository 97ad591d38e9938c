// Reader threads in tests: their start, the close of a port as the end of a run does it, and the
// join that serves the reader's pending send (the helpers of both programs' reader tests).
#pragma once

#include "thread_windows.h"

namespace desktop::test {

using test_support::ClosePortField;
using test_support::JoinThread;
using test_support::StartThread;

}  // namespace desktop::test
