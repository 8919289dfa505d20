#pragma once
// Laying pens and brushes down on a target, shared by the shape, region and text calls.
#include "platform/gdi/internal/Raster.h"
#include "platform/gdi/internal/Target.h"

#include <optional>

namespace gdi {

// Paints the pixels of shape (device coordinates) that the clip lets through.
void paintShape(Target& t, const RegionData& shape, const Pattern& pattern, std::uint8_t rop);
std::optional<Pattern> brushPatternOf(Target& t, HBRUSH brush);
Pattern solidPattern(Target& t, Px color);

} // namespace gdi
