// Finding and loading the picture module (image/PictureCodec.h) once, when the
// first picture that needs it is met.
#pragma once

#include "image/PictureCodec.h"

namespace zelvo {

// The module's codec. Raises EZelvoError, naming the places looked at and the
// system's reason, when the module cannot be loaded; later calls raise the
// same error without trying again.
const ZelvoPictureCodec& PictureCodec();

}  // namespace zelvo
