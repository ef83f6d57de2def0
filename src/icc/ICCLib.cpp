#include "icc/ICCLib.h"

#include <lcms2.h>

#include <cstring>
#include <vector>

#include "base/TextFile.h"
#include "base/Errors.h"


namespace zelvo {

// An engine context whose error handler keeps the engine's last message, so
// that a failure is reported in the engine's own words.
struct TICCEngine {
  cmsContext context = nullptr;
  std::string message;

  TICCEngine() {
    context = cmsCreateContext(nullptr, this);
    if (context == nullptr) throw EOSError("The colour engine cannot start.");
    cmsSetLogErrorHandlerTHR(context, [](cmsContext id, cmsUInt32Number, const char* text) {
      static_cast<TICCEngine*>(cmsGetContextUserData(id))->message = text != nullptr ? text : "";
    });
  }
  ~TICCEngine() { cmsDeleteContext(context); }
  TICCEngine(const TICCEngine&) = delete;
  TICCEngine& operator=(const TICCEngine&) = delete;

  // The engine's reason for the last failure, or `fallback` when it gave none.
  std::string Reason(const std::string& fallback) const { return message.empty() ? fallback : message; }
};

namespace {

// ICC profiles of real devices stay far below this; larger files are refused
// before they are read.
constexpr std::size_t kMaxProfileBytes = 256u * 1024u * 1024u;

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

}  // namespace

TICCProfile::TICCProfile(std::unique_ptr<TICCEngine> engine, void* handle, std::string file_name)
    : engine_(std::move(engine)), handle_(handle), file_name_(std::move(file_name)) {}
TICCProfile::TICCProfile(TICCProfile&& other) noexcept
    : engine_(std::move(other.engine_)), handle_(other.handle_), file_name_(std::move(other.file_name_)) {
  other.handle_ = nullptr;
}
TICCProfile& TICCProfile::operator=(TICCProfile&& other) noexcept {
  if (this != &other) {
    if (handle_ != nullptr) cmsCloseProfile(handle_);
    engine_ = std::move(other.engine_);
    handle_ = other.handle_;
    file_name_ = std::move(other.file_name_);
    other.handle_ = nullptr;
  }
  return *this;
}
TICCProfile::~TICCProfile() {
  if (handle_ != nullptr) cmsCloseProfile(handle_);
}

TICCTransform::TICCTransform(std::unique_ptr<TICCEngine> engine, void* handle)
    : engine_(std::move(engine)), handle_(handle) {}
TICCTransform::TICCTransform(TICCTransform&& other) noexcept
    : engine_(std::move(other.engine_)), handle_(other.handle_) {
  other.handle_ = nullptr;
}
TICCTransform& TICCTransform::operator=(TICCTransform&& other) noexcept {
  if (this != &other) {
    if (handle_ != nullptr) cmsDeleteTransform(handle_);
    engine_ = std::move(other.engine_);
    handle_ = other.handle_;
    other.handle_ = nullptr;
  }
  return *this;
}
TICCTransform::~TICCTransform() {
  if (handle_ != nullptr) cmsDeleteTransform(handle_);
}

TICCProfile OpenICCProfile(const std::string& file_name) {
  // Read once by us (refusing folders, pipes and devices), parsed from memory
  // by the engine, which keeps its own copy.
  const TByteBuffer bytes = [&] {
    try {
      return ReadBinaryFile(file_name, kMaxProfileBytes,
                            "The file " + Quoted(file_name) + " is too large to be an ICC profile.");
    } catch (const EOSError&) {
      throw;
    } catch (const EZelvoError& e) {
      throw EOSError(e.what());
    }
  }();
  auto engine = std::make_unique<TICCEngine>();
  cmsHPROFILE handle = cmsOpenProfileFromMemTHR(engine->context, bytes.data(), static_cast<cmsUInt32Number>(bytes.size()));
  if (handle == nullptr) {
    throw EOSError("The file " + Quoted(file_name) + " cannot be read as an ICC profile: " +
                   engine->Reason("the colour engine cannot read it") + ".");
  }
  return TICCProfile(std::move(engine), handle, file_name);
}

TICCSignature GetICCProfileClass(const TICCProfile& profile) {
  return static_cast<TICCSignature>(cmsGetDeviceClass(profile.Handle()));
}
TICCSignature GetICCColorSpace(const TICCProfile& profile) {
  return static_cast<TICCSignature>(cmsGetColorSpace(profile.Handle()));
}
TICCSignature GetICCConnectionSpace(const TICCProfile& profile) {
  return static_cast<TICCSignature>(cmsGetPCS(profile.Handle()));
}

std::string ICCProfileClassName(TICCSignature signature) {
  switch (signature) {
    case kICCInputClass: return "Input Device Profile";
    case kICCDisplayClass: return "Display Device Profile";
    case kICCOutputClass: return "Output Device Profile";
    case kICCLinkClass: return "Device Link Profile";
    case kICCColorSpaceClass: return "Color Space Conversion Profile";
    case kICCAbstractClass: return "Abstract Profile";
    case kICCNamedColorClass: return "Named Color Profile";
    default: return "Unknown";
  }
}

std::string ICCSignatureText(TICCSignature signature) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const auto c = static_cast<unsigned char>(signature >> shift);
    if (c >= 0x21 && c < 0x7F) text.push_back(static_cast<char>(c));
    else if (c != ' ' && c != 0) text += "?";
  }
  return text;
}

TICCProfile OpenSRGBProfile() {
  auto engine = std::make_unique<TICCEngine>();
  cmsHPROFILE handle = cmsCreate_sRGBProfileTHR(engine->context);
  if (handle == nullptr) throw EOSError("The sRGB profile cannot be made: " + engine->Reason("no reason given") + ".");
  return TICCProfile(std::move(engine), handle, "sRGB (built in)");
}

TICCTransform CreateICCTransform(const TICCProfile& first, const TICCProfile* second) {
  auto engine = std::make_unique<TICCEngine>();
  cmsHPROFILE handles[2] = {first.Handle(), second != nullptr ? second->Handle() : nullptr};
  // The profiles read their tags while the link is built and report to their
  // own contexts: clear those so that only this failure's words are kept.
  first.Engine().message.clear();
  if (second != nullptr) second->Engine().message.clear();
  cmsHTRANSFORM handle = cmsCreateMultiprofileTransformTHR(engine->context, handles, second != nullptr ? 2 : 1,
                                                           TYPE_RGB_16, TYPE_RGB_16, INTENT_PERCEPTUAL,
                                                           cmsFLAGS_NOOPTIMIZE | cmsFLAGS_NOCACHE);
  if (handle == nullptr) {
    std::string reason = engine->message;
    if (reason.empty()) reason = first.Engine().message;
    if (reason.empty() && second != nullptr) reason = second->Engine().message;
    if (reason.empty()) reason = "the colour engine cannot link the profiles";
    throw EOSError("No colour transform can be built: " + reason + ".");
  }
  return TICCTransform(std::move(engine), handle);
}

bool TranslateRGB16(const TICCTransform& transform, const TRGB16& in, TRGB16& out) {
  if (transform.Handle() == nullptr) return false;
  const TRGB16 copy = in;
  cmsDoTransform(transform.Handle(), &copy, &out, 1);
  return true;
}

void TranslateRGB16Span(const TICCTransform& transform, const TRGB16* in, TRGB16* out, std::size_t count) {
  if (transform.Handle() == nullptr) throw EOSError("The colour transform is not open.");
  static_assert(sizeof(TRGB16) == 6, "three 16-bit channels, packed, as the engine reads them");
  constexpr std::size_t kMost = 1u << 30;
  for (std::size_t done = 0; done < count; done += kMost) {
    const std::size_t n = std::min(kMost, count - done);
    cmsDoTransform(transform.Handle(), in + done, out + done, static_cast<cmsUInt32Number>(n));
  }
}

}  // namespace zelvo
