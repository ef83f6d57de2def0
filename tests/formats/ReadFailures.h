// Tables of malformed texts for the readers: each text is loaded from memory
// through one format, and the error must be the one the user would see, with
// the format, the message and the line ("read as Quantel 1D: Too many rows
// (the file declares 2; line 5)").
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestFormats.h"
#include "base/Errors.h"

namespace zelvo::test {

struct TMalformed {
  const char* what;
  TLUTFormatId format;
  std::string text;
  std::string error;  // Described(), without the format's name
};

// The error a load from memory ends with as the user sees it, or "loaded".
inline std::string DescribedLoadError(const TMalformed& c, const std::string& name = "memory.lut") {
  try {
    TLUT lut;
    LoadText(c.text, lut, c.format, name);
  } catch (const EZelvoError& e) {
    return e.Described();
  }
  return "loaded";
}

inline void ExpectLoadErrors(const std::vector<TMalformed>& cases, const std::string& name = "memory.lut") {
  for (const TMalformed& c : cases) {
    EXPECT_EQ(DescribedLoadError(c, name), "read as " + LUTFormatOf(c.format).Name + ": " + c.error) << c.what;
  }
}

}  // namespace zelvo::test
