#pragma once
// How the main window reads its number fields: a field counts as given when its text sorts
// after a single blank; fields that are not given take fixed fallbacks.
#include "rtl/Types.h"

bool FieldGiven(const String& text);

// Hundredths of a second per output frame: 100 div the output rate, 33 without one. Raises
// EConvertError for a text that is no integer or a rate below 1.
int OutputFrameDelay(const String& rateText);
// The zoom in percent, or 100 when the field is not given or reads exactly "100". Raises
// EConvertError for a text that is no integer or a zoom below 1.
int ZoomPercent(const String& zoomText);
// A zoomed side: side x zoom div 100, at least 1 so a frame never vanishes.
int ZoomedSide(int side, int zoom);
// Seconds between captured frames: 1 / the capture rate, 0.33 without one. Raises
// EConvertError for a text that is no integer or a rate below 1.
double CaptureStep(const String& rateText);
// Frames per cell: the field as an integer, 5 without one. Raises EConvertError for a text
// that is no integer.
int CaptureFrames(const String& framesText);
// "Total Capture:6.67s" for the capture-rate and frames fields.
String TotalCaptureText(const String& rateText, const String& framesText);
