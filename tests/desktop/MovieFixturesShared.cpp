// The movies of the media tests, shared here.
#include "platform/media/Fixtures.cpp"
