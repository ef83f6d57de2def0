// What every reader fuzz target does: hand the input bytes, under a file name
// whose extension some formats look at, to each reader of one family. The only
// allowed outcomes are a loaded table or one of our errors.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "registry/Registry.h"

namespace zelvo::fuzz {

inline void LoadWithEach(const std::uint8_t* data, std::size_t size, const char* name,
                         std::initializer_list<TLUTFormatId> formats) {
  const TLUTSource source(name, std::string_view(reinterpret_cast<const char*>(data), size));
  for (const TLUTFormatId id : formats) {
    TLUT lut;
    try {
      LUTFormatOf(id).Load(source, lut);
    } catch (const EZelvoError&) {
    }
  }
}

}  // namespace zelvo::fuzz
