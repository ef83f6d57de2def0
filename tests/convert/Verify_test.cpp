// Conversions that prove themselves: every written file read back and
// compared with its source, and a file that does not hold what was written
// reported as a failure, whatever the profile.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <memory>
#include <vector>

#include "TestFormats.h"
#include "TestLUTs.h"
#include "convert/ConvertJob.h"

namespace zelvo {
namespace {

using test::TempDir;

struct ReadBackHook {
  explicit ReadBackHook(std::function<void(TLUT&)> hook) { SetReadBackHook(std::move(hook)); }
  ~ReadBackHook() { SetReadBackHook({}); }
};

// A smooth grade of 33 points (or `n`) with outputs below 0 and above 1,
// which integer formats clip; over `domain`.
std::string GradedCube(const TempDir& dir, const char* name, const TLUTDomain& domain = {}, int n = 33) {
  TLUT lut;
  test::FillSample3D(lut, n);
  lut.Table3D(0, n - 1, n - 1).R = -0.2;
  lut.Table3D(n - 1, n - 1, 0).B = 1.1;
  lut.Domain3D = domain;
  SaveLUTFile(dir.File(name), lut, test::Profile("Cube 3D Davinci"));
  return dir.File(name);
}

// A process list that no table follows exactly, with outputs down to -3.
const char* kLogChain =
    "<?xml version=\"1.0\"?>\n<ProcessList compCLFversion=\"3\" id=\"p\">\n"
    "<Range inBitDepth=\"32f\" outBitDepth=\"32f\"><minInValue>0.001</minInValue><maxInValue>1</maxInValue>"
    "<minOutValue>0.001</minOutValue><maxOutValue>1</maxOutValue></Range>\n"
    "<Log inBitDepth=\"32f\" outBitDepth=\"32f\" style=\"log10\"/>\n</ProcessList>\n";

ConversionSettings Verifying(const TempDir& out, const char* profile) {
  ConversionSettings s{out.path().string(), &test::Profile(profile), "Default", -1};
  s.Verify = true;
  return s;
}

TVerification VerifiedConversion(const ConversionSettings& settings, const std::string& source, const std::string& target) {
  try {
    const TConvertNotes notes = ConvertFile(settings, source, target);
    EXPECT_TRUE(notes.Verification.has_value());
    return notes.Verification.value_or(TVerification{});
  } catch (const EVerificationFailed& e) {
    ADD_FAILURE() << e.what();
    return e.Notes.Verification.value_or(TVerification{});
  }
}

// Every profile reads back within its bound from a graded cube and from a
// process list; only the formats that no reader of ours reads are not
// verified, and a target that covers none of the source's inputs.
TEST(Verify, EveryProfileReadsBackWithinItsBound) {
  TempDir in, out;
  const std::string sources[] = {GradedCube(in, "graded.cube"), in.Write("log.clf", kLogChain)};
  for (const auto& profile : OutputProfiles()) {
    for (const std::string& source : sources) {
      SCOPED_TRACE(profile->Caption + " from " + source);
      const TVerification v = VerifiedConversion(Verifying(out, profile->Caption.c_str()), source,
                                                 out.File("t." + profile->Extension));
      if (FormatOfProfile(*profile).ReadBackAs() == TLUTFormatId::None) {
        EXPECT_EQ(VerificationText(v), "not verified: no reader of this program reads \"" + profile->Caption + "\" files");
        continue;
      }
      EXPECT_EQ(v.Outcome, TVerifyOutcome::Within) << VerificationText(v);
      EXPECT_LE(v.FromSource.Value, v.Bound);
    }
  }
  // A table passed over as it is, read tetrahedrally by the source: the
  // file is read trilinearly, which between the points of a 32-point grid
  // is expected, not the file's fault. A device link of any size is read
  // tetrahedrally by the colour engine.
  ConversionSettings tetrahedral = Verifying(out, "Cube 3D Iridas, Nuke, AfterEffects");
  tetrahedral.Interpolation = TInterpolation::Tetrahedral;
  const std::string cube32 = GradedCube(in, "graded32.cube", {}, 32);
  const TVerification passed = VerifiedConversion(tetrahedral, cube32, out.File("t.cube"));
  EXPECT_EQ(passed.Outcome, TVerifyOutcome::Within) << VerificationText(passed);
  EXPECT_GT(passed.Expected, 10 * passed.Rounding);
  ConversionSettings link = Verifying(out, "ICC Device Link 3D");
  link.SizeText = "20";
  const TVerification linked = VerifiedConversion(link, sources[0], out.File("t.icc"));
  EXPECT_EQ(linked.Outcome, TVerifyOutcome::Within) << VerificationText(linked);
  const std::string far = GradedCube(in, "far.cube", TLUTDomain{{2, 2, 2}, {4, 4, 4}});
  EXPECT_EQ(VerificationText(VerifiedConversion(Verifying(out, "3DL Fusion"), far, out.File("f.3dl"))),
            "not verified: the file covers none of the inputs its source covers");
}

// A LUT the colour engine evaluates (a device link read back), spoiled in
// green near one input: by `by` there, by nothing half a cell of an n-point
// grid away.
class TSpoiledEvaluator final : public TColorEvaluator {
 public:
  TSpoiledEvaluator(std::shared_ptr<const TColorEvaluator> inner, TColor at, double by, int n)
      : inner_(std::move(inner)), at_(at), by_(by), reach_(0.5 / (n - 1)) {}
  void Evaluate(const TLUTEntry* in, TLUTEntry* out, std::size_t count) const override {
    const std::vector<TLUTEntry> inputs(in, in + count);  // `out` may be `in`
    inner_->Evaluate(in, out, count);
    for (std::size_t i = 0; i < count; ++i) {
      const TLUTEntry& x = inputs[i];
      const double d = std::max({std::fabs(x.R - at_.R), std::fabs(x.G - at_.G), std::fabs(x.B - at_.B)});
      if (d < reach_) out[i].G += by_ * (1 - d / reach_);
    }
  }
  std::string Description() const override { return "spoiled " + inner_->Description(); }

 private:
  std::shared_ptr<const TColorEvaluator> inner_;
  TColor at_;
  double by_, reach_;
};

// A depth of a picture marked as floats holds every value, below 0 and
// above 1, to the precision of its floats, and its differences are told in
// code steps of 10 bits, as for decimals; an integer depth holds codes over
// 0..1.
TEST(Verify, FloatPicturesHoldEveryValue) {
  TempDir in, out;
  const std::string cube = GradedCube(in, "graded.cube");
  for (const auto& profile : OutputProfiles()) {
    for (const TProfileDepth& depth : profile->Depths) {
      SCOPED_TRACE(profile->Caption + " at " + DepthCaption(depth));
      const TWrittenValues written = FormatOfProfile(*profile).WrittenValues(depth.Bits);
      EXPECT_EQ(written.CodeBits, depth.Float ? 0 : depth.Bits);
      EXPECT_EQ(written.High, depth.Float ? std::numeric_limits<double>::infinity() : 1.0);
      if (!depth.Float) continue;
      ConversionSettings settings = Verifying(out, profile->Caption.c_str());
      settings.Bits = depth.Bits;
      const TVerification v = VerifiedConversion(settings, cube, out.File("f." + profile->Extension));
      EXPECT_EQ(v.Outcome, TVerifyOutcome::Within) << VerificationText(v);
      EXPECT_LT(v.Expected, 0.1);  // -0.2 at a corner kept, not written as 0
      EXPECT_NE(VerificationText(v).find(" code steps of 10 bits) at input"), std::string::npos) << VerificationText(v);
    }
  }
}

// One value of the file read back, spoiled by a little more than its format
// rounds, fails the conversion for every profile: also where the table is far
// from its source (clipped values, a 3D LUT written as 1D), as the file is
// checked against what was written, and where the file reads back as the
// colour engine's transform. The failure says where; the file stays.
TEST(Verify, ASpoiledReadBackFailsEveryProfile) {
  TempDir in, out;
  const std::string cube = GradedCube(in, "graded.cube");
  for (const auto& profile : OutputProfiles()) {
    if (FormatOfProfile(*profile).ReadBackAs() == TLUTFormatId::None) continue;
    SCOPED_TRACE(profile->Caption);
    const TWrittenValues written = FormatOfProfile(*profile).WrittenValues(profile->DefaultBits);
    // Two steps, and what a shift of the inputs does at slopes up to 50.
    const double spoil = 2 * (written.Step + written.RelativeStep + 50 * written.InputShift);
    TColor spoiled_at;
    const ReadBackHook hook([&](TLUT& back) {
      // A 3D table behind a curve (the Nucoda shaper) stands within a trace
      // of the grid's positions; a transform is spoiled at a point of the
      // grid it was written from.
      const bool chain = back.Kind == TLUTKind::lkChain;
      const bool is_3d = chain || back.Kind == TLUTKind::lk3D || back.Kind == TLUTKind::lk1DAnd3D;
      const int n = chain ? profile->DefaultSize : is_3d ? back.Size3D() : back.Size1D();
      const double s = n - 1, i = n / 2, j = n / 3, k = n / 4;
      spoiled_at = is_3d ? TColor{i / s, j / s, k / s} : TColor{j / s, j / s, j / s};
      if (chain) back.Evaluator = std::make_shared<TSpoiledEvaluator>(back.Evaluator, spoiled_at, spoil, n);
      else (is_3d ? back.Table3D(n / 2, n / 3, n / 4) : back.Table1D(n / 3)).G += spoil;
    });
    const std::string target = out.File("t." + profile->Extension);
    try {
      ConvertFile(Verifying(out, profile->Caption.c_str()), cube, target);
      ADD_FAILURE() << "not reported";
    } catch (const EVerificationFailed& e) {
      const TLargestDifference& w = e.Notes.Verification.value().FromWritten;
      EXPECT_NEAR(w.Value, spoil, e.Notes.Verification->Rounding);
      EXPECT_EQ(w.Channel, 1);
      const TColor& at = w.At.Input;
      EXPECT_LT(std::fabs(at.R - spoiled_at.R) + std::fabs(at.G - spoiled_at.G) + std::fabs(at.B - spoiled_at.B), 1e-6);
      EXPECT_EQ(std::string(e.what()).rfind("The file \"" + target + "\" read back differs from what was written", 0), 0u);
    }
    EXPECT_TRUE(std::filesystem::exists(target));
  }
}

// In a batch, a file that fails its verification is told with its notes and
// its verification, counted as failed and kept as written; the batch goes on
// when asked to. A file that cannot be read back fails the same way.
TEST(Verify, ABatchCountsAFailedVerificationAsAFailedFile) {
  TempDir in, out;
  for (const char* name : {"a.cube", "b.cube", "c.cube"}) GradedCube(in, name);
  int reads = 0;
  const ReadBackHook hook([&](TLUT& back) {
    if (++reads == 1) back.Table1D(7).B += 0.01;
    if (reads == 2) throw ELUTError("Spoiled.");
  });
  std::vector<std::string> told;
  ConversionFeedback f;
  f.Warning = [&](const std::string& source, const std::string&) { told.push_back("warning " + BaseNameOf(source)); };
  f.Verified = [&](const std::string& source, const std::string&, const TVerification& v) {
    told.push_back("verified " + BaseNameOf(source) + (v.Failed() ? " failed" : " within"));
  };
  f.FileFailed = [&](const std::string& source, const std::exception& e) {
    told.push_back(BaseNameOf(source) + ": " + e.what());
    return true;
  };
  f.FileDone = [&](const std::string& source, TFileOutcome outcome) {
    told.push_back("done " + BaseNameOf(source) + (outcome == TFileOutcome::Converted ? " converted" : " failed"));
  };
  const std::string folder = in.path().string();
  const std::vector<ConversionEntry> entries = {{"a.cube", folder}, {"b.cube", folder}, {"c.cube", folder}};
  EXPECT_EQ(ConvertFiles(Verifying(out, "Cube 1D"), entries, f), BatchResult::Completed);
  const std::vector<std::string> expected = {
      "warning a", "verified a failed",
      "a: The file \"" + out.File("a.cube") + "\" read back differs from what was written by 0.01 (10.23 code steps "
      "of 10 bits) at input 0.001709 0.001709 0.001709 (blue 0.01022 read, 0.000219 written), more than the "
      "rounding of its values (5.01e-07); from its source by 1.1 (1125 code steps of 10 bits) at input 1 1 0, 1.1 "
      "expected; it stays written.",
      "done a failed", "warning b", "verified b failed",
      "b: The file \"" + out.File("b.cube") + "\" cannot be read back (Spoiled.); it stays written.",
      "done b failed", "warning c", "verified c within", "done c converted"};
  EXPECT_EQ(told, expected);
  EXPECT_TRUE(std::filesystem::exists(out.File("a.cube")) && std::filesystem::exists(out.File("b.cube")));
}

}  // namespace
}  // namespace zelvo
