// Feeds arbitrary bytes to the CLF reader: detection, the document, its
// process nodes and their evaluation at colours in and far outside 0..1. The
// only allowed outcomes are a chain or one of our errors. (The bake of a
// chain into a table is the core's, and takes far longer than one input may.)
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "formats/clf/CLFFormat.h"
#include "formats/clf/CLFNodes.h"
#include "base/XMLNode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const zelvo::TLUTSource source("grade.clf", bytes);
  zelvo::LUTFormatOf(zelvo::TLUTFormatId::CLF).CanRead(source);
  try {
    zelvo::TXMLNode doc;
    doc.LoadFromString(bytes);
    const zelvo::TCLFChain chain = zelvo::ReadCLFChain(doc.ChildByName("ProcessList"));
    zelvo::TColor colors[] = {{0, 0, 0},        {1, 1, 1},        {0.5, 0.25, 0.75}, {-1, 2, 1e-30},
                              {1e30, -1e30, 0}, {0.001, 0.999, 1.5}};
    chain.Evaluate(colors, colors, std::size(colors));
  } catch (const zelvo::EZelvoError&) {
  }
  return 0;
}
