// Windows paths mapped into the drive root: both profiles, case, bad names, the current directory.
#include <gtest/gtest.h>
#include <plat/testing.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "../../platform/src/paths.h"

namespace {

using plat::Profile;
using plat::detail::MapMode;
using plat::detail::MappedPath;

bool Exists(const std::string& p) {
  struct stat st;
  return lstat(p.c_str(), &st) == 0;
}

void Touch(const std::string& p) { std::ofstream(p) << "x"; }

class PathsTest : public ::testing::Test {
 protected:
  void Start(Profile profile) {
    plat::test::Reset(profile);
    root_ = plat::test::UseTempRoot();
  }
  void SetUp() override { Start(Profile::Handheld); }
  void TearDown() override { plat::test::Reset(); }

  // The Linux path relative to the root, or "error N".
  std::string Map(const plat::detail::CodePoints& p, MapMode mode = MapMode::Plain) {
    MappedPath m;
    SetLastError(0);
    if (!plat::detail::MapPath(p, mode, &m)) return "error " + std::to_string(GetLastError());
    EXPECT_EQ(m.linuxPath.compare(0, root_.size(), root_), 0) << m.linuxPath;
    return m.linuxPath.size() > root_.size() ? m.linuxPath.substr(root_.size() + 1) : "";
  }
  std::string MapW(const wchar_t* p) { return Map(plat::detail::FromWide(p)); }
  std::string MapA(const char* p) { return Map(plat::detail::FromCp1252(p)); }

  std::string root_;
};

std::string Err(DWORD e) { return "error " + std::to_string(e); }

TEST_F(PathsTest, HandheldTable) {
  mkdir((root_ + "/Storage/DATA12").c_str(), 0777);
  std::wstring longOk = L"\\Storage";
  while (longOk.size() + 11 <= 259) longOk += L"\\abcdefghij";
  longOk.resize(259, L'x');  // exactly 259 characters
  std::wstring tooLong = longOk + L"y";
  std::wstring climbs;
  for (int i = 0; i < 100; ++i) climbs += L"abc\\..\\";
  climbs += L"Storage\\z";

  struct Row {
    std::wstring path;
    std::string want;
  } rows[] = {
      {L"\\Storage\\DATA12\\030514A.R12", "Storage/DATA12/030514A.R12"},
      {L"Storage\\VLQINI\\RZ12.INI", "Storage/VLQINI/RZ12.INI"},
      {L"C_DRIVE\\DATA89\\X.R89", "C_DRIVE/DATA89/X.R89"},
      {L"\\C_DRIVE\\DATA89\\X.R89", "C_DRIVE/DATA89/X.R89"},
      {L"//Storage\\\\DATA12/./x", "error 3"},  // a leading double separator is UNC
      {L"\\Storage\\\\DATA12//./x\\", "Storage/DATA12/x"},
      {L"\\storage\\data12\\New.R12", "Storage/DATA12/New.R12"},
      {L"\\..\\..\\Storage\\a", "Storage/a"},
      {L"Storage\\a\\..\\..\\..\\..\\b", "b"},
      {L"\\", ""},
      {L"..", ""},
      {climbs, "Storage/z"},
      {L"c:\\Data\\x", "C/Data/x"},
      {L"\\Storage\\M\u00FC\u00DF\u20AC", "Storage/M\u00FC\u00DF\u20AC"},
      {longOk, "ok"},
      {tooLong, Err(ERROR_FILENAME_EXCED_RANGE)},
      {L"", Err(ERROR_PATH_NOT_FOUND)},
      {L"NUL", Err(ERROR_PATH_NOT_FOUND)},
      {L"\\Storage\\con.txt", Err(ERROR_PATH_NOT_FOUND)},
      {L"\\Storage\\LPT1", Err(ERROR_PATH_NOT_FOUND)},
      {L"COM1:", Err(ERROR_PATH_NOT_FOUND)},
      {L"\\\\server\\share\\x", Err(ERROR_PATH_NOT_FOUND)},
      {L"\\\\.\\PIPE\\x", Err(ERROR_PATH_NOT_FOUND)},
      {L"\\Storage\\a*b", Err(ERROR_INVALID_NAME)},
      {L"\\Storage\\a?", Err(ERROR_INVALID_NAME)},
      {L"\\Storage\\a:b", Err(ERROR_INVALID_NAME)},
      {L"\\Storage\\a\"b", Err(ERROR_INVALID_NAME)},
      {L"\\Storage\\<a>", Err(ERROR_INVALID_NAME)},
      {L"\\Storage\\a|b\\c", Err(ERROR_INVALID_NAME)},
      {L"\\Storage\\a\x01", Err(ERROR_INVALID_NAME)},
      {std::wstring(L"\\Storage\\") + static_cast<wchar_t>(0xD800), Err(ERROR_INVALID_NAME)},
  };
  for (const auto& r : rows) {
    std::string got = MapW(r.path.c_str());
    if (r.want == "ok") {
      EXPECT_EQ(got.rfind("Storage/", 0), 0u) << got;
    } else {
      EXPECT_EQ(got, r.want) << std::string(r.path.begin(), r.path.end());
    }
  }
}

TEST_F(PathsTest, DesktopTableWithCurrentDirectory) {
  Start(Profile::Desktop);
  ASSERT_TRUE(CreateDirectoryA("C:\\RZ12", nullptr));
  ASSERT_TRUE(SetCurrentDirectoryA("c:\\rz12"));
  Touch(root_ + "/C/RZ12/RZ12XP.INI");
  struct Row {
    const char* path;
    std::string want;
  } rows[] = {
      {"RZ12XP.INI", "C/RZ12/RZ12XP.INI"},
      {"rz12xp.ini", "C/RZ12/RZ12XP.INI"},
      {"C:\\RZ12\\DATA\\030514A.R12", "C/RZ12/DATA/030514A.R12"},
      {"\\DATA", "C/DATA"},
      {"..\\X", "C/X"},
      {"..\\..\\..\\X", "C/X"},
      {"C:\\..\\X", "C/X"},
      {"C:X", "C/RZ12/X"},
      {"C:", "C/RZ12"},
      {"d:\\x", "D/x"},
      {"d:x", "D/x"},
      {".\\DATA\\.\\F.R12", "C/RZ12/DATA/F.R12"},
      {"\x80\xE9.txt", "C/RZ12/\u20AC\u00E9.txt"},
      {"a:b", "A/b"},  // drive-relative on another drive
      {"x\\a:b", Err(ERROR_INVALID_NAME)},
      {"\\\\server\\x", Err(ERROR_PATH_NOT_FOUND)},
      {"aux", Err(ERROR_PATH_NOT_FOUND)},
  };
  for (const auto& r : rows) EXPECT_EQ(MapA(r.path), r.want) << r.path;
}

TEST_F(PathsTest, CaseResolution) {
  std::string dir = root_ + "/Storage/DATA";
  mkdir(dir.c_str(), 0777);
  Touch(dir + "/aBc");
  Touch(dir + "/Abc");
  mkdir((dir + "/\u00C9T\u00C9").c_str(), 0777);  // "ÉTÉ" on disk
  EXPECT_EQ(MapW(L"\\storage\\data\\aBc"), "Storage/DATA/aBc");      // exact wins
  EXPECT_EQ(MapW(L"\\storage\\data\\ABC"), "Storage/DATA/Abc");      // first in sorted order
  EXPECT_EQ(MapW(L"\\Storage\\DATA\\\u00E9t\u00E9\\f"), "Storage/DATA/\u00C9T\u00C9/f");
  EXPECT_EQ(MapW(L"\\STORAGE\\New\\Name.Txt"), "Storage/New/Name.Txt");  // new names keep their spelling

  // A new file keeps the program's spelling; CREATE_NEW sees an existing name in another case.
  HANDLE h = CreateFileW(L"\\STORAGE\\data\\New.Txt", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
  EXPECT_TRUE(Exists(dir + "/New.Txt"));
  h = CreateFileW(L"\\Storage\\DATA\\NEW.TXT", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  EXPECT_EQ(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
}

TEST(CommNames, Parse) {
  struct Row {
    const char* name;
    int port;
  } rows[] = {
      {"COM1", 1},       {"com12:", 12},     {"\\\\.\\COM10", 10}, {"\\\\.\\cOm255", 255}, {"COM255:", 255},
      {"COM256", 0},     {"COM0", 0},        {"COM01", 0},         {"COM", 0},             {"COM1x", 0},
      {"COM1::", 0},     {"\\\\.\\COM1:", 0}, {"xCOM1", 0},        {"\\COM1", 0},          {"", 0},
  };
  for (const auto& r : rows) EXPECT_EQ(plat::detail::ParseCommName(r.name), r.port) << r.name;
  EXPECT_EQ(plat::detail::ParseCommName(nullptr), 0);
}

TEST_F(PathsTest, CommNamesNeverBecomeFiles) {
  // Whatever the port module answers, no file of that name appears in the root.
  for (const wchar_t* name : {L"COM200:", L"com200", L"\\\\.\\COM200"}) {
    HANDLE h = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
  EXPECT_FALSE(Exists(root_ + "/COM200:"));
  EXPECT_FALSE(Exists(root_ + "/com200"));
  EXPECT_EQ(DeleteFileW(L"COM200:"), FALSE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST_F(PathsTest, DesktopCurrentDirectory) {
  setenv("PLAT_CWD", "c:\\Survey\\Data", 1);
  Start(Profile::Desktop);
  unsetenv("PLAT_CWD");
  EXPECT_TRUE(Exists(root_ + "/C/Survey/Data"));  // the start folder is created
  char buf[MAX_PATH];
  EXPECT_EQ(GetCurrentDirectoryA(MAX_PATH, buf), 14u);
  EXPECT_STREQ(buf, "C:\\Survey\\Data");

  // Too small: the size needed, NUL included, and the buffer untouched.
  char small[5] = "zzzz";
  EXPECT_EQ(GetCurrentDirectoryA(sizeof small, small), 15u);
  EXPECT_STREQ(small, "zzzz");

  EXPECT_TRUE(SetCurrentDirectoryA("\\"));
  EXPECT_EQ(GetCurrentDirectoryA(MAX_PATH, buf), 3u);
  EXPECT_STREQ(buf, "C:\\");
  EXPECT_TRUE(SetCurrentDirectoryA("survey"));  // relative, and the on-disk spelling is kept
  wchar_t wbuf[MAX_PATH];
  EXPECT_EQ(GetCurrentDirectoryW(MAX_PATH, wbuf), 9u);
  EXPECT_STREQ(wbuf, L"C:\\Survey");

  Touch(root_ + "/C/Survey/file");
  for (const char* bad : {"C:\\Missing", "file", "C:\\Survey\\file\\x"}) {
    SetLastError(0);
    EXPECT_FALSE(SetCurrentDirectoryA(bad)) << bad;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND)) << bad;
  }
  EXPECT_EQ(GetCurrentDirectoryA(MAX_PATH, buf), 9u);
  EXPECT_STREQ(buf, "C:\\Survey");
}

TEST_F(PathsTest, HandheldHasNoCurrentDirectory) {
  wchar_t buf[8];
  EXPECT_EQ(GetCurrentDirectoryW(8, buf), 1u);
  EXPECT_STREQ(buf, L"\\");
  EXPECT_FALSE(SetCurrentDirectoryW(L"\\Storage"));
  EXPECT_EQ(MapW(L"Storage\\x"), "Storage/x");
}

TEST(Configuration, RootAndDeviceFolderFromTheEnvironment) {
  plat::test::Reset();
  unsetenv("PLAT_ROOT");
  unsetenv("PLAT_DEVDIR");
  setenv("XDG_DATA_HOME", "/xdg/data", 1);
  std::string exe = program_invocation_short_name;
  EXPECT_EQ(std::string(plat::DriveRoot()), "/xdg/data/" + exe + "/root");
  EXPECT_EQ(std::string(plat::DeviceDir()), "/xdg/data/" + exe + "/root/dev");

  plat::test::Reset();
  unsetenv("XDG_DATA_HOME");
  setenv("HOME", "/home/surveyor", 1);
  EXPECT_EQ(std::string(plat::DriveRoot()), "/home/surveyor/.local/share/" + exe + "/root");

  plat::test::Reset();
  setenv("PLAT_ROOT", "/srv/root/", 1);
  setenv("PLAT_DEVDIR", "/srv/ports", 1);
  EXPECT_STREQ(plat::DriveRoot(), "/srv/root");
  EXPECT_STREQ(plat::DeviceDir(), "/srv/ports");

  // A temporary root overrides the environment until the reset.
  std::string tmp = plat::test::UseTempRoot();
  EXPECT_EQ(std::string(plat::DriveRoot()), tmp);
  EXPECT_EQ(std::string(plat::DeviceDir()), tmp + "/dev");
  for (const char* sub : {"/dev", "/Storage", "/C_DRIVE"}) EXPECT_TRUE(Exists(tmp + sub)) << sub;
  plat::test::Reset();
  EXPECT_FALSE(Exists(tmp));
  EXPECT_STREQ(plat::DriveRoot(), "/srv/root");
  unsetenv("PLAT_ROOT");
  unsetenv("PLAT_DEVDIR");
}

}  // namespace
