// CP1252 and UTF-8 conversions, and the decimal-only parser.
#include <gtest/gtest.h>
#include <windows.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <string>

namespace {

TEST(Cp1252, AllBytesRoundTripThroughTheTable) {
  // Spot checks of the table, the unassigned bytes and the Latin-1 halves.
  EXPECT_EQ(plat::Cp1252ToWide(0x80), L'\u20AC');
  EXPECT_EQ(plat::Cp1252ToWide(0x9F), L'\u0178');
  EXPECT_EQ(plat::Cp1252ToWide(0x96), L'\u2013');
  for (unsigned char b : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) EXPECT_EQ(plat::Cp1252ToWide(b), wchar_t(b));
  EXPECT_EQ(plat::Cp1252ToWide(0x41), L'A');
  EXPECT_EQ(plat::Cp1252ToWide(0xE9), L'\u00E9');

  char bytes[256];
  for (int i = 0; i < 256; ++i) bytes[i] = static_cast<char>(i);
  wchar_t wide[256];
  ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, bytes, 256, wide, 256), 256);
  char back[256];
  BOOL usedDefault = TRUE;
  ASSERT_EQ(WideCharToMultiByte(CP_ACP, 0, wide, 256, back, 256, nullptr, &usedDefault), 256);
  EXPECT_FALSE(usedDefault);
  EXPECT_EQ(std::memcmp(bytes, back, 256), 0);
  for (int i = 0; i < 256; ++i) {
    EXPECT_EQ(wide[i], plat::Cp1252ToWide(static_cast<unsigned char>(i))) << i;
    bool d = true;
    EXPECT_EQ(static_cast<unsigned char>(plat::WideToCp1252(wide[i], &d)), i);
    EXPECT_FALSE(d);
  }
}

TEST(Cp1252, UnmappableBecomesQuestionMark) {
  // C1 code points other than the five unassigned ones, and anything beyond the table.
  const wchar_t in[] = {L'a', 0x80, 0x9E, 0x0100, 0x20AD, 0x1F600, -5, L'b', 0};
  char out[16];
  BOOL usedDefault = FALSE;
  ASSERT_EQ(WideCharToMultiByte(CP_ACP, 0, in, -1, out, sizeof out, nullptr, &usedDefault), 9);
  EXPECT_STREQ(out, "a??????b");
  EXPECT_TRUE(usedDefault);
  ASSERT_EQ(WideCharToMultiByte(CP_ACP, 0, in, 2, out, sizeof out, "#", nullptr), 2);
  EXPECT_EQ(std::string(out, 2), "a#");

  bool d = false;
  EXPECT_EQ(plat::WideToCp1252(0x3A9, &d), '?');
  EXPECT_TRUE(d);
  char narrow[8];
  EXPECT_EQ(plat::Narrow(L"\u20AC\u03A9x", narrow, sizeof narrow), 3);
  EXPECT_STREQ(narrow, "\x80?x");
}

TEST(Cp1252, SizeQueriesAndBuffers) {
  // n = -1 counts the NUL; an output size of 0 asks for the size.
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, nullptr, 0), 4);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", 3, nullptr, 0), 3);
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, L"abc", -1, nullptr, 0, nullptr, nullptr), 4);

  wchar_t w[4] = {L'x', L'x', L'x', L'x'};
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, w, 3), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(w[0], L'x') << "a buffer too small is left alone";
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, w, 4), 4);
  EXPECT_STREQ(w, L"abc");

  char s[2];
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, L"abc", -1, s, 2, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

  // Bad arguments fail with ERROR_INVALID_PARAMETER.
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, nullptr, -1, w, 4), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "a", 0, w, 4), 0);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "a", -2, w, 4), 0);
  EXPECT_EQ(MultiByteToWideChar(437, 0, "a", -1, w, 4), 0);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "a", -1, nullptr, 4), 0);

  // The whole-string helpers cut to the buffer and always terminate.
  wchar_t small[3];
  EXPECT_EQ(plat::Widen("\x80" "bcd", small, 3), 2);
  EXPECT_STREQ(small, L"\u20ACb");
  EXPECT_EQ(plat::Widen(nullptr, small, 3), 0);
  EXPECT_STREQ(small, L"");
}

TEST(Utf8, EncodesAndDecodesWithReplacement) {
  const wchar_t in[] = {L'A', 0xE9, 0x20AC, 0x1F600, 0xD800, 0x110000, 0};
  const char expected[] = "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xEF\xBF\xBD\xEF\xBF\xBD";
  ASSERT_EQ(WideCharToMultiByte(CP_UTF8, 0, in, -1, nullptr, 0, nullptr, nullptr), int(sizeof expected));
  char out[32];
  ASSERT_EQ(WideCharToMultiByte(CP_UTF8, 0, in, -1, out, sizeof out, nullptr, nullptr), int(sizeof expected));
  EXPECT_STREQ(out, expected);

  wchar_t back[16];
  ASSERT_EQ(MultiByteToWideChar(CP_UTF8, 0, out, -1, back, 16), 7);
  EXPECT_EQ(std::wstring(back, 4), std::wstring(in, 4));

  // Ill-formed input: a stray continuation, an overlong form, a cut sequence before an ASCII byte,
  // an encoded surrogate.
  const char bad[] = "\x80" "\xC0\xAF" "\xE2\x82" "z" "\xED\xA0\x80";
  ASSERT_EQ(MultiByteToWideChar(CP_UTF8, 0, bad, -1, back, 16), 9);
  const wchar_t want[] = {0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD, L'z', 0xFFFD, 0xFFFD, 0xFFFD, 0};
  EXPECT_EQ(std::wstring(back), std::wstring(want));
}

struct DecimalCase {
  const char* text;
  double value;
  int consumed;  // characters up to the end pointer
};

TEST(ParseDecimal, Table) {
  const DecimalCase cases[] = {
      {"1e999", 0, 5},         // not finite
      {"-1e999", 0, 6},
      {"1e-400", 0, 6},        // underflow
      {"nan", 0, 0},
      {"inf", 0, 0},
      {"0x1A", 0, 1},          // the 0 before the 'x'
      {" -2.5e3x", -2500, 7},
      {"", 0, 0},
      {"1e", 1, 1},            // exponent without digits is not consumed
      {"1e+", 1, 1},
      {"2E-2", 0.02, 4},
      {".5", 0.5, 2},
      {"5.", 5, 2},
      {".", 0, 0},
      {"+-1", 0, 0},
      {"\t7", 7, 2},
      {"1.2.3", 1.2, 3},
      {"+3.25", 3.25, 5},
      {"\n5", 0, 0},           // only space and tab are blanks
      {"0.1", 0.1, 3},         // correctly rounded
      {"123456789012345678901234567890", 123456789012345678901234567890.0, 30},
  };
  for (const auto& c : cases) {
    const char* end = nullptr;
    double v = plat::ParseDecimal(c.text, &end);
    EXPECT_EQ(v, c.value) << '"' << c.text << '"';
    EXPECT_EQ(end - c.text, c.consumed) << '"' << c.text << '"';
    EXPECT_EQ(plat::atof(c.text), c.value) << '"' << c.text << '"';

    // The wide form reads the same.
    wchar_t wide[64];
    plat::Widen(c.text, wide, 64);
    const wchar_t* wend = nullptr;
    EXPECT_EQ(plat::ParseDecimal(wide, &wend), c.value) << '"' << c.text << '"';
    EXPECT_EQ(wend - wide, c.consumed) << '"' << c.text << '"';
    EXPECT_EQ(_wtof(wide), c.value) << '"' << c.text << '"';
  }
  EXPECT_EQ(plat::ParseDecimal(static_cast<const char*>(nullptr)), 0.0);
}

TEST(ParseInt, SaturatesAndStopsAtTheFirstNonDigit) {
  const struct {
    const char* text;
    int value;
  } cases[] = {
      {"99999999999", INT_MAX},
      {"-99999999999", INT_MIN},
      {"2147483647", INT_MAX},
      {"2147483648", INT_MAX},
      {"-2147483648", INT_MIN},
      {"-2147483647", -2147483647},
      {"000000000000000000042", 42},
      {" \t-17xyz", -17},
      {"+8", 8},
      {"2.9", 2},
      {"1e3", 1},
      {"0x1A", 0},
      {"", 0},
      {"-", 0},
      {"+-1", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(plat::ParseInt(c.text), c.value) << '"' << c.text << '"';
    EXPECT_EQ(plat::atoi(c.text), c.value) << '"' << c.text << '"';
    wchar_t wide[64];
    plat::Widen(c.text, wide, 64);
    EXPECT_EQ(_wtoi(wide), c.value) << '"' << c.text << '"';
    EXPECT_EQ(_wtol(wide), c.value) << '"' << c.text << '"';
  }
  EXPECT_EQ(plat::ParseInt(static_cast<const char*>(nullptr)), 0);
}

}  // namespace
