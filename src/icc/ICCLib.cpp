#include "icc/ICCLib.h"

#include <lcms2.h>
#include <lcms2_plugin.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "base/TextFile.h"
#include "base/Errors.h"


namespace zelvo {

// An engine context whose error handler keeps the engine's last message, so
// that a failure is reported in the engine's own words. The context of a
// profile read from a file also bounds every block the engine allocates for
// it: a table header can declare a grid far larger than the file holds, and
// the engine would allocate it before it finds the data missing.
struct TICCEngine {
  cmsContext context = nullptr;
  std::string message;
  std::size_t largest_block = 0;  // 0: no bound
  bool block_refused = false;

  explicit TICCEngine(std::size_t block_bound = 0);
  ~TICCEngine() { cmsDeleteContext(context); }
  TICCEngine(const TICCEngine&) = delete;
  TICCEngine& operator=(const TICCEngine&) = delete;

  // The engine's reason for the last failure, or `fallback` when it gave none.
  std::string Reason(const std::string& fallback) const {
    if (block_refused) return "it declares tables larger than its file holds";
    return message.empty() ? fallback : message;
  }
};

namespace {

TICCEngine* EngineOf(cmsContext id) { return id == nullptr ? nullptr : static_cast<TICCEngine*>(cmsGetContextUserData(id)); }

// False (and noted) for a block beyond the engine's bound.
bool MayAllocate(cmsContext id, cmsUInt32Number size) {
  TICCEngine* engine = EngineOf(id);
  if (engine == nullptr || engine->largest_block == 0 || size <= engine->largest_block) return true;
  engine->block_refused = true;
  return false;
}

const cmsPluginMemHandler kBoundedMemory = {
    {cmsPluginMagicNumber, LCMS_VERSION, cmsPluginMemHandlerSig, nullptr},
    [](cmsContext id, cmsUInt32Number size) -> void* { return MayAllocate(id, size) ? std::malloc(size) : nullptr; },
    [](cmsContext, void* p) { std::free(p); },
    [](cmsContext id, void* p, cmsUInt32Number size) -> void* {
      return MayAllocate(id, size) ? std::realloc(p, size) : nullptr;
    },
    nullptr,
    nullptr,
    nullptr,
};

}  // namespace

TICCEngine::TICCEngine(std::size_t block_bound) : largest_block(block_bound) {
  context = cmsCreateContext(block_bound != 0 ? const_cast<cmsPluginMemHandler*>(&kBoundedMemory) : nullptr, this);
  if (context == nullptr) throw EOSError("The colour engine cannot start.");
  cmsSetLogErrorHandlerTHR(context, [](cmsContext id, cmsUInt32Number, const char* text) {
    static_cast<TICCEngine*>(cmsGetContextUserData(id))->message = text != nullptr ? text : "";
  });
}

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
  return OpenICCProfileFromMemory(std::string_view(bytes.data(), bytes.size()), file_name);
}

TICCProfile OpenICCProfileFromMemory(std::string_view bytes, const std::string& name) {
  if (bytes.size() > kMaxProfileBytes) throw EOSError("The file " + Quoted(name) + " is too large to be an ICC profile.");
  // The engine keeps 16 bits for an 8-bit table entry: four times the file
  // covers every table it can hold, the rest is small change.
  auto engine = std::make_unique<TICCEngine>(4 * bytes.size() + (std::size_t{16} << 20));
  cmsHPROFILE handle =
      cmsOpenProfileFromMemTHR(engine->context, bytes.data(), static_cast<cmsUInt32Number>(bytes.size()));
  if (handle == nullptr) {
    throw EOSError("The file " + Quoted(name) + " cannot be read as an ICC profile: " +
                   engine->Reason("the colour engine cannot read it") + ".");
  }
  return TICCProfile(std::move(engine), handle, name);
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

std::string GetICCDescription(const TICCProfile& profile) {
  constexpr cmsUInt32Number kMost = 200;
  char text[kMost + 1] = {};
  const cmsUInt32Number n = cmsGetProfileInfoASCII(profile.Handle(), cmsInfoDescription, "en", "US", text, kMost + 1);
  if (n == 0) return {};
  std::string description(text, strnlen(text, kMost));
  while (!description.empty() && static_cast<unsigned char>(description.back()) <= ' ') description.pop_back();
  return description;
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
  // A profile whose tables could not be read says so first.
  for (const TICCProfile* p : profiles) {
    if (p != nullptr && p->Engine().block_refused) {
      reason = "the profile " + Quoted(p->FileName()) + " declares tables larger than its file holds";
    }
  }
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

namespace {

// UTF-8 as the engine's wide characters (UTF-32, or UTF-16 where wchar_t has
// 16 bits); a byte that starts no character becomes U+FFFD.
std::wstring WideText(std::string_view text) {
  std::wstring wide;
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    const int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    char32_t code = extra == 0 ? c : extra == 1 ? c & 0x1F : extra == 2 ? c & 0x0F : c & 0x07;
    bool valid = extra >= 0 && i + static_cast<std::size_t>(extra) < text.size();
    for (int k = 1; valid && k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
      valid = (next & 0xC0) == 0x80;
      code = code << 6 | (next & 0x3F);
    }
    if (!valid || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000)) {
      code = 0xFFFD;
      i += 1;
    } else {
      i += static_cast<std::size_t>(extra) + 1;
    }
    if (sizeof(wchar_t) == 2 && code > 0xFFFF) {
      wide.push_back(static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10)));
      wide.push_back(static_cast<wchar_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
    } else {
      wide.push_back(static_cast<wchar_t>(code));
    }
  }
  return wide;
}

// The engine's objects, released on every path.
struct TProfileCloser {
  void operator()(void* p) const { cmsCloseProfile(p); }
};
struct TPipelineFree {
  void operator()(cmsPipeline* p) const { cmsPipelineFree(p); }
};
struct TMLUFree {
  void operator()(cmsMLU* m) const { cmsMLUfree(m); }
};
struct TSequenceFree {
  void operator()(cmsSEQ* s) const { cmsFreeProfileSequenceDescription(s); }
};

std::unique_ptr<cmsMLU, TMLUFree> TextTag(cmsContext context, std::string_view text) {
  std::unique_ptr<cmsMLU, TMLUFree> mlu(cmsMLUalloc(context, 1));
  if (mlu == nullptr || !cmsMLUsetWide(mlu.get(), "en", "US", WideText(text).c_str())) return nullptr;
  return mlu;
}

}  // namespace

TFileText MakeDeviceLinkProfile(const std::uint16_t* codes, int points, std::string_view description) {
  if (points < 2 || points > kMaxDeviceLinkPoints) {
    throw ELUTError("A device link profile holds 2 to " + std::to_string(kMaxDeviceLinkPoints) +
                    " points per axis, not " + std::to_string(points) + ".");
  }
  TICCEngine engine;
  const cmsContext context = engine.context;
  const auto fail = [&engine](const char* step) {
    throw EOSError(std::string("The device link profile cannot be made (") + step + "): " +
                   engine.Reason("no reason given") + ".");
  };
  std::unique_ptr<void, TProfileCloser> profile(cmsCreateProfilePlaceholder(context));
  if (profile == nullptr) fail("profile");
  cmsSetProfileVersion(profile.get(), 4.3);
  cmsSetDeviceClass(profile.get(), cmsSigLinkClass);
  cmsSetColorSpace(profile.get(), cmsSigRgbData);
  cmsSetPCS(profile.get(), cmsSigRgbData);
  cmsSetHeaderRenderingIntent(profile.get(), INTENT_PERCEPTUAL);

  // A table alone is no layout of the version 4 AToB tag: identity curves
  // go before and after it.
  std::unique_ptr<cmsPipeline, TPipelineFree> pipeline(cmsPipelineAlloc(context, 3, 3));
  if (pipeline == nullptr) fail("pipeline");
  cmsStage* stages[3] = {cmsStageAllocToneCurves(context, 3, nullptr),
                         cmsStageAllocCLut16bit(context, static_cast<cmsUInt32Number>(points), 3, 3, codes),
                         cmsStageAllocToneCurves(context, 3, nullptr)};
  bool inserted = true;
  for (cmsStage*& stage : stages) {
    if (stage != nullptr && inserted && cmsPipelineInsertStage(pipeline.get(), cmsAT_END, stage)) {
      stage = nullptr;  // the pipeline owns it now
    } else {
      inserted = false;
    }
  }
  for (cmsStage* stage : stages) {
    if (stage != nullptr) cmsStageFree(stage);
  }
  if (!inserted) fail("table");
  if (!cmsWriteTag(profile.get(), cmsSigAToB0Tag, pipeline.get())) fail("table");

  const auto desc = TextTag(context, description);
  const auto copyright = TextTag(context, "No copyright, use freely");
  if (desc == nullptr || copyright == nullptr) fail("texts");
  if (!cmsWriteTag(profile.get(), cmsSigProfileDescriptionTag, desc.get()) ||
      !cmsWriteTag(profile.get(), cmsSigCopyrightTag, copyright.get())) {
    fail("texts");
  }
  // A link lists the profiles it was made of; this one was made of a LUT.
  std::unique_ptr<cmsSEQ, TSequenceFree> sequence(cmsAllocProfileSequenceDescription(context, 1));
  if (sequence == nullptr) fail("sequence");
  sequence->seq[0].Description = cmsMLUdup(desc.get());
  sequence->seq[0].Manufacturer = cmsMLUalloc(context, 1);
  sequence->seq[0].Model = cmsMLUalloc(context, 1);
  if (!cmsWriteTag(profile.get(), cmsSigProfileSequenceDescTag, sequence.get())) fail("sequence");

  cmsUInt32Number size = 0;
  if (!cmsSaveProfileToMem(profile.get(), nullptr, &size) || size == 0) fail("size");
  TFileText bytes(size, '\0');
  if (!cmsSaveProfileToMem(profile.get(), bytes.data(), &size)) fail("bytes");
  bytes.resize(size);
  return bytes;
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
