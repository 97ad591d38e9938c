// The fixture of both programs' GPS reader tests: a temporary drive root, the virtual clock, the
// program's GPS port on a virtual port with the test windows the readers address, and one reader
// thread at a time, started once it waits for its first byte and ended by closing the port.
// What belongs to a program comes from its hooks, a type with:
//   using Windows = ...;  the test windows (a LinkWindowsBase)
//   kModel, kGpsCom, kClockYear: the build of SetUp, the COM number of SurveySettings.gpsPort as
//     UseBuild sets it, the year of the virtual clock's start
//   UseBuild(model): the build and its GPS port setting; GpsPort(): LinkState.gpsPort;
//   OpenGpsPort(); StopReaders(): what the end of a run tells a reader before the join;
//   Reset(): the program's state after the windows are gone; FlushDataFile(): the run's data file
//   written out.
#pragma once

#include <gtest/gtest.h>
#include <plat/testing.h>
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "root_files.h"
#include "thread_windows.h"

namespace test_support {

template <class Program>
class GpsReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::test::UseTempRoot();
    plat::test::UseVirtualClock(900000, plat::test::MakeSystemTime(Program::kClockYear, 5, 3, 10, 15, 30),
                                plat::test::ClockMode::Auto);
    Use(Program::kModel);
  }
  void TearDown() override {
    ClosePortField(Program::GpsPort());
    Program::StopReaders();
    if (reader_) {
      EXPECT_TRUE(JoinThread(reader_));
    }
    windows_.reset();
    Program::Reset();
    plat::test::Reset();
  }
  // The build, the GPS port on a virtual port, the test windows, the port open.
  void Use(int32_t model) {
    windows_.reset();
    ClosePortField(Program::GpsPort());
    Program::UseBuild(model);
    port_ = plat::test::AttachVirtualPort(Program::kGpsCom);
    windows_ = std::make_unique<typename Program::Windows>();
    ASSERT_EQ(Program::OpenGpsPort(), 1);
  }
  void Start(LPTHREAD_START_ROUTINE proc) {
    reader_ = StartThread(proc);
    ASSERT_NE(reader_, nullptr);
    ASSERT_TRUE(plat::test::WaitIdle());  // waiting for its first byte
  }
  // Ends the reader: afterwards its writes are visible here.
  void End() {
    ClosePortField(Program::GpsPort());
    EXPECT_TRUE(JoinThread(reader_));
    reader_ = nullptr;
  }
  // The test's data file as written so far.
  static std::string FileBytes() {
    Program::FlushDataFile();
    return survey::test::RootFileBytes("GPS.R12");
  }

  std::shared_ptr<plat::test::VirtualPort> port_;
  std::unique_ptr<typename Program::Windows> windows_;
  HANDLE reader_ = nullptr;
};

}  // namespace test_support
