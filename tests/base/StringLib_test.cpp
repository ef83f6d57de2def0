#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <locale>

#include "base/StringLib.h"
#include "base/Errors.h"

namespace zelvo {
namespace {

TEST(StringHelpers, Positions) {
  EXPECT_EQ(PosOrMax("b", "abcb"), 2);
  EXPECT_EQ(PosOrMax("x", "abc"), 2147483647);
  EXPECT_EQ(PosNoCase("lut_3d_size", "  LUT_3D_SIZE 33"), 3);
  EXPECT_EQ(PosNoCase("Mesh", "3dmesh"), 3);
  EXPECT_EQ(PosNoCase("abc", "ab"), 0);
}

TEST(StringHelpers, CutAtAndNextField) {
  std::string_view s = "17 17 17";
  EXPECT_EQ(CutAt(" ", s), "17");
  EXPECT_EQ(s, "17 17");
  std::string_view none = "abc";
  EXPECT_EQ(CutAt(";", none), "abc");
  EXPECT_TRUE(none.empty());

  std::string_view row = "0.5, 0.25, 1";
  EXPECT_EQ(NextField(row), "0.5");
  EXPECT_EQ(row, " 0.25, 1");
  row = Trim(row);
  EXPECT_EQ(NextField(row), "0.25");
  std::string_view lead = ",x";
  EXPECT_EQ(NextField(lead), "");
  EXPECT_EQ(lead, "x");
  std::string_view tab = "a\tb";
  EXPECT_EQ(NextField(tab), "a");
}

TEST(StringHelpers, StrictNumbers) {
  int i = 0;
  EXPECT_TRUE(TryParseInt("-17", i));
  EXPECT_EQ(i, -17);
  EXPECT_TRUE(TryParseInt("+4095", i));
  EXPECT_EQ(i, 4095);
  EXPECT_TRUE(TryParseInt("2147483647", i));
  for (const char* bad : {"", "-", "1.0", "2147483648", "12a", " 1", "1 ", "0x10"}) EXPECT_FALSE(TryParseInt(bad, i)) << bad;

  double d = 0;
  EXPECT_TRUE(TryParseFloat("1.5e-3", d));
  EXPECT_DOUBLE_EQ(d, 0.0015);
  EXPECT_TRUE(TryParseFloat("+.5", d));
  EXPECT_DOUBLE_EQ(d, 0.5);
  EXPECT_TRUE(TryParseFloat("2.", d));
  EXPECT_DOUBLE_EQ(d, 2.0);
  for (const char* bad : {"", ".", "0,5", "inf", "nan", "1e", "1e+", "--1", "1.0.0", "0x1p3"})
    EXPECT_FALSE(TryParseFloat(bad, d)) << bad;

  EXPECT_EQ(StrToInt("  33"), 33);
  try {
    StrToInt("x");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'x' is not a valid integer value");
  }
  try {
    StrToFloat("1,5");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'1,5' is not a valid floating point value");
  }
  EXPECT_EQ(IntValueAfter("lut_3d_size   33 ", "LUT_3D_SIZE"), 33);
  EXPECT_THROW(IntValueAfter("LUT_3D_SIZE 33 33", "LUT_3D_SIZE"), EConvertError);
}

TEST(RowParsers, FloatTriple) {
  struct Case {
    const char* line;
    bool ok;
  };
  const Case cases[] = {
      {"0.1 0.2 0.3", true},      {"0.1,0.2,0.3", true},  {"0.1\t0.2\t0.3", true},
      {"  0.1   0.2   0.3  ", true}, {"0.1 0.2", false},  {"0.1 0.2 0.3 0.4", false},
      {"0,1 0,2 0,3", false},     {"0.1 , 0.2 , 0.3", false}, {"LUT_3D_SIZE 2", false},
      {"", false},                {"1e-2 -3 +4.5E1", true},
  };
  for (const Case& c : cases) {
    double r = -1, g = -1, b = -1;
    EXPECT_EQ(ReadFloatTriple(c.line, r, g, b), c.ok) << c.line;
  }
  double r, g, b;
  ASSERT_TRUE(ReadFloatTriple("1e-2 -3 +4.5E1", r, g, b));
  EXPECT_DOUBLE_EQ(r, 0.01);
  EXPECT_DOUBLE_EQ(g, -3);
  EXPECT_DOUBLE_EQ(b, 45);
}

TEST(RowParsers, IntTriple) {
  double r, g, b;
  ASSERT_TRUE(ReadIntTriple("0 512 1023", 1023, false, r, g, b));
  EXPECT_EQ(r, 0.0);
  EXPECT_EQ(g, 512.0 / 1023.0);
  EXPECT_EQ(b, 1.0);
  ASSERT_TRUE(ReadIntTriple("7 0 512 1023", 1023, true, r, g, b));
  EXPECT_EQ(g, 512.0 / 1023.0);
  EXPECT_FALSE(ReadIntTriple("0 512 1023.0", 1023, false, r, g, b));
  ASSERT_TRUE(ReadIntTriple("0 0 1100", 1023, false, r, g, b));
  EXPECT_NEAR(b, 1.0753, 1e-4);  // no clamping on reading
}

TEST(Formatting, FixedDecimals) {
  struct Case {
    double value;
    const char* text;
  };
  const Case cases[] = {
      {1.0, "1.000000"},
      {0.5, "0.500000"},
      {0.0000004, "0.000000"},
      {32.999999, "32.999999"},
      {1.25, "1.250000"},
      {-0.25, "-0.250000"},
      {0.0000005, "0.000001"},   // a half, away from zero
      {-0.0000005, "-0.000001"},
      {0.0000025, "0.000003"},   // halves do not go to even
      {0.1234565, "0.123457"},   // 0.12345649999... in binary, a half at 15 digits
      {2.0000015, "2.000002"},
      {-0.0000004, "0.000000"},  // rounds to zero: no minus sign
      {0.999999999, "1.000000"},
      {123456789.1234567, "123456789.123457"},
      {1e20, "100000000000000000000.000000"},
      {0.0, "0.000000"},
      {1.0 / 3.0, "0.333333"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatFloatValue(6, c.value), c.text) << c.value;
  EXPECT_EQ(FormatFloatValue(2, 0.125), "0.13");
  EXPECT_EQ(FormatFloatValue(0, 2.5), "3");
}

TEST(Formatting, NonFiniteValuesAreRefused) {
  EXPECT_THROW(FormatFloatValue(6, std::numeric_limits<double>::infinity()), ELUTError);
  EXPECT_THROW(FormatFloatValue(6, -std::numeric_limits<double>::infinity()), ELUTError);
  EXPECT_THROW(FormatFloatValue(6, std::numeric_limits<double>::quiet_NaN()), ELUTError);
}

// The numbers must not follow the user's regional settings.
TEST(Formatting, GermanLocaleChangesNothing) {
  const char* german = std::setlocale(LC_ALL, "de_DE.UTF-8");
  if (german == nullptr) GTEST_SKIP() << "the de_DE.UTF-8 locale is not installed";
  std::locale::global(std::locale("de_DE.UTF-8"));
  EXPECT_EQ(FormatFloatValue(6, 0.5), "0.500000");
  EXPECT_EQ(FormatFloatValue(6, -1234.0000005), "-1234.000001");
  EXPECT_EQ(FormatFloatValue(6, 1e20), "100000000000000000000.000000");
  double r, g, b;
  EXPECT_TRUE(ReadFloatTriple("0.5 0.25 1", r, g, b));
  EXPECT_EQ(g, 0.25);
  EXPECT_FALSE(ReadFloatTriple("0,5 0,25 1", r, g, b));
  std::locale::global(std::locale::classic());
  std::setlocale(LC_ALL, "C");
}

}  // namespace
}  // namespace zelvo
