// The movies of the media tests (frame number drawn in every picture), shared here.
#include "platform/media/Fixtures.cpp"
