// Two pieces of work side by side: both done before the call returns, and a
// failure of either raised to the caller.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>

#include "lut/Alongside.h"

namespace zelvo {
namespace {

TEST(Alongside, BothFinishAndEitherFailureReachesTheCaller) {
  struct Case {
    const char* name;
    bool main_fails, beside_fails;
    const char* raised;  // nullptr: none
  };
  const Case cases[] = {{"neither fails", false, false, nullptr},
                        {"main fails", true, false, "main"},
                        {"beside fails", false, true, "beside"},
                        {"both fail: the main one's", true, true, "main"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::atomic<int> done{0};
    const auto part = [&](bool fails, const char* name) {
      ++done;
      if (fails) throw std::runtime_error(name);
    };
    std::string raised;
    try {
      RunAlongside([&] { part(c.main_fails, "main"); }, [&] { part(c.beside_fails, "beside"); });
    } catch (const std::runtime_error& e) {
      raised = e.what();
    }
    EXPECT_EQ(done.load(), 2);  // the other part ran to its end, also after a failure
    EXPECT_EQ(raised, c.raised ? c.raised : "");
  }
}

}  // namespace
}  // namespace zelvo
