#pragma once
// Where the decoder and the encoders send their warnings (the frame routes them to its image).
#include "rtl/Types.h"

#include <functional>

using GIFWarningSink = std::function<void(const String& message)>;
