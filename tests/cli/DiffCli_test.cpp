#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <sstream>

#include "CliRun.h"
#include "TestSupport.h"
#include "cli/CliMain.h"

namespace zelvo {
namespace {

using test::TempDir;

test::CliRun Diff(std::vector<std::string> args) {
  args.insert(args.begin(), "diff");
  return test::Zelvo(args);
}

// A 3-point cube of a gentle grade, its green at one point raised by `raise`.
std::string Cube3(double raise = 0.0) {
  std::string text = "LUT_3D_SIZE 3\n";
  for (int b = 0; b < 3; ++b)
    for (int g = 0; g < 3; ++g)
      for (int r = 0; r < 3; ++r) {
        const double green = 0.1 + 0.4 * g + (r == 1 && g == 2 && b == 0 ? raise : 0.0);
        char line[96];
        char* p = std::to_chars(line, line + 32, 0.05 + 0.45 * r, std::chars_format::fixed, 6).ptr;
        *p++ = ' ';
        p = std::to_chars(p, p + 32, green, std::chars_format::fixed, 6).ptr;
        *p++ = ' ';
        p = std::to_chars(p, p + 32, 0.5 * b, std::chars_format::fixed, 6).ptr;
        text.append(line, p);
        text += '\n';
      }
  return text;
}

double JsonValue(const std::string& json, const std::string& key) {
  const std::size_t at = json.find("\"" + key + "\": ");
  double value = std::nan("");
  if (at != std::string::npos) std::from_chars(json.data() + at + key.size() + 4, json.data() + json.size(), value);
  return value;
}

TEST(DiffCli, ExitSaysWhetherTheLUTsAgree) {
  TempDir dir;
  const std::string a = dir.Write("a.cube", Cube3());
  const std::string same = dir.Write("same.cube", Cube3(0.0001));  // a tenth of a 10-bit step
  const std::string step = dir.Write("step.cube", Cube3(1.0 / 1023));
  struct Case {
    std::vector<std::string> args;
    int status;
  };
  const Case cases[] = {
      {{a, a}, 0},
      {{a, same}, 0},
      {{a, step}, 1},
      {{a, step, "--depth", "8"}, 0},          // under half an 8-bit step
      {{a, step, "--threshold", "0.001"}, 0},
      {{a, same, "--threshold", "0"}, 1},
      {{a, step, "--space", "none", "--grid", "2"}, 1},
      {{a, dir.File("missing.cube")}, 1},
      {{a, step, "--grid", "1"}, 2},
      {{a, step, "--grid", "130"}, 2},
      {{a, step, "--grid", "9x"}, 2},
      {{a, step, "--depth", "0"}, 2},
      {{a, step, "--depth", "33"}, 2},
      {{a, step, "--threshold", "-0.1"}, 2},
      {{a, step, "--threshold", "nan"}, 2},
      {{a, step, "--space", "lab"}, 2},
      {{a}, 2},
  };
  for (const Case& c : cases) {
    const test::CliRun run = Diff(c.args);
    std::string line;
    for (const std::string& arg : c.args) line += arg + " ";
    EXPECT_EQ(run.status, c.status) << line << "\n" << run.out << run.err;
    if (c.status == 2) {
      EXPECT_TRUE(run.out.empty()) << line;
    }
  }
}

TEST(DiffCli, ReportsAndFailures) {
  TempDir dir;
  const std::string a = dir.Write("a.cube", Cube3());
  const std::string step = dir.Write("step.cube", Cube3(1.0 / 1023));
  const test::CliRun text = Diff({a, step, "--space", "linear"});
  EXPECT_NE(text.out.find("A: " + a + "\nB: " + step + "\n"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("dE2000 taking values as linear light"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("in green (1.00"), std::string::npos) << text.out;

  const test::CliRun json = Diff({a, step, "--json", "--depth", "12", "--grid", "5"});
  ASSERT_EQ(json.status, 1);
  EXPECT_NEAR(JsonValue(json.out, "code_steps"), 4095.0 / 1023, 4e-3);  // six decimals in the file
  EXPECT_EQ(JsonValue(json.out, "inputs"), 125.0);  // the 3-point grid lies on the 5-point one
  EXPECT_EQ(JsonValue(json.out, "threshold"), 0.5 / 4095);
  EXPECT_NE(json.out.find("\"channel\": \"green\", \"input\": [0.5, 1, 0]"), std::string::npos) << json.out;
  EXPECT_NE(json.out.find("\"a\": \"" + a + "\""), std::string::npos);

  const test::CliRun missing = Diff({a, dir.File("missing.cube")});
  EXPECT_EQ(missing.err.rfind(dir.File("missing.cube") + ": ", 0), 0u) << missing.err;
  EXPECT_TRUE(missing.out.empty());
  // Loaded together, told in order: the first file's failure alone.
  const test::CliRun both = Diff({dir.File("gone.cube"), dir.File("missing.cube")});
  EXPECT_EQ(both.err.rfind(dir.File("gone.cube") + ": ", 0), 0u) << both.err;
  EXPECT_EQ(both.err.find("missing.cube"), std::string::npos) << both.err;
  const test::CliRun usage = Diff({a, step, "--grid", "1"});
  EXPECT_EQ(usage.err, "--grid takes 2 to 129 points per axis, not \"1\".\n");

  // Domains that do not meet.
  const std::string far = dir.Write("far.cube", "DOMAIN_MIN 2 2 2\nDOMAIN_MAX 3 3 3\n" + Cube3());
  const test::CliRun apart = Diff({a, far});
  EXPECT_EQ(apart.status, 1);
  EXPECT_NE(apart.err.find(": The two LUTs have no inputs in common: the first covers R 0..1"), std::string::npos)
      << apart.err;
}

}  // namespace
}  // namespace zelvo
