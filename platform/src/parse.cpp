// Decimal-only number parsing for typed and stored values. Accepts
//   [blanks] [sign] digits with at most one '.' (one digit at least) [e|E [sign] digits]
// and stops at the first other character. No inf, nan or hex; a result that is not finite, or that
// underflows, reads as 0. Integers take the same leading part up to the first non-digit and saturate.
#include <windows.h>

#include <cerrno>
#include <climits>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <string>

namespace plat {
namespace {

template <class C>
bool IsDigit(C c) {
  return c >= C('0') && c <= C('9');
}

template <class C>
const C* SkipBlanks(const C* p) {
  while (*p == C(' ') || *p == C('\t')) ++p;
  return p;
}

// Copies the number at s into token (ASCII) and returns the character after it, or nullptr when
// there is no number.
template <class C>
const C* ScanDecimal(const C* s, std::string& token) {
  const C* p = SkipBlanks(s);
  if (*p == C('+') || *p == C('-')) token.push_back(static_cast<char>(*p++));
  bool dot = false;
  size_t digits = 0;
  for (;; ++p) {
    if (IsDigit(*p)) {
      token.push_back(static_cast<char>(*p));
      ++digits;
    } else if (*p == C('.') && !dot) {
      token.push_back('.');
      dot = true;
    } else {
      break;
    }
  }
  if (digits == 0) return nullptr;
  if (*p == C('e') || *p == C('E')) {
    const C* q = p + 1;
    if (*q == C('+') || *q == C('-')) ++q;
    if (IsDigit(*q)) {
      token.push_back('e');
      for (const C* r = p + 1; r < q; ++r) token.push_back(static_cast<char>(*r));
      while (IsDigit(*q)) token.push_back(static_cast<char>(*q++));
      p = q;
    }
  }
  return p;
}

// The token holds only the validated grammar, so strtod sees nothing it could read as hex, inf or
// nan; it runs in an explicit C locale so the decimal point is '.' whatever the process locale.
double Convert(const std::string& token) {
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  errno = 0;
  double v = cLocale ? strtod_l(token.c_str(), nullptr, cLocale) : std::strtod(token.c_str(), nullptr);
  bool underflow = errno == ERANGE && std::fabs(v) < 1.0;
  if (!std::isfinite(v) || underflow) return 0.0;
  return v;
}

template <class C>
double ParseDecimalT(const C* s, const C** end) {
  if (!s) {
    if (end) *end = s;
    return 0.0;
  }
  std::string token;
  const C* after = ScanDecimal(s, token);
  if (end) *end = after ? after : s;
  return after ? Convert(token) : 0.0;
}

template <class C>
int ParseIntT(const C* s) {
  if (!s) return 0;
  const C* p = SkipBlanks(s);
  bool negative = *p == C('-');
  if (*p == C('+') || *p == C('-')) ++p;
  // Accumulates up to one past INT_MAX's magnitude, which is enough to saturate either way.
  constexpr int64_t kCap = static_cast<int64_t>(INT_MAX) + 1;
  int64_t v = 0;
  for (; IsDigit(*p); ++p) {
    v = v * 10 + (*p - C('0'));
    if (v > kCap) v = kCap;
  }
  if (negative) return static_cast<int>(-v);  // -kCap is INT_MIN
  return v > INT_MAX ? INT_MAX : static_cast<int>(v);
}

}  // namespace

double ParseDecimal(const char* s, const char** end) { return ParseDecimalT(s, end); }
double ParseDecimal(const wchar_t* s, const wchar_t** end) { return ParseDecimalT(s, end); }
int ParseInt(const char* s) { return ParseIntT(s); }
int ParseInt(const wchar_t* s) { return ParseIntT(s); }
double atof(const char* s) { return ParseDecimal(s); }
int atoi(const char* s) { return ParseInt(s); }

}  // namespace plat

double _wtof(const wchar_t* s) { return plat::ParseDecimal(s); }
int _wtoi(const wchar_t* s) { return plat::ParseInt(s); }
long _wtol(const wchar_t* s) { return plat::ParseInt(s); }
