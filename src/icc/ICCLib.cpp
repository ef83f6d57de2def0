#include "icc/ICCLib.h"

#include <lcms2.h>

#include <cstring>
#include <initializer_list>
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

namespace {

// The profiles read their tags while a transform is built and report to
// their own contexts: cleared before, so that only this failure's words are
// kept.
void ClearMessages(std::initializer_list<const TICCProfile*> profiles) {
  for (const TICCProfile* p : profiles) {
    if (p != nullptr) p->Engine().message.clear();
  }
}

// A transform the engine could not build: EOSError in the words of the
// first context (the transform's, then the profiles') that gave a reason.
void CheckTransformBuilt(cmsHTRANSFORM handle, const TICCEngine& engine,
                         std::initializer_list<const TICCProfile*> profiles) {
  if (handle != nullptr) return;
  std::string reason = engine.message;
  for (const TICCProfile* p : profiles) {
    if (reason.empty() && p != nullptr) reason = p->Engine().message;
  }
  if (reason.empty()) reason = "the colour engine cannot link the profiles";
  throw EOSError("No colour transform can be built: " + reason + ".");
}

// Every sample is worked out from the profiles' own tables, never from a
// table the engine would build to speed up later lookups.
constexpr cmsUInt32Number kExactFlags = cmsFLAGS_NOOPTIMIZE | cmsFLAGS_NOCACHE;

}  // namespace

TICCTransform CreateICCTransform(const TICCProfile& first, const TICCProfile* second) {
  auto engine = std::make_unique<TICCEngine>();
  cmsHPROFILE handles[2] = {first.Handle(), second != nullptr ? second->Handle() : nullptr};
  ClearMessages({&first, second});
  cmsHTRANSFORM handle = cmsCreateMultiprofileTransformTHR(engine->context, handles, second != nullptr ? 2 : 1,
                                                           TYPE_RGB_16, TYPE_RGB_16, INTENT_PERCEPTUAL, kExactFlags);
  CheckTransformBuilt(handle, *engine, {&first, second});
  return TICCTransform(std::move(engine), handle);
}

TICCTransform CreateICCProofTransform(const TICCProfile& rgb, const TICCProfile& device) {
  auto engine = std::make_unique<TICCEngine>();
  ClearMessages({&rgb, &device});
  // The engine's proofing transform reads the device's colours back through
  // its colorimetric table, as the device renders them, whatever intent took
  // the colours there; the proofing intent (device to RGB) is relative
  // colorimetric, so that the device's own white and black are shown, not
  // stretched to the RGB's.
  cmsHTRANSFORM handle = cmsCreateProofingTransformTHR(engine->context, rgb.Handle(), TYPE_RGB_16, rgb.Handle(),
                                                       TYPE_RGB_16, device.Handle(), INTENT_PERCEPTUAL,
                                                       INTENT_RELATIVE_COLORIMETRIC,
                                                       cmsFLAGS_SOFTPROOFING | kExactFlags);
  CheckTransformBuilt(handle, *engine, {&rgb, &device});
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
