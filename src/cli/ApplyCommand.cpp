// zelvo-lut apply LUTFILE PICTURE -o OUTPUT: a LUT applied to a picture at
// full size, as the preview applies it. JPEG and bitmaps into JPEG and bitmaps
// go through 8-bit pixels; every other pair in float, written at the
// picture's own depth where the output's type holds it.
#include <memory>
#include <optional>
#include <ostream>

#include "cli/CliCommon.h"
#include "image/ApplyLUT.h"
#include "image/ApplyPipeline.h"
#include "image/PictureFile.h"
#include "image/PictureIO.h"

namespace zelvo {

namespace {

struct TApplyOptions {
  std::string lut_file;
  std::string picture;
  std::string output;
  bool overwrite = false;
  std::string cccid;
  TImageLUTReadOptions image;
  std::optional<TInterpolation> interpolation;
};

bool IsEightBitType(TPictureFileType type) { return type == TPictureFileType::Jpeg || type == TPictureFileType::Bmp; }

int RunApply(const TApplyOptions& o, const CliEnvironment& env) {
  const TPictureFileType output_type = PictureFileTypeForName(o.output);
  if (output_type == TPictureFileType::Unknown) {
    *env.err << Printable(o.output) << ": " << kPictureOutputTypes << "\n";
    return kExitUsage;
  }
  TReplace replace = TReplace::KeepExisting;
  if (!MayWriteOutput(o.output, {o.lut_file, o.picture}, o.overwrite, env, replace)) return kExitFailed;

  TLUT lut;
  if (!LoadUsableLUT(o.lut_file, lut, env, "; it cannot be applied", o.cccid, o.image)) return kExitFailed;
  if (o.interpolation) lut.Interpolation3D = *o.interpolation;
  // Pictures are read upright (a JPEG's EXIF orientation applied, as the
  // preview shows it): the file written carries no EXIF block, so the stored
  // pixel order would come out turned in every viewer.
  if (IsEightBitType(output_type) && IsEightBitType(PictureFileTypeOfFile(o.picture))) {
    std::string graded;
    if (!ReportFailure(o.picture, env, [&] {
          const TByteBuffer bytes = ReadPictureFile(o.picture);
          graded = ApplyLUTToPictureBytes(lut, std::string_view(bytes.data(), bytes.size()),
                                          PictureTypeForName(o.output));
        })) {
      return kExitFailed;
    }
    if (!ReportFailure(o.output, env, [&] { WriteFileAtomically(o.output, graded, replace); })) return kExitFailed;
    return kExitOk;
  }
  TFloatPicture picture;
  if (!ReportFailure(o.picture, env, [&] { picture = LoadFloatPicture(o.picture); })) return kExitFailed;
  ApplyLUTToFloatPicture(lut, picture);
  const TPictureDepth depth = OutputDepthFor(output_type, picture.Depth());
  if (!ReportFailure(o.output, env, [&] { SaveFloatPicture(o.output, picture, depth, replace); })) return kExitFailed;
  return kExitOk;
}

}  // namespace

TCliCommand AddApplyCommand(CLI::App& app) {
  auto o = std::make_shared<TApplyOptions>();
  CLI::App* apply = app.add_subcommand(
      "apply", "Apply a LUT to a picture (JPEG, Windows bitmap, PNG, TIFF, OpenEXR or DPX) at full size, as the preview does");
  apply->add_option("lut", o->lut_file, "LUT file")->required();
  apply->add_option("picture", o->picture, "Picture: JPEG, Windows bitmap, PNG, TIFF, OpenEXR or DPX, 8 or 16 bits or float")
      ->required();
  apply
      ->add_option("-o,--output", o->output,
                   "Output picture, at the picture's own depth where its type holds it: .jpg or .jpeg (quality 95) "
                   "and .bmp 8 bits; .png 8 or 16 bits; .tif or .tiff 8, 16 bits or float; .exr half or float; "
                   ".dpx 10 or 16 bits")
      ->required();
  apply->add_flag("--overwrite", o->overwrite, "Replace an existing output file");
  AddCorrectionIdOption(*apply, o->cccid);
  AddImageLayoutOptions(*apply, o->image);
  AddInterpolationOption(*apply, o->interpolation);
  return TCliCommand{apply, [o](const CliEnvironment& env) { return RunApply(*o, env); }};
}

}  // namespace zelvo
