// zelvo-lut convert --verify: the summary lists each file read back with its
// largest difference from its source, and a file that fails its verification
// fails the command.
#include <gtest/gtest.h>

#include <sstream>

#include "CliRun.h"
#include "TestSupport.h"
#include "cli/CliMain.h"
#include "convert/Verify.h"

namespace zelvo {
namespace {

using test::TempDir;

test::CliRun Convert(std::vector<std::string> args) {
  args.insert(args.begin(), "convert");
  const test::CliRun run = test::Zelvo(args);
  EXPECT_EQ(run.out, "");
  return run;
}

// A cube whose table is linear in each cell, so that every grid size holds it.
const char* kCube2 = "LUT_3D_SIZE 2\n0 0 0\n0.9 0.1 0\n0 0.8 0.1\n0.9 0.9 0.1\n0 0 0.7\n0.9 0.1 0.7\n0 0.8 0.8\n1 1 1\n";

struct ReadBackHook {
  explicit ReadBackHook(std::function<void(TLUT&)> hook) { SetReadBackHook(std::move(hook)); }
  ~ReadBackHook() { SetReadBackHook({}); }
};

// Each file read back is listed with its largest difference from its source
// (twelve bits: within half a code step and a trace); a file that fails its
// verification fails the command.
TEST(VerifyCli, SummaryAndExitStatus) {
  TempDir dir, out;
  const std::string a = dir.Write("a.cube", kCube2), b = dir.Write("b.cube", kCube2);
  const std::string folder = out.path().string();
  const test::CliRun run = Convert({"-p", "3DL Fusion", "--verify", "-o", folder, a, b});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("Converted 2, skipped 0, failed 0.\nRead back and compared with the sources:\n  " + a + " -> " +
                         out.File("a.3dl") + ": largest difference "),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("\n  " + b + " -> " + out.File("b.3dl") + ": largest difference "), std::string::npos);
  EXPECT_NE(run.err.find(", within the 0.0001221 expected; the table written held to "), std::string::npos) << run.err;
  EXPECT_EQ(Convert({"-p", "3DL Fusion", "--overwrite", "-o", folder, a}).err, "");  // nothing read back

  int reads = 0;
  const ReadBackHook hook([&](TLUT& back) {
    if (reads++ == 0) back.Table3D(1, 2, 3).R -= 0.25;
  });
  const test::CliRun failed = Convert({"-p", "Cube 3D Davinci", "--verify", "--keep-going", "-o", folder, a, b});
  EXPECT_EQ(failed.status, 1);
  EXPECT_NE(failed.err.find(a + ": The file \"" + out.File("a.cube") + "\" read back differs from what was written by 0.25"),
            std::string::npos)
      << failed.err;
  EXPECT_NE(failed.err.find("Converted 1, skipped 0, failed 1.\n"), std::string::npos);
  EXPECT_NE(failed.err.find(" -> " + out.File("a.cube") + ": failed: differs from what was written by 0.25 "),
            std::string::npos);
}

}  // namespace
}  // namespace zelvo
