#pragma once
// A frame of a TGIFGraphic with everything it does: its data and stream part, import from
// pictures, rendering, drawing and the pixel work of frame optimisation. The class is
// declared in GIFSubImage.h; this header is what code outside the codec includes.
#include "gif/GIFGraphic.h"
#include "gif/GIFSubImage.h"
