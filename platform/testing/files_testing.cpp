// Temporary drive roots and file fault injection for tests.
#include <ftw.h>
#include <gtest/gtest.h>
#include <plat/testing.h>
#include <unistd.h>

#include <cstdlib>
#include <mutex>
#include <vector>

#include "core.h"
#include "paths.h"

namespace {

// The temporary roots made and not yet removed, each with the process that made it: a forked
// child inherits the list, but removes only its own.
struct TempRoot {
  std::string path;
  pid_t owner;
};
std::mutex g_rootsMutex;
std::vector<TempRoot> g_tempRoots;

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) {
  remove(path);
  return 0;
}

void RemoveTree(const std::string& path) { nftw(path.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS); }

// Takes the roots out of the list; those of this process are removed, the others forgotten.
void RemoveRoots() {
  std::vector<TempRoot> roots;
  {
    std::lock_guard<std::mutex> lock(g_rootsMutex);
    roots.swap(g_tempRoots);
  }
  const pid_t self = getpid();
  for (const TempRoot& r : roots) {
    if (r.owner == self) RemoveTree(r.path);
  }
}

// A test's root goes when the test ends, passed or failed, even when its fixture never resets the
// layer; the roots of a program that is no test go when it exits.
class RootsAtTestEnd : public ::testing::EmptyTestEventListener {
  void OnTestEnd(const ::testing::TestInfo&) override { RemoveRoots(); }
};

void RemoveRootsAtTheEnd() {
  static std::once_flag once;
  std::call_once(once, [] {
    std::atexit(RemoveRoots);
    ::testing::UnitTest::GetInstance()->listeners().Append(new RootsAtTestEnd);
  });
}

}  // namespace

namespace plat::test {

std::string UseTempRoot() {
  const char* tmp = getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/plat-root-XXXXXX";
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back(0);
  if (!mkdtemp(buf.data())) {
    ADD_FAILURE() << "cannot create a temporary drive root under " << pattern;
    return {};
  }
  std::string root = buf.data();
  RemoveRootsAtTheEnd();
  RemoveRoots();
  {
    std::lock_guard<std::mutex> lock(g_rootsMutex);
    g_tempRoots.push_back({root, getpid()});
  }
  detail::SetRootOverride(root, root + "/dev");
  mkdir((root + "/dev").c_str(), 0777);
  detail::CreateRootFolders(detail::CurrentProfile());
  return root;
}

void FailCreateFile(const char* glob, DWORD error, int count) {
  if (!glob) return;
  detail::AddCreateFileFault(detail::FromUtf8(glob), error, count);
}

void FailWritesAfter(uint64_t bytes, DWORD error) { detail::SetWriteBudget(bytes, error); }

void FailFlushes(DWORD error, int count) { detail::SetFlushFaults(count, error); }

void ClearFaults() { detail::ClearFileFaults(); }

void RemoveTempRoots() { RemoveRoots(); }

}  // namespace plat::test

namespace plat::detail {

void ResetFiles() {
  ClearFileFaults();
  ClearRootOverride();
  RemoveRoots();
}

}  // namespace plat::detail
