// The format families. Each family file keeps its format classes to itself
// and adds one object of each to the registry's list through its function
// here; the registry (registry/FormatRegistry.cpp) decides the order in which
// they are asked to recognise a file.
#pragma once

#include <memory>
#include <vector>

#include "formats/LUTFormat.h"

namespace zelvo {

using TFormatList = std::vector<std::unique_ptr<TLUTFormat>>;

// Cube 3D, Cube 3D Truelight, Nucoda 3D, Cube 1D, Nucoda 1D (write only).
void AddCubeFormats(TFormatList& formats);
// 3DL, Autodesk Lustre 3D (3DMESH), Colorfront OSD 3D.
void AddMeshFormats(TFormatList& formats);
// Pandora 3D, Luther 3D, Codex 3D, Quantel 3D, Davinci DAT 3D.
void AddKeywordHeader3DFormats(TFormatList& formats);
// Codex 1D, Autodesk Lustre 1D, Filmlight Truelight 1D, Quantel 1D, Fusion 1D.
void AddHeader1DFormats(TFormatList& formats);
// Colorfront OSD 1D, Blackmagic HDLink 1D, Cine-tal 1D and Shake 1D (write
// only), DaVinci Resolve ilut 1D and olut 1D (read only).
void AddPlainRow1DFormats(TFormatList& formats);
// S.two 1D, PixelFarm PFClean 3D, Adobe Speedgrade Look 3D (read only).
void AddXMLFormats(TFormatList& formats);
// Clipster 3D.
void AddClipsterFormats(TFormatList& formats);
// ASC CDL (read only).
void AddCDLFormats(TFormatList& formats);
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
