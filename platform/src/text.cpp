// 8-bit text: CP1252 is the one code page of the "A" calls; UTF-8 serves internal uses (Linux names).
// Never goes through the C library's locale-dependent conversions.
#include <windows.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <cwchar>

namespace plat {
namespace {

// 0x80..0x9F. The five unassigned bytes keep the C1 code point of the same value.
constexpr uint16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80..87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88..8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90..97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98..9F
};

constexpr uint32_t kReplacement = 0xFFFD;

// One code point as a CP1252 byte; false when it has none.
bool ToCp1252(uint32_t c, unsigned char* out) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
    *out = static_cast<unsigned char>(c);
    return true;
  }
  for (int i = 0; i < 32; ++i) {
    if (kHigh[i] == c) {
      *out = static_cast<unsigned char>(0x80 + i);
      return true;
    }
  }
  return false;
}

// Decodes one UTF-8 sequence at s[0..n); returns the bytes consumed (at least 1). An ill-formed
// sequence gives U+FFFD and consumes only its valid prefix, so the next byte is looked at again.
int DecodeUtf8(const unsigned char* s, int n, uint32_t* cp) {
  unsigned char b = s[0];
  if (b < 0x80) {
    *cp = b;
    return 1;
  }
  int len;
  uint32_t c;
  unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
  if (b >= 0xC2 && b <= 0xDF) {
    len = 2, c = b & 0x1F;
  } else if (b >= 0xE0 && b <= 0xEF) {
    len = 3, c = b & 0x0F;
    if (b == 0xE0) lo = 0xA0;  // no overlongs
    if (b == 0xED) hi = 0x9F;  // no surrogates
  } else if (b >= 0xF0 && b <= 0xF4) {
    len = 4, c = b & 0x07;
    if (b == 0xF0) lo = 0x90;
    if (b == 0xF4) hi = 0x8F;  // nothing above U+10FFFF
  } else {
    *cp = kReplacement;
    return 1;
  }
  for (int i = 1; i < len; ++i) {
    unsigned char lower = i == 1 ? lo : 0x80, upper = i == 1 ? hi : 0xBF;
    if (i >= n || s[i] < lower || s[i] > upper) {
      *cp = kReplacement;
      return i;
    }
    c = (c << 6) | (s[i] & 0x3F);
  }
  *cp = c;
  return len;
}

// Encodes one code point as UTF-8 into out (4 bytes of room); surrogates and values beyond
// U+10FFFF become U+FFFD. Returns the byte count.
int EncodeUtf8(uint32_t c, unsigned char* out) {
  if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) c = kReplacement;
  if (c < 0x80) {
    out[0] = static_cast<unsigned char>(c);
    return 1;
  }
  if (c < 0x800) {
    out[0] = static_cast<unsigned char>(0xC0 | (c >> 6));
    out[1] = static_cast<unsigned char>(0x80 | (c & 0x3F));
    return 2;
  }
  if (c < 0x10000) {
    out[0] = static_cast<unsigned char>(0xE0 | (c >> 12));
    out[1] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
    out[2] = static_cast<unsigned char>(0x80 | (c & 0x3F));
    return 3;
  }
  out[0] = static_cast<unsigned char>(0xF0 | (c >> 18));
  out[1] = static_cast<unsigned char>(0x80 | ((c >> 12) & 0x3F));
  out[2] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
  out[3] = static_cast<unsigned char>(0x80 | (c & 0x3F));
  return 4;
}

// Common argument checks of the two calls: a known code page, an input, a length of -1 or more than 0,
// and an output size of 0 (size query) or a buffer. Resolves n = -1 to the length with the NUL.
template <class In, class Out>
bool CheckArgs(UINT codePage, const In* in, int* n, const Out* out, int outSize, size_t (*len)(const In*)) {
  if ((codePage != CP_ACP && codePage != CP_UTF8) || !in || *n == 0 || *n < -1 || outSize < 0 ||
      (outSize > 0 && !out)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  if (*n == -1) {
    size_t l = len(in);
    if (l >= static_cast<size_t>(INT_MAX)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return false;
    }
    *n = static_cast<int>(l) + 1;
  }
  return true;
}

size_t NarrowLen(const char* s) { return std::strlen(s); }
size_t WideLen(const wchar_t* s) { return std::wcslen(s); }

}  // namespace

wchar_t Cp1252ToWide(unsigned char b) {
  if (b >= 0x80 && b <= 0x9F) return static_cast<wchar_t>(kHigh[b - 0x80]);
  return static_cast<wchar_t>(b);
}

char WideToCp1252(wchar_t c, bool* usedDefault) {
  unsigned char b;
  bool ok = ToCp1252(static_cast<uint32_t>(c), &b);
  if (usedDefault) *usedDefault = !ok;
  return ok ? static_cast<char>(b) : '?';
}

int Widen(const char* s, wchar_t* out, int outSize) {
  if (!out || outSize <= 0) return 0;
  int i = 0;
  for (; s && s[i] && i < outSize - 1; ++i) out[i] = Cp1252ToWide(static_cast<unsigned char>(s[i]));
  out[i] = 0;
  return i;
}

int Narrow(const wchar_t* s, char* out, int outSize) {
  if (!out || outSize <= 0) return 0;
  int i = 0;
  for (; s && s[i] && i < outSize - 1; ++i) out[i] = WideToCp1252(s[i]);
  out[i] = 0;
  return i;
}

}  // namespace plat

// Returns the characters written, or with wn = 0 the size needed. A buffer too small fails with
// ERROR_INSUFFICIENT_BUFFER and is left untouched.
int MultiByteToWideChar(UINT codePage, DWORD /*flags*/, LPCSTR s, int n, LPWSTR w, int wn) {
  if (!plat::CheckArgs(codePage, s, &n, w, wn, plat::NarrowLen)) return 0;
  const auto* in = reinterpret_cast<const unsigned char*>(s);
  if (codePage == CP_ACP) {
    if (wn == 0) return n;
    if (wn < n) {
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return 0;
    }
    for (int i = 0; i < n; ++i) w[i] = plat::Cp1252ToWide(in[i]);
    return n;
  }
  int needed = 0;
  for (int i = 0; i < n; ++needed) {
    uint32_t cp;
    i += plat::DecodeUtf8(in + i, n - i, &cp);
  }
  if (wn == 0) return needed;
  if (wn < needed) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  int k = 0;
  for (int i = 0; i < n;) {
    uint32_t cp;
    i += plat::DecodeUtf8(in + i, n - i, &cp);
    w[k++] = static_cast<wchar_t>(cp);
  }
  return k;
}

// Returns the bytes written, or with sn = 0 the size needed. In CP1252 a code point with no byte
// becomes defChar[0] ('?' without one) and sets usedDefault.
int WideCharToMultiByte(UINT codePage, DWORD /*flags*/, LPCWSTR w, int n, LPSTR s, int sn, LPCSTR defChar,
                        LPBOOL usedDefault) {
  if (usedDefault) *usedDefault = FALSE;
  if (!plat::CheckArgs(codePage, w, &n, s, sn, plat::WideLen)) return 0;
  if (codePage == CP_ACP) {
    if (sn == 0) return n;
    if (sn < n) {
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return 0;
    }
    bool any = false;
    for (int i = 0; i < n; ++i) {
      unsigned char b;
      if (plat::ToCp1252(static_cast<uint32_t>(w[i]), &b)) {
        s[i] = static_cast<char>(b);
      } else {
        s[i] = defChar ? defChar[0] : '?';
        any = true;
      }
    }
    if (usedDefault) *usedDefault = any ? TRUE : FALSE;
    return n;
  }
  unsigned char tmp[4];
  int64_t needed = 0;
  for (int i = 0; i < n; ++i) needed += plat::EncodeUtf8(static_cast<uint32_t>(w[i]), tmp);
  if (needed > INT_MAX) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (sn == 0) return static_cast<int>(needed);
  if (sn < needed) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  int k = 0;
  for (int i = 0; i < n; ++i) {
    int m = plat::EncodeUtf8(static_cast<uint32_t>(w[i]), tmp);
    std::memcpy(s + k, tmp, static_cast<size_t>(m));
    k += m;
  }
  return k;
}
