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

std::mutex g_rootsMutex;
std::vector<std::string> g_tempRoots;

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) {
  remove(path);
  return 0;
}

void RemoveTree(const std::string& path) { nftw(path.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS); }

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
  std::vector<std::string> old;
  {
    std::lock_guard<std::mutex> lock(g_rootsMutex);
    old.swap(g_tempRoots);
    g_tempRoots.push_back(root);
  }
  for (const auto& r : old) RemoveTree(r);
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

}  // namespace plat::test

namespace plat::detail {

void ResetFiles() {
  ClearFileFaults();
  ClearRootOverride();
  std::vector<std::string> roots;
  {
    std::lock_guard<std::mutex> lock(g_rootsMutex);
    roots.swap(g_tempRoots);
  }
  for (const auto& r : roots) RemoveTree(r);
}

}  // namespace plat::detail
