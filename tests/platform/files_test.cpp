// File handles: dispositions, sharing, reads and writes, positions, folders, searches, faults.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <plat/testing.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

using plat::Profile;

constexpr DWORD kRW = GENERIC_READ | GENERIC_WRITE;

std::string Slurp(const std::string& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

bool Exists(const std::string& p) {
  struct stat st;
  return lstat(p.c_str(), &st) == 0;
}

void Spit(const std::string& p, const std::string& s) { std::ofstream(p, std::ios::binary) << s; }

HANDLE Open(const wchar_t* path, DWORD access, DWORD disposition, DWORD share = 0) {
  return CreateFileW(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

DWORD Position(HANDLE h) { return SetFilePointer(h, 0, nullptr, FILE_CURRENT); }

std::string ReadAll(HANDLE h) {
  std::string s;
  char buf[64];
  DWORD got = 0;
  while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) s.append(buf, got);
  return s;
}

class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = plat::test::UseTempRoot();
    dir_ = root_ + "/Storage";
  }
  void TearDown() override { plat::test::Reset(); }
  std::string root_;
  std::string dir_;  // <root>/Storage, the folder of L"\\Storage\\..."
};

TEST_F(FilesTest, DispositionTable) {
  constexpr DWORD kUntouched = 777;
  struct Row {
    DWORD disposition;
    bool exists;
    bool opens;
    DWORD lastError;
    long sizeAfter;  // -1: no file
  } rows[] = {
      {CREATE_NEW, true, false, ERROR_FILE_EXISTS, 3},
      {CREATE_NEW, false, true, kUntouched, 0},
      {CREATE_ALWAYS, true, true, ERROR_ALREADY_EXISTS, 0},
      {CREATE_ALWAYS, false, true, ERROR_SUCCESS, 0},
      {OPEN_EXISTING, true, true, kUntouched, 3},
      {OPEN_EXISTING, false, false, ERROR_FILE_NOT_FOUND, -1},
      {OPEN_ALWAYS, true, true, ERROR_ALREADY_EXISTS, 3},
      {OPEN_ALWAYS, false, true, ERROR_SUCCESS, 0},
      {TRUNCATE_EXISTING, true, true, kUntouched, 0},
      {TRUNCATE_EXISTING, false, false, ERROR_FILE_NOT_FOUND, -1},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << "disposition " << r.disposition << (r.exists ? " exists" : " missing"));
    std::string linux = dir_ + "/F.DAT";
    unlink(linux.c_str());
    if (r.exists) Spit(linux, "abc");
    SetLastError(kUntouched);
    HANDLE h = Open(L"\\Storage\\f.dat", kRW, r.disposition);
    EXPECT_EQ(h != INVALID_HANDLE_VALUE, r.opens);
    EXPECT_EQ(GetLastError(), r.lastError);
    if (h != INVALID_HANDLE_VALUE) {
      EXPECT_EQ(GetFileSize(h, nullptr), static_cast<DWORD>(r.sizeAfter));
      EXPECT_TRUE(CloseHandle(h));
    }
    struct stat st;
    if (r.sizeAfter < 0) {
      EXPECT_FALSE(Exists(linux));
      EXPECT_FALSE(Exists(dir_ + "/f.dat"));
    } else {
      ASSERT_EQ(stat(r.exists ? linux.c_str() : (dir_ + "/f.dat").c_str(), &st), 0);
      EXPECT_EQ(st.st_size, r.sizeAfter);
      unlink((dir_ + "/f.dat").c_str());
    }
  }
}

TEST_F(FilesTest, OpenErrors) {
  mkdir((dir_ + "/Folder").c_str(), 0777);
  struct Row {
    const wchar_t* path;
    DWORD disposition;
    DWORD error;
  } rows[] = {
      {L"\\Storage\\Missing\\x.dat", OPEN_EXISTING, ERROR_PATH_NOT_FOUND},
      {L"\\Storage\\Missing\\x.dat", CREATE_NEW, ERROR_PATH_NOT_FOUND},
      {L"\\Missing\\Deeper\\x.dat", OPEN_ALWAYS, ERROR_PATH_NOT_FOUND},
      {L"\\Storage\\Folder", OPEN_EXISTING, ERROR_ACCESS_DENIED},
      {L"\\Storage\\Folder", CREATE_ALWAYS, ERROR_ACCESS_DENIED},
      {L"\\Storage\\Folder\\", OPEN_ALWAYS, ERROR_ACCESS_DENIED},
      {L"\\", OPEN_EXISTING, ERROR_ACCESS_DENIED},
      {L"\\Storage\\x.dat", 0, ERROR_INVALID_PARAMETER},
      {L"\\Storage\\x.dat", 6, ERROR_INVALID_PARAMETER},
      {L"\\Storage\\x?.dat", CREATE_ALWAYS, ERROR_INVALID_NAME},
  };
  for (const auto& r : rows) {
    SetLastError(0);
    EXPECT_EQ(Open(r.path, kRW, r.disposition), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), r.error) << std::wstring(r.path).size() << " " << r.disposition;
  }
  EXPECT_FALSE(Exists(dir_ + "/x.dat"));
  EXPECT_EQ(CreateFileA(nullptr, kRW, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
}

TEST_F(FilesTest, AccessIsChecked) {
  Spit(dir_ + "/A.DAT", "abc");
  char buf[4];
  DWORD n = 99;
  HANDLE w = Open(L"\\Storage\\A.DAT", GENERIC_WRITE, OPEN_EXISTING);
  ASSERT_NE(w, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(ReadFile(w, buf, 3, &n, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(n, 0u);
  EXPECT_FALSE(plat::ReadAt(w, 0, buf, 3, &n));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  CloseHandle(w);

  HANDLE r = Open(L"\\Storage\\A.DAT", GENERIC_READ, OPEN_EXISTING);
  ASSERT_NE(r, INVALID_HANDLE_VALUE);
  n = 99;
  EXPECT_FALSE(WriteFile(r, "x", 1, &n, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(n, 0u);
  EXPECT_FALSE(plat::AppendAtEnd(r, "x", 1, &n));
  EXPECT_FALSE(SetEndOfFile(r));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  CloseHandle(r);
  EXPECT_EQ(Slurp(dir_ + "/A.DAT"), "abc");
}

TEST_F(FilesTest, ShareZeroIsExclusiveInProcess) {
  HANDLE a = Open(L"\\Storage\\DATA.R12", kRW, CREATE_NEW);
  ASSERT_NE(a, INVALID_HANDLE_VALUE);
  DWORD put = 0;
  ASSERT_TRUE(WriteFile(a, "record", 6, &put, nullptr));
  for (DWORD disposition : {OPEN_EXISTING, OPEN_ALWAYS, CREATE_ALWAYS, TRUNCATE_EXISTING}) {
    SetLastError(0);
    EXPECT_EQ(Open(L"\\storage\\data.r12", kRW, disposition), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION)) << disposition;
  }
  EXPECT_EQ(Open(L"\\Storage\\DATA.R12", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ), INVALID_HANDLE_VALUE);
  EXPECT_FALSE(DeleteFileW(L"\\Storage\\DATA.R12"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_EQ(Slurp(dir_ + "/DATA.R12"), "record");  // a refused CREATE_ALWAYS truncates nothing

  ASSERT_TRUE(CloseHandle(a));
  HANDLE b = Open(L"\\Storage\\DATA.R12", GENERIC_READ, OPEN_EXISTING);
  EXPECT_NE(b, INVALID_HANDLE_VALUE);
  CloseHandle(b);
  EXPECT_TRUE(DeleteFileW(L"\\Storage\\data.r12"));
  EXPECT_FALSE(Exists(dir_ + "/DATA.R12"));

  // Nonzero share modes admit each other, and a share-0 open excludes them.
  HANDLE s1 = Open(L"\\Storage\\S", GENERIC_READ, OPEN_ALWAYS, FILE_SHARE_READ);
  HANDLE s2 = Open(L"\\Storage\\S", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ | FILE_SHARE_WRITE);
  EXPECT_NE(s1, INVALID_HANDLE_VALUE);
  EXPECT_NE(s2, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Open(L"\\Storage\\S", GENERIC_READ, OPEN_EXISTING, 0), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
}

// Child side of the cross-process test: holds the file named in PLAT_TEST_HOLD open (share 0)
// under the parent's root, reports on the ready pipe, and keeps it until the parent lets go.
TEST(FilesChild, HoldsAFileOpen) {
  const char* path = getenv("PLAT_TEST_HOLD");
  if (!path) GTEST_SKIP() << "helper for ShareZeroIsExclusiveAcrossProcesses";
  int ready = atoi(getenv("PLAT_TEST_READY_FD"));
  int release = atoi(getenv("PLAT_TEST_RELEASE_FD"));
  HANDLE h = CreateFileA(path, kRW, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  char c = h != INVALID_HANDLE_VALUE ? '1' : '0';
  ASSERT_EQ(write(ready, &c, 1), 1);
  char sink;
  while (read(release, &sink, 1) > 0) {
  }
  CloseHandle(h);
}

TEST_F(FilesTest, ShareZeroIsExclusiveAcrossProcesses) {
  Spit(dir_ + "/HELD.R12", "abc");
  int ready[2], release[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(release), 0);
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) env.emplace_back(*e);
  env.push_back("PLAT_ROOT=" + root_);
  env.push_back("PLAT_TEST_HOLD=\\Storage\\held.r12");
  env.push_back("PLAT_TEST_READY_FD=" + std::to_string(ready[1]));
  env.push_back("PLAT_TEST_RELEASE_FD=" + std::to_string(release[0]));
  std::vector<char*> envp;
  for (auto& s : env) envp.push_back(s.data());
  envp.push_back(nullptr);
  char exe[] = "/proc/self/exe";
  char filter[] = "--gtest_filter=FilesChild.HoldsAFileOpen";
  char* argv[] = {exe, filter, nullptr};

  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    close(ready[0]);
    close(release[1]);
    execve(exe, argv, envp.data());
    _exit(127);
  }
  close(ready[1]);
  close(release[0]);
  pollfd pfd{ready[0], POLLIN, 0};
  ASSERT_EQ(poll(&pfd, 1, 20000), 1) << "the child never reported";
  char c = 0;
  ASSERT_EQ(read(ready[0], &c, 1), 1);
  ASSERT_EQ(c, '1') << "the child could not open the file";

  EXPECT_EQ(Open(L"\\Storage\\HELD.R12", kRW, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_EQ(Open(L"\\Storage\\HELD.R12", kRW, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_FALSE(DeleteFileW(L"\\Storage\\HELD.R12"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_EQ(Slurp(dir_ + "/HELD.R12"), "abc");

  close(release[1]);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  close(ready[0]);
  HANDLE h = Open(L"\\Storage\\HELD.R12", kRW, OPEN_EXISTING);
  EXPECT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
}

TEST_F(FilesTest, ReadsAtEndOfFileSucceedWithZeroBytes) {
  Spit(dir_ + "/T.TXT", "abc");
  HANDLE h = Open(L"\\Storage\\T.TXT", GENERIC_READ, OPEN_EXISTING);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  char buf[8];
  DWORD got = 99;
  EXPECT_TRUE(ReadFile(h, buf, 5, &got, nullptr));
  EXPECT_EQ(got, 3u);
  got = 99;
  EXPECT_TRUE(ReadFile(h, buf, 5, &got, nullptr));
  EXPECT_EQ(got, 0u);
  EXPECT_TRUE(ReadFile(h, buf, 5, nullptr, nullptr));  // a NULL count is tolerated
  EXPECT_TRUE(SetFilePointer(h, 1, nullptr, FILE_BEGIN) == 1);
  EXPECT_TRUE(ReadFile(h, buf, 1, nullptr, nullptr));
  EXPECT_EQ(buf[0], 'b');
  CloseHandle(h);

  for (HANDLE bad : {static_cast<HANDLE>(nullptr), INVALID_HANDLE_VALUE, h}) {
    got = 99;
    EXPECT_FALSE(ReadFile(bad, buf, 1, &got, nullptr));
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  }
}

TEST_F(FilesTest, StaleHandleWritesLandNowhere) {
  HANDLE a = Open(L"\\Storage\\A", kRW, CREATE_NEW);
  ASSERT_TRUE(CloseHandle(a));
  HANDLE b = Open(L"\\Storage\\B", kRW, CREATE_NEW);
  DWORD put = 99;
  EXPECT_FALSE(WriteFile(a, "zz", 2, &put, nullptr));
  EXPECT_EQ(put, 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(plat::AppendAtEnd(a, "zz", 2, &put));
  EXPECT_EQ(GetFileSize(b, nullptr), 0u);
  // Writes reach the file at once: another reader sees them before any close or flush.
  ASSERT_TRUE(WriteFile(b, "hello", 5, &put, nullptr));
  EXPECT_EQ(put, 5u);
  EXPECT_EQ(Slurp(dir_ + "/B"), "hello");
  EXPECT_TRUE(FlushFileBuffers(b));
  CloseHandle(b);
}

TEST_F(FilesTest, NegativeSeeksFailAndKeepThePosition) {
  HANDLE h = Open(L"\\Storage\\S.DAT", kRW, CREATE_ALWAYS);
  ASSERT_TRUE(WriteFile(h, "0123456789", 10, nullptr, nullptr));
  EXPECT_EQ(SetFilePointer(h, 4, nullptr, FILE_BEGIN), 4u);
  struct Row {
    LONG dist;
    DWORD method;
  } negatives[] = {{-5, FILE_CURRENT}, {-11, FILE_END}, {-1, FILE_BEGIN}};
  for (const auto& r : negatives) {
    SetLastError(0);
    EXPECT_EQ(SetFilePointer(h, r.dist, nullptr, r.method), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
    EXPECT_EQ(Position(h), 4u);
  }
  LONG high = -1;  // -1 as a 64-bit distance
  EXPECT_EQ(SetFilePointer(h, -1, &high, FILE_BEGIN), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
  EXPECT_EQ(Position(h), 4u);
  EXPECT_EQ(SetFilePointer(h, 5, nullptr, 7), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

  // Stepping back a record at a time stops exactly at the start.
  EXPECT_EQ(SetFilePointer(h, -10, nullptr, FILE_END), 0u);
  EXPECT_EQ(SetFilePointer(h, 3, nullptr, FILE_CURRENT), 3u);
  EXPECT_EQ(SetFilePointer(h, 20, nullptr, FILE_BEGIN), 20u);  // past the end is allowed
  EXPECT_EQ(GetFileSize(h, nullptr), 10u);

  LARGE_INTEGER d, pos;
  d.QuadPart = (1LL << 32) + 5;
  EXPECT_TRUE(SetFilePointerEx(h, d, &pos, FILE_BEGIN));
  EXPECT_EQ(pos.QuadPart, (1LL << 32) + 5);
  high = 0;
  EXPECT_EQ(SetFilePointer(h, 0, &high, FILE_CURRENT), 5u);
  EXPECT_EQ(high, 1);
  SetLastError(0);
  EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);  // does not fit 32 bits
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  d.QuadPart = -((1LL << 32) + 6);
  EXPECT_FALSE(SetFilePointerEx(h, d, &pos, FILE_CURRENT));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
  d.QuadPart = 0;
  EXPECT_TRUE(SetFilePointerEx(h, d, &pos, FILE_CURRENT));
  EXPECT_EQ(pos.QuadPart, (1LL << 32) + 5);

  // SetEndOfFile cuts at the position.
  EXPECT_EQ(SetFilePointer(h, 6, nullptr, FILE_BEGIN), 6u);
  EXPECT_TRUE(SetEndOfFile(h));
  DWORD sizeHigh = 99;
  EXPECT_EQ(GetFileSize(h, &sizeHigh), 6u);
  EXPECT_EQ(sizeHigh, 0u);
  CloseHandle(h);
  EXPECT_EQ(Slurp(dir_ + "/S.DAT"), "012345");
}

TEST_F(FilesTest, ReadAtAndAppendAtEndKeepTheirPositions) {
  HANDLE h = Open(L"\\Storage\\R.DAT", kRW, CREATE_NEW);
  ASSERT_TRUE(WriteFile(h, "0123456789", 10, nullptr, nullptr));
  ASSERT_EQ(SetFilePointer(h, 3, nullptr, FILE_BEGIN), 3u);
  char buf[8] = {};
  DWORD got = 0;
  EXPECT_TRUE(plat::ReadAt(h, 6, buf, 3, &got));
  EXPECT_EQ(std::string(buf, got), "678");
  EXPECT_EQ(Position(h), 3u);
  EXPECT_TRUE(plat::ReadAt(h, 8, buf, 5, &got));
  EXPECT_EQ(std::string(buf, got), "89");
  EXPECT_TRUE(plat::ReadAt(h, 50, buf, 5, &got));
  EXPECT_EQ(got, 0u);
  EXPECT_EQ(Position(h), 3u);

  DWORD put = 0;
  uint64_t at = 0;
  EXPECT_TRUE(plat::AppendAtEnd(h, "AB", 2, &put, &at));
  EXPECT_EQ(put, 2u);
  EXPECT_EQ(at, 10u);  // where it began: the size before it
  EXPECT_EQ(Position(h), 12u);  // left at the new end
  ASSERT_EQ(SetFilePointer(h, 0, nullptr, FILE_BEGIN), 0u);
  EXPECT_EQ(ReadAll(h), "0123456789AB");
  CloseHandle(h);
}

TEST_F(FilesTest, DeleteMoveAndFolders) {
  Spit(dir_ + "/A.INI", "old");
  Spit(dir_ + "/A.INI.tmp", "new");
  // Renames: without the flag an existing target stays; with it the target is replaced.
  EXPECT_FALSE(MoveFileW(L"\\Storage\\A.INI.tmp", L"\\Storage\\a.ini"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_FALSE(MoveFileExW(L"\\Storage\\A.INI.tmp", L"\\Storage\\A.INI", 0));
  EXPECT_EQ(Slurp(dir_ + "/A.INI"), "old");
  EXPECT_TRUE(MoveFileExW(L"\\Storage\\a.ini.TMP", L"\\Storage\\a.ini", MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(Slurp(dir_ + "/A.INI"), "new");
  EXPECT_FALSE(Exists(dir_ + "/A.INI.tmp"));
  EXPECT_TRUE(MoveFileW(L"\\Storage\\A.INI", L"\\Storage\\b.ini"));
  EXPECT_EQ(Slurp(dir_ + "/b.ini"), "new");
  EXPECT_TRUE(MoveFileW(L"\\Storage\\b.ini", L"\\Storage\\B.INI"));  // a change of spelling
  EXPECT_TRUE(Exists(dir_ + "/B.INI"));
  EXPECT_FALSE(Exists(dir_ + "/b.ini"));
  EXPECT_FALSE(MoveFileW(L"\\Storage\\none", L"\\Storage\\x"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(MoveFileW(L"\\Storage\\B.INI", L"\\Storage\\No\\x"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

  // Deleting.
  EXPECT_TRUE(DeleteFileW(L"\\STORAGE\\b.ini"));
  EXPECT_FALSE(Exists(dir_ + "/B.INI"));
  EXPECT_FALSE(DeleteFileW(L"\\Storage\\B.INI"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(DeleteFileW(L"\\Storage\\No\\B.INI"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

  // Folders.
  EXPECT_TRUE(CreateDirectoryW(L"\\Storage\\VLQINI", nullptr));
  EXPECT_FALSE(CreateDirectoryW(L"\\storage\\vlqini", nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_FALSE(CreateDirectoryW(L"\\Storage\\No\\VLQINI", nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_FALSE(CreateDirectoryW(L"\\", nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_FALSE(DeleteFileW(L"\\Storage\\VLQINI"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  Spit(dir_ + "/VLQINI/RZ12.INI", "x");
  EXPECT_FALSE(RemoveDirectoryW(L"\\Storage\\VLQINI"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIR_NOT_EMPTY));
  EXPECT_FALSE(RemoveDirectoryW(L"\\Storage\\VLQINI\\RZ12.INI"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIRECTORY));

  // Attributes.
  EXPECT_EQ(GetFileAttributesW(L"\\Storage\\vlqini"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_EQ(GetFileAttributesW(L"\\Storage\\VLQINI\\rz12.ini"), static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
  chmod((dir_ + "/VLQINI/RZ12.INI").c_str(), 0444);
  EXPECT_EQ(GetFileAttributesW(L"\\Storage\\VLQINI\\RZ12.INI"),
            static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(GetFileAttributesW(L"\\Storage\\VLQINI\\X.INI"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(GetFileAttributesW(L"\\Storage\\NO\\X.INI"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

  EXPECT_TRUE(DeleteFileW(L"\\Storage\\VLQINI\\RZ12.INI"));
  EXPECT_TRUE(RemoveDirectoryW(L"\\Storage\\vlqini"));
  EXPECT_FALSE(Exists(dir_ + "/VLQINI"));
  EXPECT_FALSE(RemoveDirectoryW(L"\\"));  // never the root
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(RemoveDirectoryW(L"\\Storage\\.."));
  EXPECT_TRUE(Exists(root_));
}

TEST_F(FilesTest, FindFirstFileSortsAndMatchesPatterns) {
  std::string d = dir_ + "/DATA12";
  mkdir(d.c_str(), 0777);
  for (const char* name : {"b.R12", "A.r12", "c.txt", "NODOT", "ab.r12"}) Spit(d + "/" + name, "1234");
  mkdir((d + "/Sub").c_str(), 0777);

  auto find = [](const wchar_t* pattern) {
    std::string names;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(pattern, &fd);
    if (h == INVALID_HANDLE_VALUE) return "error " + std::to_string(GetLastError());
    do {
      if (!names.empty()) names += ",";
      names += std::string(fd.cFileName, fd.cFileName + wcslen(fd.cFileName));
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) names += "/";
    } while (FindNextFileW(h, &fd));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
    EXPECT_TRUE(FindClose(h));
    return names;
  };
  struct Row {
    const wchar_t* pattern;
    std::string want;
  } rows[] = {
      {L"\\Storage\\DATA12\\*.*", "A.r12,ab.r12,b.R12,c.txt,NODOT,Sub/"},
      {L"\\Storage\\DATA12\\*", "A.r12,ab.r12,b.R12,c.txt,NODOT,Sub/"},
      {L"\\storage\\data12\\*.R12", "A.r12,ab.r12,b.R12"},
      {L"\\Storage\\DATA12\\?.r12", "A.r12,b.R12"},
      {L"\\Storage\\DATA12\\a*", "A.r12,ab.r12"},
      {L"\\Storage\\DATA12\\nodot", "NODOT"},
      {L"\\Storage\\DATA12\\*.x", "error 2"},
      {L"\\Storage\\DATA13\\*.*", "error 3"},
      {L"\\Storage\\DATA*\\*.*", "error 123"},
  };
  for (const auto& r : rows) EXPECT_EQ(find(r.pattern), r.want) << r.want;

  WIN32_FIND_DATAA fa;
  Spit(d + "/\u00E9t\u00E9.txt", "");
  HANDLE h = FindFirstFileA("\\Storage\\DATA12\\\xC9*", &fa);  // "É*" in CP1252
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_STREQ(fa.cFileName, "\xE9t\xE9.txt");
  EXPECT_TRUE(FindClose(h));
  h = FindFirstFileA("\\Storage\\DATA12\\A.R12", &fa);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(fa.nFileSizeLow, 4u);
  EXPECT_EQ(fa.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
  EXPECT_NE(fa.ftLastWriteTime.dwHighDateTime, 0u);
  EXPECT_TRUE(FindClose(h));
  EXPECT_FALSE(FindNextFileA(h, &fa));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(FindClose(h));
}

TEST_F(FilesTest, CreateFileFaults) {
  CreateDirectoryW(L"\\Storage\\VLQINI", nullptr);
  Spit(dir_ + "/VLQINI/RZ12.INI", "x");
  plat::test::FailCreateFile("*\\vlqini\\*.INI", ERROR_ACCESS_DENIED, 2);
  for (int i = 0; i < 2; ++i) {
    SetLastError(0);
    EXPECT_EQ(Open(L"\\Storage\\VLQINI\\RZ12.INI", GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  }
  HANDLE other = Open(L"\\Storage\\VLQINI\\RZ12.TXT", GENERIC_WRITE, CREATE_NEW);  // no match
  EXPECT_NE(other, INVALID_HANDLE_VALUE);
  CloseHandle(other);
  HANDLE h = Open(L"\\Storage\\VLQINI\\RZ12.INI", GENERIC_READ, OPEN_EXISTING);
  EXPECT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);

  plat::test::FailCreateFile("*", ERROR_GEN_FAILURE, 5);
  plat::test::ClearFaults();
  h = Open(L"\\Storage\\VLQINI\\RZ12.INI", GENERIC_READ, OPEN_EXISTING);
  EXPECT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
}

TEST_F(FilesTest, WriteFaultsFailShortUntilCleared) {
  HANDLE h = Open(L"\\Storage\\D.R12", kRW, CREATE_NEW);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  plat::test::FailWritesAfter(10);
  DWORD put = 0;
  EXPECT_TRUE(WriteFile(h, "123456", 6, &put, nullptr));
  EXPECT_EQ(put, 6u);
  uint64_t at = 0;
  EXPECT_FALSE(plat::AppendAtEnd(h, "abcdef", 6, &put, &at));
  EXPECT_EQ(put, 4u);
  EXPECT_EQ(at, 6u);  // known for the cut-back of the short write
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
  EXPECT_FALSE(WriteFile(h, "x", 1, &put, nullptr));
  EXPECT_EQ(put, 0u);
  EXPECT_EQ(GetFileSize(h, nullptr), 10u);

  plat::test::FailWritesAfter(0, ERROR_ACCESS_DENIED);
  EXPECT_FALSE(WriteFile(h, "x", 1, &put, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

  plat::test::ClearFaults();
  EXPECT_TRUE(plat::AppendAtEnd(h, "xy", 2, &put));
  CloseHandle(h);
  EXPECT_EQ(Slurp(dir_ + "/D.R12"), "123456abcdxy");

  // A reset ends the injection too.
  plat::test::FailWritesAfter(0);
  plat::test::Reset();
  plat::test::UseTempRoot();
  h = Open(L"\\Storage\\D.R12", kRW, CREATE_NEW);
  EXPECT_TRUE(WriteFile(h, "ok", 2, &put, nullptr));
  CloseHandle(h);
}

TEST_F(FilesTest, InjectedFlushFailuresLeaveTheContentAlone) {
  HANDLE h = Open(L"\\Storage\\F.R12", kRW, CREATE_NEW);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD put = 0;
  ASSERT_TRUE(WriteFile(h, "abc", 3, &put, nullptr));
  plat::test::FailFlushes(ERROR_DISK_FULL, 2);
  EXPECT_FALSE(FlushFileBuffers(INVALID_HANDLE_VALUE));  // an invalid handle takes no fault
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(FlushFileBuffers(h));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
  EXPECT_FALSE(FlushFileBuffers(h));
  EXPECT_TRUE(FlushFileBuffers(h));
  EXPECT_EQ(Slurp(dir_ + "/F.R12"), "abc");

  plat::test::FailFlushes();
  plat::test::ClearFaults();
  EXPECT_TRUE(FlushFileBuffers(h));
  CloseHandle(h);
}

}  // namespace
