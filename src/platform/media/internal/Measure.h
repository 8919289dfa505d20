#pragma once
// The opening's measurements of a movie (Measure.cpp).
#include "platform/media/internal/Session.h"

namespace media::detail {

// Fills the session's movie description: streams, size, rate, where position 0 lies in the
// decoder's times, the length to the end of the last picture and the number of pictures.
// Leaves the file at its start.
void MeasureMovie(Session& s);
// Back to the very start of the file, so the next packet read is the first.
void RewindToStart(Session& s);

} // namespace media::detail
