#include "app/FieldRules.h"

#include "rtl/Conversion.h"

namespace {

// A rate or percentage of 0 or less would divide by zero or turn a size negative.
int PositiveInteger(const String& text, const char* what) {
    int value = StrToInt(text);
    if (value < 1) throw EConvertError("'" + text + "' is not a valid " + what);
    return value;
}

} // namespace

bool FieldGiven(const String& text) {
    return text > " ";
}

int OutputFrameDelay(const String& rateText) {
    if (!FieldGiven(rateText)) return 33;
    return 100 / PositiveInteger(rateText, "frame rate");
}

int ZoomPercent(const String& zoomText) {
    if (!FieldGiven(zoomText) || zoomText == "100") return 100;
    return PositiveInteger(zoomText, "zoom");
}

int ZoomedSide(int side, int zoom) {
    long long zoomed = static_cast<long long>(side) * zoom / 100;
    return zoomed < 1 ? 1 : static_cast<int>(zoomed);
}

double CaptureStep(const String& rateText) {
    if (!FieldGiven(rateText)) return 0.33;
    return 1.0 / PositiveInteger(rateText, "frame rate");
}

int CaptureFrames(const String& framesText) {
    if (!FieldGiven(framesText)) return 5;
    return StrToInt(framesText);
}

String TotalCaptureText(const String& rateText, const String& framesText) {
    double fps = FieldGiven(rateText) ? StrToFloat(rateText) : 3.0;
    double frames = FieldGiven(framesText) ? StrToFloat(framesText) : 5.0;
    return "Total Capture:" + FloatToStrF(frames / fps, ffFixed, 5, 2) + "s";
}
