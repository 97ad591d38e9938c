// Window-layer benchmarks: a cross-thread SendMessage round trip from a worker to a UI thread
// waiting in GetMessage, and a full repaint of a logging-screen-like 320x240 window including the
// composition of the screen. Each reports the median of its iterations as "median_us".
#include <benchmark/benchmark.h>
#include <plat/testing.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <vector>

#include "window_scene.h"

namespace {

using Clock = std::chrono::steady_clock;

double MedianUs(std::vector<double>& samples) {
  if (samples.empty()) return 0;
  std::nth_element(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(samples.size() / 2), samples.end());
  return samples[samples.size() / 2];
}

LRESULT CALLBACK EchoProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_USER + 10) return static_cast<LRESULT>(w + 1);
  if (msg == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(h, msg, w, l);
}

struct UiThread {
  std::atomic<HWND> window{nullptr};
};

DWORD WINAPI UiMain(LPVOID p) {
  auto* ui = static_cast<UiThread*>(p);
  WNDCLASSW wc{};
  wc.lpfnWndProc = EchoProc;
  wc.lpszClassName = L"Echo";
  RegisterClassW(&wc);
  ui->window = CreateWindowExW(0, L"Echo", L"echo", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}

void BM_SendMessageRoundTrip(benchmark::State& state) {
  plat::test::Reset();
  UiThread ui;
  HANDLE t = CreateThread(nullptr, 0, UiMain, &ui, 0, nullptr);
  while (!ui.window.load()) Sleep(1);
  HWND h = ui.window.load();
  std::vector<double> samples;
  WPARAM i = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    const LRESULT r = SendMessageW(h, WM_USER + 10, i, 0);
    samples.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    if (r != static_cast<LRESULT>(i + 1)) state.SkipWithError("wrong result");
    ++i;
  }
  state.counters["median_us"] = MedianUs(samples);
  PostMessageW(h, WM_CLOSE, 0, 0);
  WaitForSingleObject(t, INFINITE);
  CloseHandle(t);
  plat::test::Reset();
}
BENCHMARK(BM_SendMessageRoundTrip)->Iterations(20000)->UseRealTime();

void BM_LoggingScreenRepaint(benchmark::State& state) {
  plat::test::Reset(plat::Profile::Handheld, {320, 240});
  const scene::Windows w = scene::Make();
  plat::test::PumpUntilIdle();
  std::vector<double> samples;
  for (auto _ : state) {
    const auto start = Clock::now();
    scene::Repaint(w);
    benchmark::DoNotOptimize(plat::test::ScreenPixel(160, 120));  // composes the screen
    samples.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
  }
  state.counters["median_us"] = MedianUs(samples);
  plat::test::Reset();
}
BENCHMARK(BM_LoggingScreenRepaint)->Iterations(2000)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
