#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "CliRun.h"
#include "TestSupport.h"
#include "cli/CliMain.h"
#include "registry/Registry.h"

namespace zelvo {
namespace {

using test::TempDir;

using test::CliRun;
using test::Zelvo;

const char* kCube2 =
    "# hello\nLUT_3D_SIZE 2\n0 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n0.5 0.5 0.5\n";

TEST(Cli, ListsProfilesAndFormats) {
  const CliRun profiles = Zelvo({"profiles"});
  EXPECT_EQ(profiles.status, 0);
  EXPECT_NE(profiles.out.find(
                "7\tCube 3D Davinci\t.cube\tformat 1 (Cube 3D)\tsize 33 (selectable: 2 to 256)\tfloating point\n"),
            std::string::npos)
      << profiles.out;
  EXPECT_NE(profiles.out.find("16\tAutodesk Lustre 1D\t.lut\tformat 14 (Autodesk Lustre 1D)\tlength 65536 "
                              "(selectable: 2 to 99999)\tbits 16 (selectable: 12 or 16)\n"),
            std::string::npos);
  const CliRun formats = Zelvo({"formats"});
  EXPECT_EQ(formats.status, 0);
  EXPECT_EQ(formats.out.rfind("38\tICC profile\t3D\tread/write\n39\tImage LUT (PNG, TIFF, OpenEXR)\t3D\tread\n"
                              "29\tAcademy/ASC CLF\t3D\tread/write\n"
                              "30\tCinespace\t3D\tread/write\n",
                              0),
            0u);
  EXPECT_NE(formats.out.find("33\tSony Imageworks matrix\t3D\tread\n"), std::string::npos);
  EXPECT_NE(profiles.out.find("29\tAcademy/ASC CLF 1D\t.clf\tformat 29 (Academy/ASC CLF)\tlength 4096 "
                              "(selectable: 2 to 99999)\tfloating point\n"),
            std::string::npos);
  EXPECT_NE(formats.out.find("18\tNucoda 1D\t1D\twrite\n"), std::string::npos);
  EXPECT_NE(profiles.out.find("36\tICC Device Link 3D\t.icc\tformat 38 (ICC profile)\tsize 33 (selectable: 2 to "
                              "255)\tbits 16\n"),
            std::string::npos);
  // Image profiles list their own sizes and depths.
  EXPECT_NE(profiles.out.find("37\tHald CLUT PNG\t.png\tformat 40 (Hald CLUT PNG)\tsize 64 (selectable: 4, 9, 16, 25, "
                              "36, 49, 64, 81, 100, 121, 144, 169, 196, 225 or 256)\tdepth 16 bits (selectable: 8 "
                              "bits or 16 bits)\n"),
            std::string::npos);
  EXPECT_NE(profiles.out.find("42\tOpenColorIO raster EXR\t.exr\tformat 45 (OpenColorIO raster EXR)\tsize 32 "
                              "(selectable: 2 to 256)\tdepth 32 bits (float) (selectable: 16 bits (half float) or 32 "
                              "bits (float))\n"),
            std::string::npos);
}

TEST(Cli, UsageErrors) {
  EXPECT_EQ(Zelvo({}).status, 2);
  EXPECT_EQ(Zelvo({"frobnicate"}).status, 2);
  EXPECT_EQ(Zelvo({"convert", "-o", "/tmp", "x.cube"}).status, 2);  // no profile
  TempDir dir;
  const std::string src = dir.Write("a.cube", kCube2);
  const CliRun unknown = Zelvo({"convert", "-p", "No such profile", "-o", dir.path().string(), src});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_NE(unknown.err.find("Unknown output profile"), std::string::npos);
  EXPECT_EQ(Zelvo({"convert", "-p", "44", "-o", dir.path().string(), src}).status, 2);
  EXPECT_EQ(Zelvo({"convert", "-p", "7", "-o", dir.File("missing"), src}).status, 2);
  EXPECT_EQ(Zelvo({"convert", "-p", "7", "--size", "3x", "-o", dir.path().string(), src}).status, 2);
  const CliRun float_bits = Zelvo({"convert", "-p", "7", "--bits", "10", "-o", dir.path().string(), src});
  EXPECT_EQ(float_bits.status, 2);
  EXPECT_NE(float_bits.err.find("takes no bit depth"), std::string::npos);
  EXPECT_EQ(Zelvo({"convert", "-p", "7", "--overwrite", "--skip-existing", "-o", dir.path().string(), src}).status, 2);
  const CliRun help = Zelvo({"convert", "--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--skip-existing"), std::string::npos);
  EXPECT_NE(help.out.find("its index (0..43)"), std::string::npos);  // the last index, 44 being refused above
  const CliRun version = Zelvo({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_NE(version.out.find("zelvo-lut"), std::string::npos);
}

TEST(Cli, ConvertByIndexAndByCaption) {
  TempDir in, out;
  const std::string a = in.Write("a.cube", kCube2);
  const std::string b = in.Write("b.cube", kCube2);
  const CliRun run = Zelvo({"convert", "-p", "Cube 3D Davinci", "--size", "17", "-o", out.path().string(), a, b});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("[1/2] " + a), std::string::npos) << run.err;  // progress for several files
  TLUT lut;
  LoadLUTFile(out.File("b.cube"), lut);
  EXPECT_EQ(lut.Size3D(), 17);

  const CliRun single = Zelvo({"convert", "-p", "10", "-o", out.path().string(), a});
  EXPECT_EQ(single.status, 0) << single.err;
  EXPECT_TRUE(single.err.empty()) << single.err;
  EXPECT_TRUE(std::filesystem::exists(out.File("a.cms")));
}

TEST(Cli, SizesAndDepthsAProfileFixesAreUsageErrors) {
  TempDir in, out;
  const std::string a = in.Write("a.cube", kCube2);
  struct Case {
    std::vector<std::string> options;
    const char* message;
  };
  const Case cases[] = {
      {{"-p", "0", "--size", "5"}, "The output format \"3DL Scratch, Autodesk, Blackmagic, Cine-tal\" has a fixed size of 17 points; it cannot be changed."},
      {{"-p", "Cube 1D", "--size", "1024"}, "The output format \"Cube 1D\" has a fixed size of 4096 entries; it cannot be changed."},
      {{"-p", "Codex 3D", "--bits", "10"}, "The output format \"Codex 3D\" writes at a fixed depth of 12 bits; it cannot be changed."},
      {{"-p", "Cube 3D Davinci", "--bits", "10"}, "The output format \"Cube 3D Davinci\" writes floating-point values and takes no bit depth."},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"convert", "-o", out.path().string(), a};
    args.insert(args.begin() + 1, c.options.begin(), c.options.end());
    const CliRun run = Zelvo(args);
    EXPECT_EQ(run.status, 2) << c.message;
    EXPECT_EQ(run.err, std::string(c.message) + "\n");
    EXPECT_TRUE(std::filesystem::is_empty(out.path())) << c.message;
  }
  // The default itself, or a selectable size, is fine.
  EXPECT_EQ(Zelvo({"convert", "-p", "0", "--size", "17", "--bits", "12", "-o", out.path().string(), a}).status, 0);
  EXPECT_EQ(Zelvo({"convert", "-p", "Autodesk Lustre 1D", "--size", "1024", "--bits", "12", "-o",
                   out.path().string(), a})
                .status,
            0);
}

TEST(Cli, ExistingTargets) {
  TempDir in, out;
  const std::string a = in.Write("a.cube", kCube2);
  out.Write("a.cms", "existing");
  const std::string folder = out.path().string();

  const CliRun refused = Zelvo({"convert", "-p", "10", "-o", folder, a});
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find(out.File("a.cms")), std::string::npos) << refused.err;
  EXPECT_NE(refused.err.find("--overwrite"), std::string::npos);
  EXPECT_NE(refused.err.find("--skip-existing"), std::string::npos);
  EXPECT_EQ(test::ReadAll(out.File("a.cms")), "existing");

  EXPECT_EQ(Zelvo({"convert", "-p", "10", "--skip-existing", "-o", folder, a}).status, 0);
  EXPECT_EQ(test::ReadAll(out.File("a.cms")), "existing");

  const CliRun asked_no = Zelvo({"convert", "-p", "10", "-o", folder, a}, "maybe\nn\n", true);
  EXPECT_EQ(asked_no.status, 0);
  EXPECT_NE(asked_no.err.find("is already exist"), std::string::npos);
  EXPECT_EQ(test::ReadAll(out.File("a.cms")), "existing");

  EXPECT_EQ(Zelvo({"convert", "-p", "10", "-o", folder, a}, "", true).status, 1);  // end of input cancels

  EXPECT_EQ(Zelvo({"convert", "-p", "10", "-o", folder, a}, "y\n", true).status, 0);
  EXPECT_NE(test::ReadAll(out.File("a.cms")), "existing");
  out.Write("a.cms", "existing");
  EXPECT_EQ(Zelvo({"convert", "-p", "10", "--overwrite", "-o", folder, a}).status, 0);
  EXPECT_NE(test::ReadAll(out.File("a.cms")), "existing");
}

TEST(Cli, FailingFileIsNamedAndEarlierFilesStay) {
  TempDir in, out;
  const std::string good = in.Write("good.cube", kCube2);
  const std::string bad = in.Write("bad.cube", "LUT_3D_SIZE 2\n0 0 0\n");
  const std::string later = in.Write("later.cube", kCube2);
  const CliRun run = Zelvo({"convert", "-p", "6", "-o", out.path().string(), good, bad, later});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find(bad + ": read as Cube 3D: Incomplete file (1 of 8 rows; the file ends at line 2)\n"),
            std::string::npos) << run.err;
  // The counts add up to the files given.
  EXPECT_NE(run.err.find("Converted 1, skipped 0, failed 1, not converted 1.\n"), std::string::npos) << run.err;
  // The progress line of a file comes once its source is read: none for bad.cube.
  EXPECT_EQ(run.err.find("bad.cube ->"), std::string::npos) << run.err;
  EXPECT_TRUE(std::filesystem::exists(out.File("good.cube")));
  EXPECT_FALSE(std::filesystem::exists(out.File("later.cube")));
  // Going on after the failure converts the rest and still fails in the end.
  const CliRun on = Zelvo({"convert", "-p", "6", "--overwrite", "--keep-going", "-o", out.path().string(), good, bad,
                           later});
  EXPECT_EQ(on.status, 1);
  EXPECT_NE(on.err.find(bad + ": read as Cube 3D: Incomplete file (1 of 8 rows; the file ends at line 2)\n"),
            std::string::npos) << on.err;
  EXPECT_NE(on.err.find("Converted 2, skipped 0, failed 1.\n"), std::string::npos) << on.err;
  EXPECT_TRUE(std::filesystem::exists(out.File("later.cube")));
  // Going on also past targets that are there: each counts as failed, under
  // its own name, and the files after it are converted.
  std::filesystem::remove(out.File("later.cube"));
  const CliRun existing = Zelvo({"convert", "-p", "6", "--keep-going", "-o", out.path().string(), good, later});
  EXPECT_EQ(existing.status, 1);
  EXPECT_NE(existing.err.find(out.File("good.cube") + ": The file already exists"), std::string::npos) << existing.err;
  EXPECT_NE(existing.err.find("Converted 1, skipped 0, failed 1.\n"), std::string::npos) << existing.err;
  EXPECT_TRUE(std::filesystem::exists(out.File("later.cube")));
  const CliRun missing = Zelvo({"convert", "-p", "6", "-o", out.path().string(), in.File("nope.cube")});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("nope.cube: Cannot open file"), std::string::npos) << missing.err;
}

TEST(Cli, Info) {
  TempDir dir;
  const std::string a = dir.Write("a.cube", kCube2);
  const CliRun run = Zelvo({"info", a});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, a + "\n  Format: Cube 3D\n  Type: 3D\n  Dimension: 2\n  Comment: hello\n");
  // A file of no known format, or one that fails, makes the exit status 1.
  const std::string u = dir.Write("u.txt", "hello");
  const CliRun unknown = Zelvo({"info", a, u});
  EXPECT_EQ(unknown.status, 1);
  EXPECT_EQ(unknown.out, run.out + u + "\n  Format: unknown\n");
  EXPECT_EQ(unknown.err, u + ": The file is not a LUT file of a known format (it starts with \"hello\").\n");
  // What the file starts with is shown safely; a file of comments says so.
  const std::string esc = dir.Write("esc.txt", "# note\n\n  red\x1b[31m text\n");
  EXPECT_EQ(Zelvo({"info", esc}).err,
            esc + ": The file is not a LUT file of a known format (it starts with \"red\\x1B[31m text\").\n");
  const std::string notes = dir.Write("notes.txt", "# only\n# comments\n");
  EXPECT_EQ(Zelvo({"info", notes}).err, notes + ": The file is not a LUT file of a known format (it holds only comments).\n");
}

// What went wrong, where, and read as what; text from the file cannot drive
// the terminal.
TEST(Cli, MessagesSayWhatHappened) {
  TempDir dir;
  struct Case {
    const char* name;
    std::string text;
    std::string out_format;  // the format printed before the error
    std::string message;
  };
  const Case cases[] = {
      {"short.cube", "LUT_3D_SIZE 9\n", "Cube 3D", "read as Cube 3D: Incomplete file (0 of 729 rows; the file ends at line 1)"},
      {"size.cube", "# c\n\nLUT_3D_SIZE 3x\n", "Cube 3D",
       "read as Cube 3D: '3x' is not a valid integer value (line 3)"},
      {"clip.txt", "<?xml version='1.0'?>\n<LUT3D N='2' BitDepth='16'>\n\n  <data>\n  </data>\n</LUT3D>\n",
       "Clipster 3D", "read as Clipster 3D: The \"values\" node is not found (line 2)"},
      {"domain.cube", "LUT_3D_SIZE 2\nLUT_3D_INPUT_RANGE 4 0\n", "Cube 3D",
       "read as Cube 3D: The header value \"LUT_3D_INPUT_RANGE 4 0\" is not supported (the maximum must be above the "
       "minimum; line 2)."},
      {"esc.cube", "LUT_3D_SIZE 2\nDOMAIN_MIN 0 0 x\x7f[31m\n", "Cube 3D",
       "read as Cube 3D: 'x\\x7f[31m' is not a valid floating point value (line 2)"},
  };
  for (const Case& c : cases) {
    const std::string file = dir.Write(c.name, c.text);
    const CliRun run = Zelvo({"info", file});
    EXPECT_EQ(run.status, 1) << c.name;
    EXPECT_EQ(run.out, file + "\n  Format: " + c.out_format + "\n") << c.name;
    EXPECT_EQ(run.err, file + ": " + c.message + "\n") << c.name;
  }
  // Comments with control characters are shown escaped.
  const std::string f = dir.Write("bell.cube", "# ring\a\x7f\nLUT_3D_SIZE 2\n" + std::string(kCube2).substr(22));
  EXPECT_NE(Zelvo({"info", f}).out.find("  Comment: ring\\x07\\x7f\n"), std::string::npos);
}

// A batch that would replace its own files refuses them and says which.
TEST(Cli, TargetsThatCollideWithTheBatchAreRefused) {
  TempDir dir;
  const std::string cube = dir.Write("grade.cube", kCube2);
  const std::string threedl = dir.File("grade.3dl");
  ASSERT_EQ(Zelvo({"convert", "-p", "1", "-o", dir.path().string(), cube}).status, 0);
  const std::string before = test::ReadAll(cube);
  const CliRun run = Zelvo({"convert", "-p", "7", "-o", dir.path().string(), "--overwrite", threedl, cube});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("is \"" + cube + "\", another source of this batch"), std::string::npos) << run.err;
  EXPECT_EQ(test::ReadAll(cube), before);
  const CliRun own = Zelvo({"convert", "-p", "7", "-o", dir.path().string(), "--overwrite", cube});
  EXPECT_EQ(own.status, 1);
  EXPECT_NE(own.err.find("itself; the file is not converted."), std::string::npos) << own.err;
  EXPECT_EQ(test::ReadAll(cube), before);
}

TEST(Cli, SizesDepthsFoldersAndCaptions) {
  TempDir dir, folder;
  const std::string src = dir.Write("a.cube", kCube2);
  const std::string out = folder.path().string();
  struct Case {
    std::vector<std::string> options;
    int status;
    std::string err;  // the start of standard error
  };
  const Case cases[] = {
      {{"-p", "7", "--size", "1"}, 2, "A size of 1 is not supported for \"Cube 3D Davinci\" (2 to 256 points per axis)."},
      {{"-p", "7", "--size", "257"}, 2, "A size of 257 is not supported for \"Cube 3D Davinci\" (2 to 256 points per axis)."},
      {{"-p", "16", "--size", "100000"}, 2,
       "A size of 100000 is not supported for \"Autodesk Lustre 1D\" (2 to 99999 entries)."},
      {{"-p", "16", "--bits", "10"}, 2,
       "The output format \"Autodesk Lustre 1D\" cannot be written at 10 bits: its files are read back at 12 or 16 bits "
       "only."},
      {{"-p", "cube 3d davinci"}, 0, ""},  // one caption matches in any case
      {{"-p", "CUBE 1D"}, 0, ""},
      {{"-p", "cube"}, 2, "Unknown output profile \"cube\""},
      // Whole numbers are decimal: a leading zero is no octal, 0x no hexadecimal.
      {{"-p", "16", "--bits", "012"}, 0, ""},
      {{"-p", "16", "--bits", "0x10"}, 2, "--bits: '0x10' is not a decimal whole number"},
      {{"-p", "7", "--interp", "tetrahedral"}, 0, ""},
      {{"-p", "7", "--interp", "cubic"}, 2, "--interp: 'cubic' is neither trilinear nor tetrahedral"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"convert", "--overwrite", "-o", out, src};
    args.insert(args.begin() + 1, c.options.begin(), c.options.end());
    const CliRun run = Zelvo(args);
    EXPECT_EQ(run.status, c.status) << c.err << run.err;
    EXPECT_EQ(run.err.substr(0, c.err.size()), c.err);
  }
  const CliRun file_as_folder = Zelvo({"convert", "-p", "7", "-o", src, src});
  EXPECT_EQ(file_as_folder.status, 2);
  EXPECT_EQ(file_as_folder.err, src + ": The output folder is not a folder.\n");
  std::filesystem::create_directory(folder.File("a.cms"));
  const CliRun folder_target = Zelvo({"convert", "-p", "10", "--overwrite", "-o", out, src});
  EXPECT_EQ(folder_target.status, 1);
  EXPECT_EQ(folder_target.err,
            src + ": The target \"" + folder.File("a.cms") + "\" is a folder; \"" + src + "\" is not converted.\n");
}

TEST(Cli, Eval) {
  TempDir dir;
  const std::string a = dir.Write("a.cube", kCube2);
  const CliRun one = Zelvo({"eval", a, "1", "1", "1"});
  EXPECT_EQ(one.status, 0);
  EXPECT_EQ(one.out, "0.5 0.5 0.5\n");
  const CliRun many = Zelvo({"eval", a}, "0 0 0\n\n0.5 0.5 0.5\n1 0 0\n");
  EXPECT_EQ(many.status, 0);
  EXPECT_EQ(many.out, "0 0 0\n0.4375 0.4375 0.4375\n1 0 0\n");
  const CliRun third = Zelvo({"eval", a, "0.333333333", "0", "0"});
  EXPECT_EQ(third.out, "0.333333333 0 0\n");
  EXPECT_EQ(Zelvo({"eval", a, "1", "1"}).status, 2);
  EXPECT_EQ(Zelvo({"eval", a, "x", "1", "1"}).status, 2);
  EXPECT_EQ(Zelvo({"eval", a}, "1 2\n").status, 1);
  EXPECT_EQ(Zelvo({"eval", dir.Write("u.txt", "hello"), "0", "0", "0"}).status, 1);
}

TEST(Cli, SaysOnceWhenATargetClipsInputs) {
  TempDir in, out;
  const std::string wide = in.Write("wide.cube", "LUT_3D_SIZE 2\nDOMAIN_MAX 4 4 4\n" + std::string(kCube2).substr(22));
  const std::string other = in.Write("other.cube", "LUT_3D_SIZE 2\nDOMAIN_MAX 2 2 2\n" + std::string(kCube2).substr(22));
  const CliRun run = Zelvo({"convert", "-p", "3DL Fusion", "-o", out.path().string(), wide, other});
  EXPECT_EQ(run.status, 0) << run.err;
  const std::string note = ": covers inputs beyond 0..1, which \"3DL Fusion\" cannot state;";
  EXPECT_NE(run.err.find(wide + note), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find(other + note), std::string::npos) << run.err;  // once
  // A cube states the domain instead.
  const CliRun cube = Zelvo({"convert", "-p", "Cube 3D Davinci", "--size", "2", "-o", out.path().string(), wide});
  EXPECT_EQ(cube.err, "");
  EXPECT_NE(test::ReadAll(out.File("wide.cube")).find("LUT_3D_SIZE 2\nDOMAIN_MIN 0 0 0\nDOMAIN_MAX 4 4 4\n"),
            std::string::npos);
}

TEST(Cli, SaysOnceWhenATargetClipsValues) {
  TempDir in, out;
  const std::string high = in.Write("high.cube", std::string(kCube2).substr(0, 40) + "1.25 1 0\n" +
                                                   std::string(kCube2).substr(46));
  const std::string low = in.Write("low.cube", std::string(kCube2).substr(0, 40) + "-1 1 0\n" +
                                                 std::string(kCube2).substr(46));
  const CliRun run = Zelvo({"convert", "-p", "ICC Device Link 3D", "--size", "2", "-o", out.path().string(), high, low});
  EXPECT_EQ(run.status, 0) << run.err;
  const std::string note = ": has values beyond 0..1, which \"ICC Device Link 3D\" cannot hold; the converted files "
                           "clip them to 0..1.\n";
  EXPECT_NE(run.err.find(high + note), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find(low + note), std::string::npos) << run.err;  // once
  const CliRun cube = Zelvo({"convert", "-p", "Cube 3D Davinci", "--size", "2", "-o", out.path().string(), high});
  EXPECT_EQ(cube.err, "");
  const CliRun info = Zelvo({"info", out.File("high.icc")});
  EXPECT_NE(info.out.find("  Format: ICC profile\n  Type: ICC profile transform\n  Profile: Device Link Profile\n"
                          "  Description: hello\n"),
            std::string::npos)
      << info.out;
}

TEST(Cli, ConvertsPeerCubeFiles) {
  const std::string a = test::PeerFile("colour/iridas_cube/Colour_Correct.cube");
  const std::string b = test::PeerFile("OpenColorIO/resolve_1d3d.cube");
  const std::string c = test::PeerFile("ociobakelut/cdl_sat_truelight_17.cub");
  if (a.empty() || b.empty() || c.empty()) GTEST_SKIP() << "peer files missing";
  TempDir out;
  const CliRun run = Zelvo({"convert", "-p", "Cube 3D Davinci", "--size", "17", "-o", out.path().string(), a, b, c});
  EXPECT_EQ(run.status, 0) << run.err;
  for (const char* name : {"Colour_Correct.cube", "resolve_1d3d.cube", "cdl_sat_truelight_17.cube"}) {
    TLUT lut;
    LoadLUTFile(out.File(name), lut);
    EXPECT_EQ(lut.Size3D(), 17) << name;
  }
  // The Truelight file went through unchanged at its own size: same values.
  const CliRun src = Zelvo({"eval", c, "0.25", "0.5", "0.75"});
  const CliRun dst = Zelvo({"eval", out.File("cdl_sat_truelight_17.cube"), "0.25", "0.5", "0.75"});
  EXPECT_EQ(src.out, dst.out);
}

}  // namespace
}  // namespace zelvo

namespace zelvo {
namespace {

// --cccid picks a correction of a collection in every command that reads LUTs.
TEST(Cli, CorrectionOfACollection) {
  TempDir dir;
  std::string ccc = "<ColorCorrectionCollection>";
  for (const char* id : {"a", "b"}) {
    ccc += std::string("<ColorCorrection id='") + id + "'><SOPNode><Slope>" + (id[0] == 'a' ? "1 1 1" : "0.5 0.5 0.5") +
           "</Slope><Offset>0 0 0</Offset><Power>1 1 1</Power></SOPNode></ColorCorrection>";
  }
  const std::string file = dir.Write("looks.ccc", ccc + "</ColorCorrectionCollection>");
  EXPECT_EQ(Zelvo({"eval", file, "1", "1", "1"}).out, "1 1 1\n");
  EXPECT_EQ(Zelvo({"eval", "--cccid", "b", file, "1", "1", "1"}).out, "0.5 0.5 0.5\n");
  EXPECT_NE(Zelvo({"info", file}).out.find("pick one by its id): a, b"), std::string::npos);
  const CliRun missing = Zelvo({"info", "--cccid", "c", file});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("holds no correction \"c\" (its ids: a, b)"), std::string::npos);
  ASSERT_EQ(Zelvo({"convert", "-p", "Cube 3D Davinci", "--size", "2", "--cccid", "b", "-o", dir.path().string(), file})
                .status,
            0);
  EXPECT_NE(test::ReadAll(dir.File("looks.cube")).find("\n0.500000 0.500000 0.500000\n"), std::string::npos);
}

}  // namespace
}  // namespace zelvo
