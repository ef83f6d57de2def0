#include <gtest/gtest.h>

#include <filesystem>

#include "TestFormats.h"
#include "convert/ConvertJob.h"
#include "registry/Registry.h"
#include "base/Errors.h"
#include "lut/Resample.h"

namespace zelvo {
namespace {

using test::TempDir;

// A feedback that records every call and answers from a script.
struct ScriptedFeedback {
  std::vector<OverwriteAnswer> answers;  // consumed in order
  int cancel_at_poll = -1;               // the poll (0-based) that reports a cancel
  std::vector<double> progress;
  std::vector<std::string> questions;
  std::vector<std::string> started;
  int polls = 0;

  ConversionFeedback Make() {
    ConversionFeedback f;
    f.ConfirmOverwrite = [this](const std::string& target) {
      questions.push_back(target);
      const OverwriteAnswer a = answers.empty() ? OverwriteAnswer::Yes : answers.front();
      if (!answers.empty()) answers.erase(answers.begin());
      return a;
    };
    f.ReportProgress = [this](double p) { progress.push_back(p); };
    f.PollCancelled = [this] { return polls++ == cancel_at_poll; };
    f.FileStarting = [this](const std::string& source, const std::string&) { started.push_back(source); };
    return f;
  }
};

std::string CubeText(int n) {
  std::string text = "# source comment\nLUT_3D_SIZE " + std::to_string(n) + "\n";
  for (int b = 0; b < n; ++b)
    for (int g = 0; g < n; ++g)
      for (int r = 0; r < n; ++r)
        text += std::to_string(r / (n - 1.0)) + " " + std::to_string(g / (n - 1.0)) + " " +
                std::to_string(b / (n - 1.0) * 0.5) + "\n";
  return text;
}

class ConvertJob : public ::testing::Test {
 protected:
  TempDir in_;
  TempDir out_;
  ConversionSettings Settings(const char* profile, std::string size = "Default", int bits = -1) {
    ConversionSettings s;
    s.OutputFolder = out_.path().string();
    s.OutputProfile = OutputProfileByCaption(profile);
    s.SizeText = std::move(size);
    s.Bits = bits;
    return s;
  }
  ConversionEntry Entry(const std::string& name, const std::string& content, bool checked = true) {
    in_.Write(name, content);
    return ConversionEntry{name, in_.path().string(), checked};
  }
};

TEST(ConvertNames, TargetNameAndQuestion) {
  EXPECT_EQ(TargetFileName("a.lut", "cube"), "a.cube");
  EXPECT_EQ(TargetFileName("lut", "cube"), "lut.cube");
  EXPECT_EQ(TargetFileName("a.lut", "swto.xml"), "a.swto.xml");
  EXPECT_EQ(TargetFileName("my.grade.cube", "3dl"), "my.grade.3dl");
  EXPECT_EQ(OverwriteQuestion("/out/a.cube"),
            "The /out/a.cube file is already exist. Are you sure want you to overwrite it?");
  EXPECT_EQ(JoinPath("/out", "a.cube"), "/out/a.cube");
}

TEST(ConvertNames, ResolveGridSize) {
  const TLutOutputProfile& davinci = *OutputProfileByCaption("Cube 3D Davinci");
  EXPECT_EQ(ResolveGridSize("Default", davinci), 33);
  EXPECT_EQ(ResolveGridSize("64", davinci), 64);
  EXPECT_EQ(ResolveGridSize("", davinci), 33);
  EXPECT_EQ(ResolveGridSize("default", davinci), 33);  // not a number either
  EXPECT_EQ(ResolveGridSize("120", davinci), 120);     // capped by the job, not here
}

// The check the front ends run on a typed size before a batch: only
// "Default", an empty text and whole numbers the job builds pass.
TEST(ConvertNames, CheckSizeInRangeRefusesWhatTheJobWouldChange) {
  struct Case {
    const char* profile;
    const char* size;
    bool refused;
  };
  const Case cases[] = {
      {"Cube 3D Davinci", "Default", false}, {"Cube 3D Davinci", "", false},      {"Cube 3D Davinci", "2", false},
      {"Cube 3D Davinci", "256", false},      {"Cube 3D Davinci", "00064", false}, {"Cube 3D Davinci", "1", true},
      {"Cube 3D Davinci", "0", true},        {"Cube 3D Davinci", "257", true},    {"Cube 3D Davinci", "12a", true},
      {"Cube 3D Davinci", "default", true},  {"Cube 3D Davinci", " 33", true},    {"Cube 3D Davinci", "-5", true},
      {"Autodesk Lustre 1D", "99999", false}, {"Autodesk Lustre 1D", "100000", true},
      // Image profiles take their own sizes only.
      {"Hald CLUT PNG", "64", false},        {"Hald CLUT PNG", "63", true},       {"Hald CLUT PNG", "2", true},
      {"Strip PNG", "2", false},             {"Strip PNG", "64", false},          {"Strip PNG", "65", true},
      {"Square of tiles PNG", "256", false}, {"Square of tiles PNG", "200", true},
  };
  for (const Case& c : cases) {
    ConversionSettings s;
    s.OutputProfile = OutputProfileByCaption(c.profile);
    s.SizeText = c.size;
    const std::string error = test::ErrorOf([&] { CheckSizeInRange(s); });
    EXPECT_EQ(!error.empty(), c.refused) << c.profile << " \"" << c.size << "\": " << error;
  }
  ConversionSettings pasted;
  pasted.OutputProfile = OutputProfileByCaption("Cube 3D Davinci");
  pasted.SizeText = "3x3";
  EXPECT_EQ(test::ErrorOf([&] { CheckSizeInRange(pasted); }),
            "A size of 3x3 is not supported for \"Cube 3D Davinci\" (2 to 256 points per axis).");
}

TEST_F(ConvertJob, ResolvedSizesAreCappedAtTheJobLimits) {
  const ConversionEntry e = Entry("a.cube", CubeText(3));
  const std::string target = out_.File("a.cube");
  struct Case {
    const char* profile;
    const char* size;
    int expected;
  };
  const Case cases[] = {
      {"Cube 3D Davinci", "Default", 33}, {"Cube 3D Davinci", "64", 64}, {"Cube 3D Davinci", "120", 120},
      {"Autodesk Lustre 1D", "99999", 99999}, {"Autodesk Lustre 1D", "150000", 99999},
  };
  for (const Case& c : cases) {
    ConvertFile(Settings(c.profile, c.size), JoinPath(e.Folder, e.FileName), target);
    TLUT back;
    LoadLUTFile(target, back);
    EXPECT_EQ(back.Kind == TLUTKind::lk3D ? back.Size3D() : back.Size1D(), c.expected) << c.size;
  }
}

TEST_F(ConvertJob, ConvertedTableMatchesTheSource) {
  const ConversionEntry e = Entry("src.cube", CubeText(5));
  const std::string source = JoinPath(e.Folder, e.FileName);
  TLUT src;
  LoadLUTFile(source, src);
  ConvertFile(Settings("Cube 1D"), source, out_.File("src.cube"));
  TLUT back;
  LoadLUTFile(out_.File("src.cube"), back);
  EXPECT_EQ(back.Kind, TLUTKind::lk1D);
  EXPECT_EQ(back.Size1D(), 4096);
  EXPECT_EQ(back.Comments, (std::vector<std::string>{"source comment", "Converted by Zelvo LUT Converter"}));
  for (int i : {0, 1000, 2048, 4095}) {
    const double x = i / 4095.0;
    const TColor want = EvaluateLUT(src, TColor{x, x, x});
    EXPECT_NEAR(back.Table1D(i).R, want.R, 5e-7);
    EXPECT_NEAR(back.Table1D(i).B, want.B, 5e-7);
  }
}

TEST_F(ConvertJob, BatchLoopProgressSkipsAndOrder) {
  std::vector<ConversionEntry> entries = {Entry("a.cube", CubeText(2)), Entry("b.cube", CubeText(2), false),
                                          Entry("c.cube", CubeText(2))};
  out_.Write("c.cms", "existing");
  ScriptedFeedback script;
  script.answers = {OverwriteAnswer::No};
  EXPECT_EQ(ConvertFiles(Settings("Nucoda 3D"), entries, script.Make()), BatchResult::Completed);
  EXPECT_EQ(script.progress, std::vector<double>{100.0 / 3.0});  // only a; c was skipped with No
  EXPECT_EQ(script.questions, std::vector<std::string>{out_.File("c.cms")});
  EXPECT_TRUE(std::filesystem::exists(out_.File("a.cms")));
  EXPECT_FALSE(std::filesystem::exists(out_.File("b.cms")));
  EXPECT_EQ(test::ReadAll(out_.File("c.cms")), "existing");
}

// Yes to All and No to All answer the question they come from and every
// later one; the job tells each checked entry's place among the checked.
TEST_F(ConvertJob, AnswersForAllStandForTheRestOfTheBatch) {
  const std::vector<ConversionEntry> entries = {Entry("a.cube", CubeText(2)), Entry("b.cube", CubeText(2), false),
                                                Entry("c.cube", CubeText(2)), Entry("d.cube", CubeText(2))};
  struct Case {
    std::vector<OverwriteAnswer> answers;
    std::size_t questions;
    std::vector<bool> replaced;  // a, c, d
  };
  using A = OverwriteAnswer;
  const Case cases[] = {
      {{A::YesToAll}, 1, {true, true, true}},
      {{A::No, A::NoToAll}, 2, {false, false, false}},
      {{A::Yes, A::NoToAll}, 2, {true, false, false}},
      {{A::NoToAll}, 1, {false, false, false}},
  };
  for (const Case& c : cases) {
    for (const char* name : {"a.cms", "c.cms", "d.cms"}) out_.Write(name, "old");
    ScriptedFeedback script;
    script.answers = c.answers;
    ConversionFeedback feedback = script.Make();
    std::vector<std::pair<std::size_t, std::size_t>> reached;
    feedback.FileReached = [&](const std::string&, const std::string&, std::size_t k, std::size_t count) {
      reached.emplace_back(k, count);
    };
    EXPECT_EQ(ConvertFiles(Settings("Nucoda 3D"), entries, feedback), BatchResult::Completed);
    EXPECT_EQ(script.questions.size(), c.questions);
    std::vector<bool> replaced;
    for (const char* name : {"a.cms", "c.cms", "d.cms"}) replaced.push_back(test::ReadAll(out_.File(name)) != "old");
    EXPECT_EQ(replaced, c.replaced);
    EXPECT_EQ(reached, (std::vector<std::pair<std::size_t, std::size_t>>{{1, 3}, {2, 3}, {3, 3}}));
  }
}

TEST_F(ConvertJob, OnlyFirstOfThreeCheckedReportsAThird) {
  std::vector<ConversionEntry> entries = {Entry("a.cube", CubeText(2)), Entry("b.cube", CubeText(2), false),
                                          Entry("c.cube", CubeText(2), false)};
  ScriptedFeedback script;
  ConvertFiles(Settings("Cube 3D Davinci"), entries, script.Make());
  ASSERT_EQ(script.progress.size(), 1u);
  EXPECT_DOUBLE_EQ(script.progress[0], 100.0 / 3.0);
}

TEST_F(ConvertJob, CancelInTheQuestionEndsTheBatch) {
  std::vector<ConversionEntry> entries = {Entry("a.cube", CubeText(2)), Entry("b.cube", CubeText(2))};
  out_.Write("a.3dl", "existing");
  ScriptedFeedback script;
  script.answers = {OverwriteAnswer::Cancel};
  EXPECT_EQ(ConvertFiles(Settings("Cube 3D Davinci"), entries, script.Make()), BatchResult::Completed);
  // a.cube maps to a.cube, which does not exist: no question at all.
  EXPECT_TRUE(script.questions.empty());

  ScriptedFeedback again;
  again.answers = {OverwriteAnswer::Cancel};
  EXPECT_EQ(ConvertFiles(Settings("Cube 3D Davinci"), entries, again.Make()), BatchResult::Cancelled);
  EXPECT_EQ(again.questions.size(), 1u);
  EXPECT_TRUE(again.progress.empty());
}

TEST_F(ConvertJob, PollThatCancelsStopsBeforeTheNextFile) {
  std::vector<ConversionEntry> entries;
  for (const char* n : {"1.cube", "2.cube", "3.cube", "4.cube", "5.cube"}) entries.push_back(Entry(n, CubeText(2)));
  out_.Write("3.cms", "existing");
  ScriptedFeedback script;
  script.cancel_at_poll = 2;  // reported while the second file was converted
  script.answers = {OverwriteAnswer::Yes};
  EXPECT_EQ(ConvertFiles(Settings("Nucoda 3D"), entries, script.Make()), BatchResult::Cancelled);
  EXPECT_TRUE(std::filesystem::exists(out_.File("2.cms")));
  EXPECT_EQ(test::ReadAll(out_.File("3.cms")), "existing");
  EXPECT_EQ(script.questions.size(), 1u);  // the question comes before the poll
  EXPECT_EQ(script.started.size(), 2u);
  EXPECT_EQ(script.progress, (std::vector<double>{20.0, 40.0, 60.0}));
}

// Three ways a batch would replace its own files: a target that is a source of
// the batch, one that an earlier entry wrote, and one that is its own source.
// Each ends that entry before the question, with both files named.
TEST_F(ConvertJob, TargetsThatCollideAreRefusedBeforeTheQuestion) {
  TempDir other;
  const std::string grade = CubeText(2);
  struct Case {
    const char* what;
    std::vector<ConversionEntry> entries;
    std::string output_folder;
    const char* profile;
    std::string message;
    std::vector<std::string> converted;  // the sources that were converted
  };
  const std::string in = in_.path().string();
  const std::string a3dl = in_.Write("grade.3dl", "");  // replaced below by a real 3dl
  SaveLUTFile(a3dl, [] {
    TLUT lut;
    test::FillIdentity3D(lut, 2);
    return lut;
  }(), test::Profile("3DL Fusion"));
  const std::string cube = in_.Write("grade.cube", grade);
  other.Write("grade.cube", grade);
  const std::vector<Case> cases = {
      {"a target that is another source",
       {ConversionEntry{"grade.3dl", in, true}, ConversionEntry{"grade.cube", in, true}},
       in,
       "Cube 3D Davinci",
       "The target \"" + JoinPath(in, "grade.cube") + "\" is \"" + cube +
           "\", another source of this batch; \"" + a3dl + "\" is not converted.",
       {}},
      {"two sources of one name",
       {ConversionEntry{"grade.cube", in, true}, ConversionEntry{"grade.cube", other.path().string(), true}},
       out_.path().string(),
       "3DL Fusion",
       "The target \"" + out_.File("grade.3dl") + "\" was already written from \"" + cube +
           "\" in this batch; \"" + JoinPath(other.path().string(), "grade.cube") + "\" is not converted.",
       {cube}},
      {"a target that is its own source",
       {ConversionEntry{"grade.cube", in, true}},
       in + "/.",
       "Cube 3D Davinci",
       "The target \"" + JoinPath(in + "/.", "grade.cube") + "\" is the source \"" + cube +
           "\" itself; the file is not converted.",
       {}},
  };
  for (const Case& c : cases) {
    const std::string before_cube = test::ReadAll(cube);
    ScriptedFeedback script;
    ConversionSettings settings = Settings(c.profile);
    settings.OutputFolder = c.output_folder;
    std::vector<std::string> converted;
    ConversionFeedback feedback = script.Make();
    feedback.FileDone = [&](const std::string& source, TFileOutcome outcome) {
      if (outcome == TFileOutcome::Converted) converted.push_back(source);
    };
    EXPECT_EQ(test::ErrorOf([&] { ConvertFiles(settings, c.entries, feedback); }), c.message) << c.what;
    EXPECT_TRUE(script.questions.empty()) << c.what;
    EXPECT_EQ(converted, c.converted) << c.what;
    EXPECT_EQ(test::ReadAll(cube), before_cube) << c.what;
    std::filesystem::remove(out_.File("grade.3dl"));
  }
}

// Going on after a failure: the batch converts what it can and says what
// became of each entry.
TEST_F(ConvertJob, FailedFilesCanBePassedOver) {
  std::vector<ConversionEntry> entries = {Entry("a.cube", CubeText(2)), Entry("b.cube", "LUT_3D_SIZE 2\n0 0 0\n"),
                                          Entry("c.cube", CubeText(2))};
  out_.Write("c.cube", "old");
  ScriptedFeedback script;
  script.answers = {OverwriteAnswer::No};
  ConversionFeedback feedback = script.Make();
  std::vector<std::pair<std::string, TFileOutcome>> outcomes;
  std::vector<std::string> errors;
  feedback.FileDone = [&](const std::string& source, TFileOutcome outcome) {
    outcomes.emplace_back(std::filesystem::path(source).filename().string(), outcome);
  };
  feedback.FileFailed = [&](const std::string&, const std::exception& e) {
    errors.push_back(e.what());
    return true;
  };
  EXPECT_EQ(ConvertFiles(Settings("Cube 3D Davinci"), entries, feedback), BatchResult::Completed);
  const std::vector<std::pair<std::string, TFileOutcome>> expected = {
      {"a.cube", TFileOutcome::Converted}, {"b.cube", TFileOutcome::Failed}, {"c.cube", TFileOutcome::Skipped}};
  EXPECT_EQ(outcomes, expected);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].rfind("Incomplete file (", 0), 0u) << errors[0];
  EXPECT_EQ(test::ReadAll(out_.File("c.cube")), "old");
}

TEST_F(ConvertJob, ErrorEndsTheBatchAndKeepsEarlierFiles) {
  std::vector<ConversionEntry> entries = {Entry("a.cube", CubeText(2)), Entry("b.cube", "LUT_3D_SIZE 2\n0 0 0\n"),
                                          Entry("c.cube", CubeText(2))};
  ScriptedFeedback script;
  EXPECT_THROW(ConvertFiles(Settings("Cube 3D Davinci"), entries, script.Make()), ELUTError);
  EXPECT_TRUE(std::filesystem::exists(out_.File("a.cube")));
  EXPECT_FALSE(std::filesystem::exists(out_.File("b.cube")));
  EXPECT_FALSE(std::filesystem::exists(out_.File("c.cube")));
  EXPECT_EQ(script.started.back(), JoinPath(in_.path().string(), "b.cube"));
}

TEST_F(ConvertJob, RefusesSourcesAndTargetsItCannotConvert) {
  struct Case {
    const char* name;
    const char* content;
    const char* size;
    const char* message_part;
  };
  const Case cases[] = {
      {"gone.cube", "no longer a LUT", "Default", "is not a LUT file of a known format"},
      {"one.cube", "LUT_3D_SIZE 1\n0.5 0.5 0.5\n", "Default", "has fewer than 2 points"},
      {"nosize.cms", "NUCODA_3D_CUBE 1\nTITLE \"x\"\n", "Default", "Incomplete file."},  // no size line at all
      {"ok.cube", "LUT_3D_SIZE 2\n0 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n", "1",
       "A target size of 1 is not supported"},
      {"ok2.cube", "LUT_3D_SIZE 2\n0 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n", "0",
       "A target size of 0 is not supported"},
  };
  for (const Case& c : cases) {
    const ConversionEntry e = Entry(c.name, c.content);
    const std::string target = out_.File("t.cube");
    try {
      ConvertFile(Settings("Cube 3D Davinci", c.size), JoinPath(e.Folder, e.FileName), target);
      ADD_FAILURE() << c.name << " converted";
    } catch (const EZelvoError& err) {
      EXPECT_NE(std::string(err.what()).find(c.message_part), std::string::npos) << err.what();
      // The job's own refusals name the file; a reader's error is the reader's.
      if (std::string(c.size) == "Default" && std::string(c.message_part) != "Incomplete file.") {
        EXPECT_NE(std::string(err.what()).find(c.name), std::string::npos);
      }
    }
    EXPECT_FALSE(std::filesystem::exists(target)) << c.name;
  }
}

TEST_F(ConvertJob, SettingsNoWriterCanHonour) {
  EXPECT_THROW(CheckConversionSettings(Settings("Cube 3D Davinci", "Default", 10)), EZelvoError);
  EXPECT_THROW(CheckConversionSettings(Settings("Autodesk Lustre 1D", "Default", 0)), EZelvoError);
  EXPECT_THROW(CheckConversionSettings(Settings("Autodesk Lustre 1D", "Default", 40)), EZelvoError);
  EXPECT_NO_THROW(CheckConversionSettings(Settings("Autodesk Lustre 1D", "Default", 12)));
  ConversionSettings none;
  EXPECT_THROW(CheckConversionSettings(none), EZelvoError);
}

TEST_F(ConvertJob, SizesAndDepthsTheProfileFixesAreRefusedBeforeAnyWork) {
  const ConversionEntry e = Entry("a.cube", CubeText(2));
  struct Case {
    const char* profile;
    const char* size;
    int bits;
    const char* message;  // empty: allowed
  };
  const Case cases[] = {
      {"3DL Scratch, Autodesk, Blackmagic, Cine-tal", "5", -1,
       "The output format \"3DL Scratch, Autodesk, Blackmagic, Cine-tal\" has a fixed size of 17 points; it cannot be "
       "changed."},
      {"3DL Scratch, Autodesk, Blackmagic, Cine-tal", "Default", 10,
       "The output format \"3DL Scratch, Autodesk, Blackmagic, Cine-tal\" writes at a fixed depth of 12 bits; it "
       "cannot be changed."},
      {"Fusion 1D", "1024", -1, "The output format \"Fusion 1D\" has a fixed size of 65536 entries; it cannot be changed."},
      {"3DL Scratch, Autodesk, Blackmagic, Cine-tal", "17", 12, ""},  // the profile's own values
      {"Cube 3D Davinci", "17", -1, ""},
      {"Autodesk Lustre 1D", "1024", 12, ""},
      // Image profiles list their own sizes and depths.
      {"Hald CLUT PNG", "10", -1,
       "A size of 10 is not supported for \"Hald CLUT PNG\" (4, 9, 16, 25, 36, 49, 64, 81, 100, 121, 144, 169, 196, "
       "225 or 256 points per axis)."},
      {"Strip PNG", "65", 8, "A size of 65 is not supported for \"Strip PNG\" (2 to 64 points per axis)."},
      {"OpenColorIO raster EXR", "Default", 8,
       "The output format \"OpenColorIO raster EXR\" is written at 16 bits (half float) or 32 bits (float), not at 8 "
       "bits."},
      {"Hald CLUT TIFF", "16", 12,
       "The output format \"Hald CLUT TIFF\" is written at 8 bits, 16 bits or 32 bits (float), not at 12 bits."},
      {"Hald CLUT PNG", "16", 8, ""},
      {"OpenColorIO raster EXR", "4", 16, ""},
  };
  for (const Case& c : cases) {
    const std::string target = out_.File("a." + Settings(c.profile).OutputProfile->Extension);
    const std::string error = test::ErrorOf(
        [&] { ConvertFile(Settings(c.profile, c.size, c.bits), JoinPath(e.Folder, e.FileName), target); });
    EXPECT_EQ(error, c.message) << c.profile;
    EXPECT_EQ(std::filesystem::exists(target), *c.message == '\0') << c.profile;
    std::filesystem::remove(target);
  }
}

TEST_F(ConvertJob, NoOneToAskMeansNothingIsReplaced) {
  std::vector<ConversionEntry> entries = {Entry("a.cube", CubeText(2))};
  out_.Write("a.cms", "existing");
  ConvertFiles(Settings("Nucoda 3D"), entries, ConversionFeedback{});
  EXPECT_EQ(test::ReadAll(out_.File("a.cms")), "existing");
}

// Only a file the user agreed to replace is replaced: a target that appears
// after the job looked (here, while the file is being started) is refused
// and keeps what it holds.
TEST_F(ConvertJob, ATargetThatAppearsAfterTheQuestionIsNotReplaced) {
  std::vector<ConversionEntry> entries = {Entry("a.cube", CubeText(2))};
  ScriptedFeedback script;
  ConversionFeedback f = script.Make();
  f.FileStarting = [&](const std::string&, const std::string& target) { out_.Write("a.cms", "appeared"); (void)target; };
  EXPECT_THROW(ConvertFiles(Settings("Nucoda 3D"), entries, f), EZelvoError);
  EXPECT_TRUE(script.questions.empty());
  EXPECT_EQ(test::ReadAll(out_.File("a.cms")), "appeared");
}

// What a written table loses of its source is said once per file: the colour
// mixing of a 3D LUT written as 1D, a process list between the points of a
// table; a table that holds its source says nothing.
TEST_F(ConvertJob, LossesAreSaidWithTheLargestDifference) {
  const std::string mixing = "LUT_3D_SIZE 2\n0 0 0\n0.8 0.2 0.1\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n";
  const std::string clf_head = "<?xml version=\"1.0\"?>\n<ProcessList compCLFversion=\"3\" id=\"p\">\n";
  const std::string log_chain = clf_head +
                                "<Range inBitDepth=\"32f\" outBitDepth=\"32f\"><minInValue>0.001</minInValue>"
                                "<maxInValue>1</maxInValue><minOutValue>0.001</minOutValue><maxOutValue>1</maxOutValue>"
                                "</Range>\n<Log inBitDepth=\"32f\" outBitDepth=\"32f\" style=\"log10\"/>\n</ProcessList>\n";
  const std::string matrix_chain = clf_head +
                                   "<Matrix inBitDepth=\"32f\" outBitDepth=\"32f\"><Array dim=\"3 3\">0.9 0.1 0 0 1 0 0 0 1"
                                   "</Array></Matrix>\n<Exponent inBitDepth=\"32f\" outBitDepth=\"32f\" "
                                   "style=\"basicFwd\"><ExponentParams exponent=\"1\"/></Exponent>\n</ProcessList>\n";
  struct Case {
    const char* name;
    std::string text;
    const char* profile;
    std::string warning;  // the start of the one warning, or empty for none
  };
  const Case cases[] = {
      {"mix.cube", mixing, "Cube 1D", "a 1D table keeps only the response to greys"},
      {"mix2.cube", mixing, "Cube 3D Davinci", ""},
      {"grey.cube", CubeText(3), "Cube 1D", ""},  // no mixing to lose
      {"log.clf", log_chain, "Cube 3D Davinci", "the table cannot follow the process list"},
      // Formats that hold a shaper ahead of the table get one that follows
      // the list: a curve per channel, or one for all.
      {"log2.clf", log_chain, "Academy/ASC CLF 3D", ""},
      {"log3.clf", log_chain, "Cinespace 3D", ""},
      {"log4.clf", log_chain, "Houdini 3D", ""},
      {"matrix.clf", matrix_chain, "Cube 3D Davinci", ""},
  };
  for (const Case& c : cases) {
    in_.Write(c.name, c.text);
    const TConvertNotes notes = ConvertFile(Settings(c.profile), in_.File(c.name), out_.File(std::string(c.name) + ".out"));
    if (std::string(c.name).starts_with("log") && c.warning.empty()) {
      TLUT back;
      LoadLUTFile(out_.File(std::string(c.name) + ".out"), back);
      EXPECT_EQ(back.Kind, TLUTKind::lk1DAnd3D) << c.name;
    }
    if (c.warning.empty()) {
      EXPECT_TRUE(notes.Warnings.empty()) << c.name << ": " << (notes.Warnings.empty() ? "" : notes.Warnings[0]);
    } else {
      ASSERT_EQ(notes.Warnings.size(), 1u) << c.name;
      EXPECT_EQ(notes.Warnings[0].substr(0, c.warning.size()), c.warning) << notes.Warnings[0];
      EXPECT_NE(notes.Warnings[0].find("largest difference"), std::string::npos) << notes.Warnings[0];
    }
  }
}

}  // namespace
}  // namespace zelvo
