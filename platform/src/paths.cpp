// The drive root, the device folder, the desktop current directory and the Windows path mapper.
#include "paths.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "core.h"

namespace plat::detail {
namespace {

// ---- Name conversions ------------------------------------------------------------------------

// CP1252 bytes 0x80..0x9F; the five unassigned bytes keep their own value, as Windows maps them.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool IsSep(char32_t c) { return c == U'\\' || c == U'/'; }

// ---- Configuration ---------------------------------------------------------------------------

struct CurrentDir {
  bool ready = false;
  char32_t drive = U'C';
  std::vector<CodePoints> comps;  // on-disk spelling
};

struct Config {
  bool loaded = false;
  std::string root;
  std::string devDir;
  CurrentDir cwd;
};

std::mutex g_configMutex;
Config g_config;

std::string ExecutableName() {
  char buf[4096];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n > 0) {
    buf[n] = 0;
    const char* slash = strrchr(buf, '/');
    const char* name = slash ? slash + 1 : buf;
    if (*name) return name;
  }
  return program_invocation_short_name;
}

std::string HomeDir() {
  const char* home = getenv("HOME");
  if (home && *home) return home;
  if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return ".";
}

std::string StripTrailingSlashes(std::string s) {
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s;
}

void LoadConfigLocked() {
  if (g_config.loaded) return;
  const char* root = getenv("PLAT_ROOT");
  if (root && *root) {
    g_config.root = StripTrailingSlashes(root);
  } else {
    const char* xdg = getenv("XDG_DATA_HOME");
    std::string base = (xdg && xdg[0] == '/') ? std::string(xdg) : HomeDir() + "/.local/share";
    g_config.root = StripTrailingSlashes(base) + "/" + ExecutableName() + "/root";
  }
  const char* dev = getenv("PLAT_DEVDIR");
  g_config.devDir = (dev && *dev) ? StripTrailingSlashes(dev) : g_config.root + "/dev";
  g_config.cwd = CurrentDir{};
  g_config.loaded = true;
}

// ---- Lexical normalisation -------------------------------------------------------------------

bool IsDeviceName(const CodePoints& comp) {
  // The reserved DOS names, also with an extension ("NUL.TXT").
  size_t end = comp.find(U'.');
  if (end == CodePoints::npos) end = comp.size();
  while (end > 0 && comp[end - 1] == U' ') --end;
  char base[5] = {};
  if (end < 3 || end > 4) return false;
  for (size_t i = 0; i < end; ++i) {
    char32_t c = comp[i];
    if (c >= U'a' && c <= U'z') c -= 32;
    if (c > 0x7F) return false;
    base[i] = static_cast<char>(c);
  }
  if (end == 3) return !strcmp(base, "CON") || !strcmp(base, "PRN") || !strcmp(base, "AUX") || !strcmp(base, "NUL");
  return (!strncmp(base, "COM", 3) || !strncmp(base, "LPT", 3)) && base[3] >= '1' && base[3] <= '9';
}

bool ValidCodePoint(char32_t c) { return c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF); }

struct Normalised {
  char32_t drive = 0;  // 0: the handheld's root-relative space
  std::vector<CodePoints> comps;
  bool trailingSep = false;
};

constexpr size_t kMaxWindowsPath = 259;

CodePoints WindowsForm(const Normalised& n) {
  CodePoints s;
  if (n.drive) {
    s += n.drive;
    s += U':';
  }
  if (n.comps.empty()) s += U'\\';
  for (const auto& c : n.comps) {
    s += U'\\';
    s += c;
  }
  return s;
}

// Splits and resolves "." and ".." lexically; ".." stops at the root (or the drive's root).
bool Normalise(const CodePoints& p, MapMode mode, Profile profile, const CurrentDir& cwd, Normalised* out) {
  if (p.empty()) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return false;
  }
  if (p.size() >= 2 && IsSep(p[0]) && IsSep(p[1])) {  // UNC and device namespaces
    SetLastError(ERROR_PATH_NOT_FOUND);
    return false;
  }
  bool desktop = profile == Profile::Desktop;
  size_t i = 0;
  Normalised n;
  char32_t c0 = p[0];
  if (p.size() >= 2 && p[1] == U':' && ((c0 >= U'A' && c0 <= U'Z') || (c0 >= U'a' && c0 <= U'z'))) {
    n.drive = c0 >= U'a' ? c0 - 32 : c0;
    i = 2;
    // "C:name" is relative to the current directory when it is on that drive.
    if ((i >= p.size() || !IsSep(p[i])) && desktop && cwd.drive == n.drive) n.comps = cwd.comps;
  } else if (IsSep(c0)) {
    if (desktop) n.drive = cwd.drive;
  } else if (desktop) {
    n.drive = cwd.drive;
    n.comps = cwd.comps;
  }

  // The last non-empty raw component: the only one where a search may hold wildcards.
  size_t lastStart = p.size();
  {
    size_t e = p.size();
    while (e > i && IsSep(p[e - 1])) --e;
    size_t s = e;
    while (s > i && !IsSep(p[s - 1])) --s;
    lastStart = s;
  }

  while (i < p.size()) {
    while (i < p.size() && IsSep(p[i])) ++i;
    if (i >= p.size()) break;
    size_t start = i;
    while (i < p.size() && !IsSep(p[i])) ++i;
    CodePoints comp = p.substr(start, i - start);
    if (comp == U".") continue;
    if (comp == U"..") {
      if (!n.comps.empty()) n.comps.pop_back();
      continue;
    }
    for (char32_t c : comp) {
      bool wild = c == U'*' || c == U'?';
      if (wild && mode == MapMode::Pattern && start == lastStart) continue;
      if (c < 0x20 || wild || c == U':' || c == U'"' || c == U'<' || c == U'>' || c == U'|' ||
          !ValidCodePoint(c)) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
      }
    }
    if (IsDeviceName(comp)) {
      SetLastError(ERROR_PATH_NOT_FOUND);
      return false;
    }
    n.comps.push_back(std::move(comp));
  }
  n.trailingSep = IsSep(p.back()) && !n.comps.empty();
  if (WindowsForm(n).size() > kMaxWindowsPath) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  *out = std::move(n);
  return true;
}

// ---- Case resolution -------------------------------------------------------------------------

CodePoints Folded(const CodePoints& s) {
  CodePoints f = s;
  for (auto& c : f) c = FoldCase(c);
  return f;
}

// The on-disk name for comp inside dir: the exact name, else the first case-insensitive match
// in byte order, else comp as spelled (found = false).
std::string ResolveComponent(const std::string& dir, const CodePoints& comp, bool* found) {
  std::string spelled = ToUtf8(comp);
  struct stat st;
  if (lstat((dir + "/" + spelled).c_str(), &st) == 0) {
    *found = true;
    return spelled;
  }
  *found = false;
  DIR* d = opendir(dir.c_str());
  if (!d) return spelled;
  CodePoints want = Folded(comp);
  std::string best;
  while (dirent* e = readdir(d)) {
    if (!strcmp(e->d_name, ".") || !strcmp(e->d_name, "..")) continue;
    if (Folded(FromUtf8(e->d_name)) != want) continue;
    if (!*found || strcmp(e->d_name, best.c_str()) < 0) best = e->d_name;
    *found = true;
  }
  closedir(d);
  return *found ? best : spelled;
}

bool IsDir(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Resolves every component but (in Pattern mode) the last. names receives the on-disk names.
void Resolve(const std::string& root, const Normalised& n, MapMode mode, MappedPath* out,
             std::vector<std::string>* names) {
  std::string dir = root;
  if (n.drive) {
    char d[2] = {static_cast<char>(n.drive), 0};
    dir += "/";
    dir += d;
  }
  bool chainFound = true;
  size_t count = n.comps.size();
  for (size_t k = 0; k + 1 < count; ++k) {
    bool found = false;
    std::string name = chainFound ? ResolveComponent(dir, n.comps[k], &found) : ToUtf8(n.comps[k]);
    chainFound = chainFound && found;
    dir += "/" + name;
    if (names) names->push_back(name);
  }
  out->isRoot = count == 0;
  out->trailingSep = n.trailingSep;
  out->windowsPath = WindowsForm(n);
  if (count == 0) {
    out->parent = dir;
    out->linuxPath = dir;
    out->leaf.clear();
    out->leafSpelled.clear();
    out->parentExists = IsDir(dir);
    return;
  }
  out->parent = dir;
  out->parentExists = chainFound && IsDir(dir);
  out->leaf = n.comps.back();
  out->leafSpelled = ToUtf8(out->leaf);
  std::string leafName = out->leafSpelled;
  if (mode == MapMode::Plain && out->parentExists) {
    bool found = false;
    leafName = ResolveComponent(dir, out->leaf, &found);
  }
  if (names) names->push_back(leafName);
  out->linuxPath = dir + "/" + leafName;
}

// mkdir -p inside the root, resolving existing levels case-insensitively.
void MakeFolders(const std::string& root, const Normalised& n, std::vector<std::string>* names) {
  std::string dir = root;
  if (n.drive) {
    char d[2] = {static_cast<char>(n.drive), 0};
    dir += "/";
    dir += d;
  }
  mkdir(dir.c_str(), 0777);
  for (const auto& comp : n.comps) {
    bool found = false;
    std::string name = ResolveComponent(dir, comp, &found);
    dir += "/" + name;
    if (!found) mkdir(dir.c_str(), 0777);
    names->push_back(name);
  }
}

void MakeRootLocked() {
  // mkdir -p of the root itself.
  std::string path;
  const std::string& root = g_config.root;
  for (size_t i = 0; i <= root.size(); ++i) {
    if (i == root.size() || (root[i] == '/' && i > 0)) {
      path = root.substr(0, i);
      mkdir(path.c_str(), 0777);
    }
  }
}

// The desktop start folder: PLAT_CWD (default "C:\"), created if missing.
void EnsureCwdLocked() {
  LoadConfigLocked();
  CurrentDir& cwd = g_config.cwd;
  if (cwd.ready) return;
  CurrentDir base;  // "C:\"
  const char* env = getenv("PLAT_CWD");
  Normalised n;
  if (!env || !*env || !Normalise(FromUtf8(env), MapMode::Plain, Profile::Desktop, base, &n)) {
    n = Normalised{};
    n.drive = U'C';
  }
  if (!n.drive) n.drive = U'C';
  MakeRootLocked();
  std::vector<std::string> names;
  MakeFolders(g_config.root, n, &names);
  cwd.drive = n.drive;
  cwd.comps.clear();
  for (const auto& s : names) cwd.comps.push_back(FromUtf8(s));
  cwd.ready = true;
}

}  // namespace

// ---- Conversions -----------------------------------------------------------------------------

CodePoints FromWide(const wchar_t* s) {
  CodePoints out;
  for (; *s; ++s) out += static_cast<char32_t>(static_cast<uint32_t>(*s));
  return out;
}

CodePoints FromCp1252(const char* s) {
  CodePoints out;
  for (; *s; ++s) {
    auto b = static_cast<unsigned char>(*s);
    out += (b >= 0x80 && b < 0xA0) ? static_cast<char32_t>(kCp1252High[b - 0x80]) : static_cast<char32_t>(b);
  }
  return out;
}

CodePoints FromUtf8(const std::string& s) {
  CodePoints out;
  size_t i = 0;
  while (i < s.size()) {
    auto b = static_cast<unsigned char>(s[i]);
    int len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
    char32_t c = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
    bool ok = len > 0 && i + len <= s.size();
    for (int k = 1; ok && k < len; ++k) {
      auto t = static_cast<unsigned char>(s[i + k]);
      if ((t >> 6) != 2) ok = false;
      c = (c << 6) | (t & 0x3F);
    }
    static constexpr char32_t kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (ok && (c < kMin[len] || !ValidCodePoint(c))) ok = false;
    if (!ok) {
      out += static_cast<char32_t>(b);
      ++i;
    } else {
      out += c;
      i += len;
    }
  }
  return out;
}

std::string ToUtf8(const CodePoints& s) {
  std::string out;
  for (char32_t c : s) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

char ToCp1252(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
  for (int i = 0; i < 32; ++i) {
    if (kCp1252High[i] == c) return static_cast<char>(0x80 + i);
  }
  return '?';
}

char32_t FoldCase(char32_t c) {
  if (c >= U'A' && c <= U'Z') return c + 32;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
  return c;
}

bool WildcardMatch(const CodePoints& p, const CodePoints& s, bool dosDotStar) {
  size_t pi = 0, si = 0, star = CodePoints::npos, mark = 0;
  while (si < s.size()) {
    if (pi < p.size() && p[pi] == U'*') {
      star = pi++;
      mark = si;
    } else if (pi < p.size() && (p[pi] == U'?' || FoldCase(p[pi]) == FoldCase(s[si]))) {
      ++pi;
      ++si;
    } else if (star != CodePoints::npos) {
      pi = star + 1;
      si = ++mark;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == U'*') ++pi;
  if (dosDotStar && pi < p.size() && p[pi] == U'.') {
    size_t q = pi + 1;
    while (q < p.size() && p[q] == U'*') ++q;
    if (q == p.size() && q > pi + 1) return true;
  }
  return pi == p.size();
}

// ---- Mapping ---------------------------------------------------------------------------------

int ParseCommName(const char* name) {
  if (!name) return 0;
  const char* p = name;
  bool device = false;
  if (p[0] == '\\' && p[1] == '\\' && p[2] == '.' && p[3] == '\\') {
    p += 4;
    device = true;
  }
  if ((p[0] | 0x20) != 'c' || (p[1] | 0x20) != 'o' || (p[2] | 0x20) != 'm') return 0;
  p += 3;
  if (*p < '1' || *p > '9') return 0;
  int n = 0;
  while (*p >= '0' && *p <= '9' && n <= 255) n = n * 10 + (*p++ - '0');
  if (n > 255) return 0;
  if (*p == ':' && !device) ++p;
  return *p ? 0 : n;
}

bool MapPath(const CodePoints& winPath, MapMode mode, MappedPath* out) {
  if (ParseCommName(ToUtf8(winPath).c_str())) {  // ports are no files
    SetLastError(ERROR_PATH_NOT_FOUND);
    return false;
  }
  Profile profile = CurrentProfile();
  std::string root;
  CurrentDir cwd;
  {
    std::lock_guard<std::mutex> lock(g_configMutex);
    LoadConfigLocked();
    if (profile == Profile::Desktop) {
      EnsureCwdLocked();
      cwd = g_config.cwd;
    }
    root = g_config.root;
  }
  Normalised n;
  if (!Normalise(winPath, mode, profile, cwd, &n)) return false;
  *out = MappedPath{};
  Resolve(root, n, mode, out, nullptr);
  return true;
}

void SetRootOverride(const std::string& root, const std::string& devDir) {
  std::lock_guard<std::mutex> lock(g_configMutex);
  g_config = Config{};
  g_config.loaded = true;
  g_config.root = root;
  g_config.devDir = devDir;
}

void ClearRootOverride() {
  std::lock_guard<std::mutex> lock(g_configMutex);
  g_config = Config{};
}

void CreateRootFolders(Profile profile) {
  std::lock_guard<std::mutex> lock(g_configMutex);
  LoadConfigLocked();
  MakeRootLocked();
  if (profile == Profile::Handheld) {
    mkdir((g_config.root + "/Storage").c_str(), 0777);
    mkdir((g_config.root + "/C_DRIVE").c_str(), 0777);
  } else {
    mkdir((g_config.root + "/C").c_str(), 0777);
    EnsureCwdLocked();
  }
}

}  // namespace plat::detail

namespace plat {

const char* DriveRoot() {
  std::lock_guard<std::mutex> lock(detail::g_configMutex);
  detail::LoadConfigLocked();
  return detail::g_config.root.c_str();
}

const char* DeviceDir() {
  std::lock_guard<std::mutex> lock(detail::g_configMutex);
  detail::LoadConfigLocked();
  return detail::g_config.devDir.c_str();
}

}  // namespace plat

// ---- Current directory -----------------------------------------------------------------------

namespace {

using plat::detail::CodePoints;

// The Windows form of the current directory ("\" on the handheld).
CodePoints CurrentDirectoryForm() {
  if (plat::detail::CurrentProfile() != plat::Profile::Desktop) return U"\\";
  std::lock_guard<std::mutex> lock(plat::detail::g_configMutex);
  plat::detail::EnsureCwdLocked();
  plat::detail::Normalised n;
  n.drive = plat::detail::g_config.cwd.drive;
  n.comps = plat::detail::g_config.cwd.comps;
  return plat::detail::WindowsForm(n);
}

bool SetCurrentDirectoryCore(const CodePoints& path) {
  using namespace plat::detail;
  if (CurrentProfile() != plat::Profile::Desktop) {
    // The handheld has no current directory: relative paths stay root-relative.
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  std::lock_guard<std::mutex> lock(g_configMutex);
  EnsureCwdLocked();
  Normalised n;
  if (!Normalise(path, MapMode::Plain, plat::Profile::Desktop, g_config.cwd, &n)) return false;
  MappedPath m;
  std::vector<std::string> names;
  Resolve(g_config.root, n, MapMode::Plain, &m, &names);
  if (!IsDir(m.linuxPath)) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return false;
  }
  g_config.cwd.drive = n.drive;
  g_config.cwd.comps.clear();
  for (const auto& s : names) g_config.cwd.comps.push_back(FromUtf8(s));
  return true;
}

}  // namespace

DWORD GetCurrentDirectoryW(DWORD n, LPWSTR buf) {
  CodePoints s = CurrentDirectoryForm();
  if (!buf || n < s.size() + 1) return static_cast<DWORD>(s.size() + 1);
  for (size_t i = 0; i < s.size(); ++i) buf[i] = static_cast<wchar_t>(s[i]);
  buf[s.size()] = 0;
  return static_cast<DWORD>(s.size());
}

DWORD GetCurrentDirectoryA(DWORD n, LPSTR buf) {
  CodePoints s = CurrentDirectoryForm();
  if (!buf || n < s.size() + 1) return static_cast<DWORD>(s.size() + 1);
  for (size_t i = 0; i < s.size(); ++i) buf[i] = plat::detail::ToCp1252(s[i]);
  buf[s.size()] = 0;
  return static_cast<DWORD>(s.size());
}

BOOL SetCurrentDirectoryW(LPCWSTR path) {
  if (!path) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return SetCurrentDirectoryCore(plat::detail::FromWide(path)) ? TRUE : FALSE;
}

BOOL SetCurrentDirectoryA(LPCSTR path) {
  if (!path) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return SetCurrentDirectoryCore(plat::detail::FromCp1252(path)) ? TRUE : FALSE;
}
