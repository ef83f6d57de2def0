// zelvo-lut apply LUTFILE PICTURE -o OUTPUT: a LUT applied to a picture at
// full size, as the preview applies it, written as JPEG or Windows bitmap.
#include <memory>
#include <ostream>

#include "cli/CliCommon.h"
#include "image/ApplyLUT.h"
#include "image/PictureFile.h"

namespace zelvo {

namespace {

struct TApplyOptions {
  std::string lut_file;
  std::string picture;
  std::string output;
  bool overwrite = false;
  std::string cccid;
};

int RunApply(const TApplyOptions& o, const CliEnvironment& env) {
  if (PictureTypeForName(o.output) == TPictureType::Unknown) {
    *env.err << Printable(o.output) << ": Pictures are written as JPEG (.jpg, .jpeg) or Windows bitmaps (.bmp).\n";
    return kExitUsage;
  }
  TReplace replace = TReplace::KeepExisting;
  if (!MayWriteOutput(o.output, {o.lut_file, o.picture}, o.overwrite, env, replace)) return kExitFailed;

  TLUT lut;
  if (!LoadUsableLUT(o.lut_file, lut, env, "; it cannot be applied", o.cccid)) return kExitFailed;
  // The picture is read upright (its EXIF orientation applied, as the preview
  // shows it): the file written carries no EXIF block, so the stored pixel
  // order would come out turned in every viewer.
  TBitmap24 picture;
  if (!ReportFailure(o.picture, env, [&] { picture = LoadPicture(o.picture); })) return kExitFailed;
  ApplyLUTToBitmap(lut, picture);
  if (!ReportFailure(o.output, env, [&] { SavePicture(o.output, picture, replace); })) return kExitFailed;
  return kExitOk;
}

}  // namespace

TCliCommand AddApplyCommand(CLI::App& app) {
  auto o = std::make_shared<TApplyOptions>();
  CLI::App* apply = app.add_subcommand(
      "apply", "Apply a LUT to a picture (JPEG or Windows bitmap) at full size, as the preview does");
  apply->add_option("lut", o->lut_file, "LUT file")->required();
  apply->add_option("picture", o->picture, "Picture: JPEG or Windows bitmap")->required();
  apply->add_option("-o,--output", o->output, "Output picture: .jpg or .jpeg (quality 95), or .bmp")->required();
  apply->add_flag("--overwrite", o->overwrite, "Replace an existing output file");
  AddCorrectionIdOption(*apply, o->cccid);
  return TCliCommand{apply, [o](const CliEnvironment& env) { return RunApply(*o, env); }};
}

}  // namespace zelvo
