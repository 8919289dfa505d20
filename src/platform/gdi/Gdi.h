#pragma once
// The whole drawing surface of the platform in one include.
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Blit.h"
#include "platform/gdi/Dc.h"
#include "platform/gdi/Draw.h"
#include "platform/gdi/Font.h"
#include "platform/gdi/Object.h"
#include "platform/gdi/Palette.h"
#include "platform/gdi/Rect.h"
#include "platform/gdi/Region.h"
#include "platform/gdi/SysColor.h"
