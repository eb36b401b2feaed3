#pragma once
// What the engine takes from the support library and the platform layer.

#include "kmBitmap.h"
#include "kmClasses3.h"
#include "kmDocUtils.h"
#include "kmErrors.h"
#include "kmGraphic.h"
#include "kmMetafile.h"
#include "kmMetafileCanvas.h"
#include "kmStreams.h"
#include "kmTypes.h"

namespace km {

// The rich-text control that DrawRichText renders from.
class TRichEdit;

}  // namespace km
