// A shaped table's points stand where the shaper its file's readers apply
// takes the inputs onto them.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

#include "lut/Shaper.h"

namespace zelvo {
namespace {

// Colours as they come: each point of a shaped table holds the input that
// the shaper takes onto it.
class TIdentity final : public TColorEvaluator {
 public:
  void Evaluate(const TLUTEntry* in, TLUTEntry* out, std::size_t count) const override {
    for (std::size_t i = 0; i < count; ++i) out[i] = in[i];
  }
  std::string Description() const override { return "identity"; }
};

// A reader that takes the shaper as given, squared (a curve that still
// rises), or reversed (one that no longer does).
bool Squared(TLUT& lut) {
  for (int i = 0; i < lut.Size1D(); ++i) {
    TLUTEntry& e = lut.Table1D(i);
    e = TLUTEntry{e.R * e.R, e.G * e.G, e.B * e.B};
  }
  return true;
}
bool Reversed(TLUT& lut) {
  for (int i = 0; i < lut.Size1D() / 2; ++i) std::swap(lut.Table1D(i), lut.Table1D(lut.Size1D() - 1 - i));
  return true;
}

TEST(Shaper, PointsStandWhereTheShaperAsReadTakesThem) {
  TLUT source;
  source.Kind = TLUTKind::lkChain;
  source.Evaluator = std::make_shared<TIdentity>();
  struct Case {
    const char* name;
    std::function<bool(TLUT&)> as_read;
    double (*input)(double u);  // where the shaper as read reaches u
  };
  const Case cases[] = {
      {"as given", {}, [](double u) { return u; }},
      {"read unchanged", [](TLUT&) { return false; }, [](double u) { return u; }},
      {"squared", Squared, [](double u) { return std::sqrt(u); }},
      {"reversed, not used", Reversed, [](double u) { return u; }},
  };
  constexpr int kGrid = 5;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TLUT shaped;
    ASSERT_TRUE(BakeShaped(source, TLUTDomain{}, kGrid, 4096, false, shaped, c.as_read));
    ASSERT_EQ(shaped.Kind, TLUTKind::lk1DAnd3D);
    // The shaper given stays the source's own response.
    EXPECT_NEAR(shaped.Table1D(1024).G, 1024.0 / 4095, 1e-12);
    for (int k = 0; k < kGrid; ++k) {
      const double want = c.input(static_cast<double>(k) / (kGrid - 1));
      EXPECT_NEAR(shaped.Table3D(k, k, k).R, want, 1e-6) << k;
      EXPECT_NEAR(shaped.Table3D(0, k, kGrid - 1).G, want, 1e-6) << k;
    }
  }
}

}  // namespace
}  // namespace zelvo
