// Conversions that prove themselves: every written file read back and
// compared with its source, and a file that does not hold what was written
// reported as a failure, whatever the profile.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "TestSupport.h"
#include "base/StringLib.h"
#include "convert/ConvertJob.h"
#include "registry/Registry.h"

namespace zelvo {
namespace {

using test::TempDir;

std::string Row(double r, double g, double b) {
  return FormatFloatValue(6, r) + " " + FormatFloatValue(6, g) + " " + FormatFloatValue(6, b) + "\n";
}

// A graded cube of 33 points: the channels mixed, a gamma, and outputs a
// little below 0 and above 1, which integer formats clip.
std::string GradedCube() {
  std::string text = "LUT_3D_SIZE 33\n";
  const auto gamma = [](double v) { return std::copysign(std::pow(std::fabs(v), 1 / 2.2), v); };
  for (int b = 0; b < 33; ++b)
    for (int g = 0; g < 33; ++g)
      for (int r = 0; r < 33; ++r) {
        const double x = r / 32.0, y = g / 32.0, z = b / 32.0;
        text += Row(gamma(1.12 * x - 0.08 * y - 0.04 * z), gamma(-0.05 * x + 1.09 * y - 0.04 * z),
                    gamma(-0.02 * x - 0.1 * y + 1.12 * z));
      }
  return text;
}

// Three curves of 1000 entries (every 1D profile resamples them), the red
// one above 1 at the top.
std::string GradedCurves() {
  std::string text = "LUT_1D_SIZE 1000\n";
  for (int i = 0; i < 1000; ++i) {
    const double x = i / 999.0;
    text += Row(1.04 * std::pow(x, 1 / 2.4), x * x, 0.5 * x + 0.5 * x * x * x);
  }
  return text;
}

// A process list that no table follows exactly.
const char* kLogChain =
    "<?xml version=\"1.0\"?>\n<ProcessList compCLFversion=\"3\" id=\"p\">\n"
    "<Range inBitDepth=\"32f\" outBitDepth=\"32f\"><minInValue>0.001</minInValue><maxInValue>1</maxInValue>"
    "<minOutValue>0.001</minOutValue><maxOutValue>1</maxOutValue></Range>\n"
    "<Log inBitDepth=\"32f\" outBitDepth=\"32f\" style=\"log10\"/>\n</ProcessList>\n";

// Takes the read-back hook away when a test ends, however it ends.
struct ReadBackHook {
  explicit ReadBackHook(std::function<void(TLUT&)> hook) { SetReadBackHook(std::move(hook)); }
  ~ReadBackHook() { SetReadBackHook({}); }
};

ConversionSettings Verifying(const TempDir& out, const TLutOutputProfile& profile) {
  ConversionSettings s{out.path().string(), &profile, "Default", -1};
  s.Verify = true;
  return s;
}

bool Verifiable(const TLutOutputProfile& profile) {
  return FormatOfProfile(profile).ReadBackAs() != TLUTFormatId::None;
}

// Every profile reads back within its bound, from a graded cube, from curves
// (1D profiles) and from a process list; only the formats that no reader of
// ours reads are not verified.
TEST(Verify, EveryProfileReadsBackWithinItsBound) {
  TempDir in, out;
  const std::string cube = in.Write("graded.cube", GradedCube());
  const std::string curves = in.Write("curves.cube", GradedCurves());
  const std::string chain = in.Write("log.clf", kLogChain);
  for (const auto& profile : OutputProfiles()) {
    std::vector<std::string> sources = {cube, chain};
    if (!profile->Is3D) sources.push_back(curves);
    for (const std::string& source : sources) {
      SCOPED_TRACE(profile->Caption + " from " + source);
      const std::string target = out.File("t." + profile->Extension);
      TConvertNotes notes;
      try {
        notes = ConvertFile(Verifying(out, *profile), source, target);
      } catch (const EVerificationFailed& e) {
        ADD_FAILURE() << e.what();
        continue;
      }
      ASSERT_TRUE(notes.Verification.has_value());
      const TVerification& v = *notes.Verification;
      if (!Verifiable(*profile)) {
        EXPECT_EQ(v.Outcome, TVerifyOutcome::Unverifiable);
        EXPECT_EQ(VerificationText(v), "not verified: no reader of this program reads \"" + profile->Caption + "\" files");
        continue;
      }
      EXPECT_EQ(v.Outcome, TVerifyOutcome::Within) << VerificationText(v);
      EXPECT_LE(v.FromSource.Value, v.Bound);
      std::filesystem::remove(target);
    }
  }
  // A table that passes over as it is, read by the source tetrahedrally and
  // written for readers that interpolate trilinearly.
  ConversionSettings tetrahedral = Verifying(out, *OutputProfileByCaption("Cube 3D Davinci"));
  tetrahedral.Interpolation = TInterpolation::Tetrahedral;
  const TConvertNotes notes = ConvertFile(tetrahedral, cube, out.File("t.cube"));
  ASSERT_TRUE(notes.Verification.has_value());
  EXPECT_EQ(notes.Verification->Outcome, TVerifyOutcome::Within) << VerificationText(*notes.Verification);
  // A source all beyond 0..1, written for a format without domains: nothing
  // in common to compare.
  const std::string far = in.Write("far.cube", "DOMAIN_MIN 2 2 2\nDOMAIN_MAX 4 4 4\nLUT_3D_SIZE 2\n" + Row(0, 0, 0) +
                                                   Row(1, 0, 0) + Row(0, 1, 0) + Row(1, 1, 0) + Row(0, 0, 1) +
                                                   Row(1, 0, 1) + Row(0, 1, 1) + Row(1, 1, 1));
  const TConvertNotes beyond = ConvertFile(Verifying(out, *OutputProfileByCaption("3DL Fusion")), far, out.File("f.3dl"));
  ASSERT_TRUE(beyond.Verification.has_value());
  EXPECT_EQ(VerificationText(*beyond.Verification), "not verified: the file covers none of the inputs its source covers");
}

// One value of the file read back, spoiled by two steps of what its format
// writes, fails the conversion for every profile: also where the table is far
// from its source (clipped values, a 3D LUT written as 1D), as the file is
// checked against what was written. The failure says where, and the file stays.
TEST(Verify, ASpoiledReadBackFailsEveryProfile) {
  TempDir in, out;
  const std::string cube = in.Write("graded.cube", GradedCube());
  for (const auto& profile : OutputProfiles()) {
    if (!Verifiable(*profile)) continue;
    SCOPED_TRACE(profile->Caption);
    const TWrittenValues written = FormatOfProfile(*profile).WrittenValues(profile->DefaultBits);
    const double spoil = 2 * (written.Step + written.RelativeStep);
    TColor spoiled_at;
    const ReadBackHook hook([&](TLUT& back) {
      // A 3D table behind a curve (the Nucoda shaper) counts as 3D: its
      // points stand within a trace of the grid's positions.
      const bool is_3d = back.Kind == TLUTKind::lk3D || back.Kind == TLUTKind::lk1DAnd3D;
      const int n = is_3d ? back.Size3D() : back.Size1D();
      const int i = n / 2, j = n / 3, k = n / 4;
      (is_3d ? back.Table3D(i, j, k) : back.Table1D(j)).G += spoil;
      const double s = n - 1;
      spoiled_at = is_3d ? TColor{i / s, j / s, k / s} : TColor{j / s, j / s, j / s};
    });
    const std::string target = out.File("t." + profile->Extension);
    try {
      ConvertFile(Verifying(out, *profile), cube, target);
      ADD_FAILURE() << "not reported";
    } catch (const EVerificationFailed& e) {
      ASSERT_TRUE(e.Notes.Verification.has_value());
      const TVerification& v = *e.Notes.Verification;
      EXPECT_EQ(v.Outcome, TVerifyOutcome::Beyond);
      EXPECT_NEAR(v.FromWritten.Value, spoil, v.Rounding);
      EXPECT_EQ(v.FromWritten.Channel, 1);
      EXPECT_NEAR(v.FromWritten.At.Input.R, spoiled_at.R, 1e-6);
      EXPECT_NEAR(v.FromWritten.At.Input.G, spoiled_at.G, 1e-6);
      EXPECT_NEAR(v.FromWritten.At.Input.B, spoiled_at.B, 1e-6);
      EXPECT_EQ(std::string(e.what()).rfind("The file \"" + target + "\" read back differs from what was written by ", 0),
                0u)
          << e.what();
      EXPECT_NE(std::string(e.what()).find("; it stays written."), std::string::npos) << e.what();
    }
    EXPECT_TRUE(std::filesystem::exists(target));
    std::filesystem::remove(target);
  }
}

// In a batch, a file that fails its verification is told with its notes and
// its verification, counted as failed and kept as written; the batch goes on
// when asked to. A file that cannot be read back fails the same way.
TEST(Verify, ABatchCountsAFailedVerificationAsAFailedFile) {
  TempDir in, out;
  const std::string cube = GradedCube();
  in.Write("a.cube", cube);
  in.Write("b.cube", cube);
  in.Write("c.cube", cube);
  int reads = 0;
  const ReadBackHook hook([&](TLUT& back) {
    ++reads;
    if (reads == 1) back.Table1D(7).B += 0.01;
    if (reads == 2) throw ELUTError("Spoiled.");
  });
  std::vector<std::string> told;
  ConversionFeedback f;
  f.Warning = [&](const std::string& source, const std::string&) { told.push_back("warning " + BaseNameOf(source)); };
  f.Verified = [&](const std::string& source, const std::string&, const TVerification& v) {
    told.push_back("verified " + BaseNameOf(source) + (v.Failed() ? " failed" : " within"));
  };
  f.FileFailed = [&](const std::string& source, const std::exception& e) {
    told.push_back("failed " + BaseNameOf(source) + ": " + e.what());
    return true;
  };
  f.FileDone = [&](const std::string& source, TFileOutcome outcome) {
    told.push_back("done " + BaseNameOf(source) + (outcome == TFileOutcome::Converted ? " converted" : " other"));
  };
  const std::vector<ConversionEntry> entries = {{"a.cube", in.path().string(), true},
                                                {"b.cube", in.path().string(), true},
                                                {"c.cube", in.path().string(), true}};
  EXPECT_EQ(ConvertFiles(Verifying(out, *OutputProfileByCaption("Cube 1D")), entries, f), BatchResult::Completed);
  const std::string a = out.File("a.cube"), b = out.File("b.cube");
  const std::vector<std::string> expected = {
      "warning a", "verified a failed",
      "failed a: The file \"" + a + "\" read back differs from what was written by 0.01 (10.23 code steps of 10 bits) "
      "at input 0.001709 0.001709 0.001709 (blue 0.0164 read, 0.006402 written), more than the rounding of its values "
      "(5.01e-07); from its source by 0.5398 (552.2 code steps of 10 bits) at input 0.0625 1 1, 0.5398 expected; "
      "it stays written.",
      "done a other",
      "warning b", "verified b failed",
      "failed b: The file \"" + b + "\" cannot be read back (Spoiled.); it stays written.",
      "done b other",
      "warning c", "verified c within", "done c converted"};
  EXPECT_EQ(told, expected);
  EXPECT_TRUE(std::filesystem::exists(a));
  EXPECT_TRUE(std::filesystem::exists(b));
}

}  // namespace
}  // namespace zelvo
