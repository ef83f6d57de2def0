// Helpers of the tests that read and write files through the formats.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "TestLUTs.h"
#include "registry/Registry.h"

namespace zelvo {

// Test messages show a format identity as its number and the format's name.
void PrintTo(TLUTFormatId id, std::ostream* os);

}  // namespace zelvo

namespace zelvo::test {

// One format's reader and writer on a file, without detection: the file is
// read whole and handed to the format; the text the format writes goes to the
// file, titled after its name.
TLoadInfo LoadWith(TLUTFormatId format, const std::string& file_name, TLUT& lut);
void SaveWith(TLUTFormatId format, const std::string& file_name, const TLUT& lut, int bits);
// Loads text from memory under a name whose extension may matter, with the
// detected format or the given one.
TLoadInfo LoadText(std::string_view text, TLUT& lut, TLUTFormatId format = TLUTFormatId::None,
                   const std::string& name = "memory.lut");

// What the user reads when the text, loaded under `name`, is refused: the
// format, the message and the line ("read as 3DL: .. (line 2)."); "" when it
// loads.
std::string LoadError(std::string_view text, const std::string& name);

// The output profile with this caption; fails the test when there is none.
const TLutOutputProfile& Profile(std::string_view caption);

}  // namespace zelvo::test
