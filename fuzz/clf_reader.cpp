// Feeds arbitrary bytes to the CLF reader: the document, its process nodes,
// their evaluation and the bake of a chain. The only allowed outcomes are a
// loaded table or one of our errors.
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  zelvo::fuzz::LoadWithEach(data, size, "grade.clf", {zelvo::TLUTFormatId::CLF});
  return 0;
}
