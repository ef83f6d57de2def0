// ICC profiles the tests make with LittleCMS, of the classes and colour
// spaces each test needs.
#pragma once

#include <lcms2.h>

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

// An abstract profile (a small change of brightness and contrast).
inline cmsHPROFILE AbstractProfile() { return cmsCreateBCHSWabstractProfile(9, 0, 1.2, 0, 0, 6504, 6504); }

}  // namespace zelvo::test
