// ICC profiles the tests make with LittleCMS, of the classes and colour
// spaces each test needs.
#pragma once

#include <lcms2.h>

#include <algorithm>
#include <string>

namespace zelvo::test {

// Saves the profile and closes it; false when it could not be written.
inline bool SaveICCProfile(cmsHPROFILE profile, const std::string& path) {
  const bool saved = cmsSaveProfileToFile(profile, path.c_str()) != 0;
  cmsCloseProfile(profile);
  return saved;
}

// A display with gamma 2.2 and wider primaries than sRGB.
inline cmsHPROFILE Display22Profile() {
  const cmsCIExyY white{0.3127, 0.3290, 1.0};
  const cmsCIExyYTRIPLE primaries{{0.68, 0.32, 1.0}, {0.265, 0.69, 1.0}, {0.15, 0.06, 1.0}};
  cmsToneCurve* gamma = cmsBuildGamma(nullptr, 2.2);
  cmsToneCurve* curves[3] = {gamma, gamma, gamma};
  cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
  cmsFreeToneCurve(gamma);
  return profile;
}

// The engine's sRGB with another class ('scnr' makes an input device).
inline cmsHPROFILE SRGBProfileOfClass(cmsProfileClassSignature profile_class) {
  cmsHPROFILE profile = cmsCreate_sRGBProfile();
  cmsSetDeviceClass(profile, profile_class);
  return profile;
}

// A device link from the first profile to the second; closes both.
inline cmsHPROFILE DeviceLinkProfile(cmsHPROFILE from, cmsHPROFILE to) {
  cmsHTRANSFORM t = cmsCreateTransform(from, TYPE_RGB_16, to, TYPE_RGB_16, INTENT_PERCEPTUAL, 0);
  cmsHPROFILE link = cmsTransform2DeviceLink(t, 4.3, 0);
  cmsDeleteTransform(t);
  cmsCloseProfile(from);
  cmsCloseProfile(to);
  return link;
}

// An RGB profile of the given class whose only table is an identity AToB0
// into the connection space: it converts in one direction only.
inline cmsHPROFILE IdentityTableProfile(cmsProfileClassSignature profile_class, cmsColorSpaceSignature pcs) {
  cmsHPROFILE profile = cmsCreateProfilePlaceholder(nullptr);
  cmsSetProfileVersion(profile, 4.3);
  cmsSetDeviceClass(profile, profile_class);
  cmsSetColorSpace(profile, cmsSigRgbData);
  cmsSetPCS(profile, pcs);
  cmsPipeline* pipeline = cmsPipelineAlloc(nullptr, 3, 3);
  cmsPipelineInsertStage(pipeline, cmsAT_BEGIN, cmsStageAllocToneCurves(nullptr, 3, nullptr));
  cmsWriteTag(profile, cmsSigAToB0Tag, pipeline);
  cmsPipelineFree(pipeline);
  return profile;
}

namespace detail {

// sRGB both ways through a Lab connection space, for the samplers below.
struct TInkCargo {
  cmsHTRANSFORM lab_to_rgb;
  cmsHTRANSFORM rgb_to_lab;
  bool paper_white = false;  // the perceptual table: paper and black stretched to sRGB's
};

// Lab to naive inks: CMY = 1 - RGB, half of the grey component as black
// (a printer that cannot reach sRGB's black or its purest colours).
inline cmsInt32Number LabToInks(const cmsUInt16Number in[], cmsUInt16Number out[], void* cargo) {
  double rgb[3];
  cmsDoTransform(static_cast<TInkCargo*>(cargo)->lab_to_rgb, in, rgb, 1);
  double cmy[3];
  for (int i = 0; i < 3; ++i) cmy[i] = 1.0 - std::min(1.0, std::max(0.0, rgb[i]));
  const double k = 0.5 * std::min({cmy[0], cmy[1], cmy[2]});
  for (int i = 0; i < 3; ++i) out[i] = static_cast<cmsUInt16Number>((cmy[i] - k) / (1.0 - k) * 65535.0 + 0.5);
  out[3] = static_cast<cmsUInt16Number>(k * 65535.0 + 0.5);
  return 1;
}

// The inks' colours: each ink takes away its share of light, black a little
// less than all of it, on a paper a shade darker than white (measured); the
// perceptual table stretches paper and black to sRGB's white and black.
inline cmsInt32Number InksToLab(const cmsUInt16Number in[], cmsUInt16Number out[], void* cargo) {
  const auto* inks = static_cast<TInkCargo*>(cargo);
  const double k = in[3] / 65535.0;
  double rgb[3];
  for (int i = 0; i < 3; ++i) {
    const double light = (1.0 - in[i] / 65535.0) * (1.0 - 0.9 * k);
    rgb[i] = inks->paper_white ? light : 0.04 + 0.92 * light;
  }
  cmsDoTransform(inks->rgb_to_lab, rgb, out, 1);
  return 1;
}

// A [curves, table, curves] pipeline (the shape a v4 table tag is written
// in) sampled from a function.
inline cmsPipeline* SampledPipeline(int in, int out, cmsSAMPLER16 sampler, TInkCargo* cargo) {
  cmsPipeline* pipeline = cmsPipelineAlloc(nullptr, in, out);
  cmsStage* table = cmsStageAllocCLut16bit(nullptr, 9, in, out, nullptr);
  cmsStageSampleCLut16bit(table, sampler, cargo, 0);
  cmsPipelineInsertStage(pipeline, cmsAT_BEGIN, cmsStageAllocToneCurves(nullptr, in, nullptr));
  cmsPipelineInsertStage(pipeline, cmsAT_END, table);
  cmsPipelineInsertStage(pipeline, cmsAT_END, cmsStageAllocToneCurves(nullptr, out, nullptr));
  return pipeline;
}

}  // namespace detail

// A CMYK printer ('prtr', Lab connection space) with tables both ways, made
// from sRGB and naive inks; its perceptual and colorimetric tables from the
// inks differ (AToB0, AToB1), as a real printer's do.
inline cmsHPROFILE CMYKPrinterProfile() {
  cmsHPROFILE srgb = cmsCreate_sRGBProfile();
  cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
  detail::TInkCargo cargo{
      cmsCreateTransform(lab, TYPE_Lab_16, srgb, TYPE_RGB_DBL, INTENT_RELATIVE_COLORIMETRIC, cmsFLAGS_NOOPTIMIZE),
      cmsCreateTransform(srgb, TYPE_RGB_DBL, lab, TYPE_Lab_16, INTENT_RELATIVE_COLORIMETRIC, cmsFLAGS_NOOPTIMIZE)};
  cmsHPROFILE printer = cmsCreateProfilePlaceholder(nullptr);
  cmsSetProfileVersion(printer, 4.3);
  cmsSetDeviceClass(printer, cmsSigOutputClass);
  cmsSetColorSpace(printer, cmsSigCmykData);
  cmsSetPCS(printer, cmsSigLabData);
  cmsPipeline* to_inks = detail::SampledPipeline(3, 4, detail::LabToInks, &cargo);
  cmsPipeline* measured = detail::SampledPipeline(4, 3, detail::InksToLab, &cargo);
  cargo.paper_white = true;
  cmsPipeline* stretched = detail::SampledPipeline(4, 3, detail::InksToLab, &cargo);
  cmsWriteTag(printer, cmsSigBToA0Tag, to_inks);
  cmsWriteTag(printer, cmsSigAToB0Tag, stretched);
  cmsWriteTag(printer, cmsSigAToB1Tag, measured);
  cmsWriteTag(printer, cmsSigMediaWhitePointTag, cmsD50_XYZ());
  cmsPipelineFree(to_inks);
  cmsPipelineFree(measured);
  cmsPipelineFree(stretched);
  cmsDeleteTransform(cargo.lab_to_rgb);
  cmsDeleteTransform(cargo.rgb_to_lab);
  cmsCloseProfile(lab);
  cmsCloseProfile(srgb);
  return printer;
}

// An abstract profile (a small change of brightness and contrast).
inline cmsHPROFILE AbstractProfile() { return cmsCreateBCHSWabstractProfile(9, 0, 1.2, 0, 0, 6504, 6504); }

}  // namespace zelvo::test
