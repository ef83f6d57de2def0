// The format families that add themselves to the registry: each family file
// defines its format classes out of sight and exposes one function that
// appends them to the list CreateFormats builds.
#pragma once

#include <memory>
#include <vector>

#include "formats/LUTFormat.h"

namespace zelvo {

using TFormatList = std::vector<std::unique_ptr<TLUTFormat>>;

// Cinespace .csp: 1D and 3D, with per-channel pre-LUTs.
void AddCinespaceFormats(TFormatList& formats);
// Sony Imageworks .spi1d, .spi3d and .spimtx.
void AddImageworksFormats(TFormatList& formats);
// Houdini .lut: 1D, 3D, and 3D with a pre-LUT.
void AddHoudiniFormats(TFormatList& formats);
// Nuke .vf vector fields (read only).
void AddNukeVectorFieldFormats(TFormatList& formats);
// Iridas .itx (write only; its files read as Cube 3D).
void AddIridasItxFormats(TFormatList& formats);
// ASC CDL collections, .ccc and .cdl (read only).
void AddCDLCollectionFormats(TFormatList& formats);

}  // namespace zelvo
