// OpenColorIO as the peer of the tests: a file's reading as a processor, and
// colours through it.
#pragma once

#include <OpenColorIO/OpenColorIO.h>

#include <string>
#include <vector>

#include "lut/Resample.h"

namespace zelvo::test {

namespace OCIO = OCIO_NAMESPACE;

// OpenColorIO's reading of a file, with linear interpolation and without the
// optimisations that change results; null when OpenColorIO refuses the file
// (its reason in `why`).
inline OCIO::ConstCPUProcessorRcPtr PeerProcessor(const std::string& file, std::string* why = nullptr,
                                                  OCIO::Interpolation interpolation = OCIO::INTERP_LINEAR) {
  try {
    const auto config = OCIO::Config::CreateRaw();
    const auto transform = OCIO::FileTransform::Create();
    transform->setSrc(file.c_str());
    transform->setInterpolation(interpolation);
    return config->getProcessor(transform)->getOptimizedCPUProcessor(OCIO::BIT_DEPTH_F32, OCIO::BIT_DEPTH_F32,
                                                                     OCIO::OPTIMIZATION_NONE);
  } catch (const OCIO::Exception& e) {
    if (why != nullptr) *why = e.what();
    return nullptr;
  }
}

// Colours through the peer, as an RGB picture in single precision.
inline std::vector<TColor> PeerEvaluate(const OCIO::ConstCPUProcessorRcPtr& cpu, const std::vector<TColor>& in) {
  std::vector<float> px;
  px.reserve(in.size() * 3);
  for (const TColor& c : in) px.insert(px.end(), {float(c.R), float(c.G), float(c.B)});
  OCIO::PackedImageDesc image(px.data(), static_cast<long>(in.size()), 1, 3);
  cpu->apply(image);
  std::vector<TColor> out(in.size());
  for (std::size_t i = 0; i < in.size(); ++i) out[i] = TColor{px[3 * i], px[3 * i + 1], px[3 * i + 2]};
  return out;
}

}  // namespace zelvo::test
