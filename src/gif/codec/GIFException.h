#pragma once
// The fixed texts of the codec's errors and warnings, and the ways it raises them (its
// exception class, GIFException, is in rtl's tree).
#include "rtl/Exception.h"

// The stream ended where more data had to follow ("Premature end of data"). A load that has
// read some frames already keeps them and only warns.
class EGIFPrematureEnd : public GIFException {
public:
    EGIFPrematureEnd();
};

[[noreturn]] void RaiseGIFError(const String& message);
// Raises EGIFPrematureEnd.
[[noreturn]] void RaisePrematureEnd();

// Every warning of the codec carries this severity.
constexpr int kGIFWarningSeverity = 1;

namespace gifmsg {
inline constexpr const char* PrematureEnd = "Premature end of data";
inline constexpr const char* InvalidSignature = "Invalid GIF signature";
inline constexpr const char* UnsupportedVersion = "Unsupported GIF version";
inline constexpr const char* UnknownBlockType = "Unknown GIF block type";
inline constexpr const char* InvalidTrailer = "Invalid Image trailer";
inline constexpr const char* ExceedsScreen = "Image exceeds Logical Screen size";
inline constexpr const char* InvalidData = "Invalid GIF data";
inline constexpr const char* InvalidExtensionIntroducer = "Invalid extension introducer";
inline constexpr const char* UnknownExtension = "Unknown extension type";
inline constexpr const char* ExtensionMismatch =
    "Internal error: Extension Instance does not match Extension Label";
inline constexpr const char* AppExtBlockSize = "Unsupported Application Extension block size";
inline constexpr const char* InvalidColorIndex = "Invalid color index";
inline constexpr const char* ColorTableOverflow = "Color table overflow";
inline constexpr const char* ColorTableEmpty = "Color table is empty";
inline constexpr const char* BitBufferUnderrun = "Decoder bit buffer under-run";
inline constexpr const char* CircularTable = "Circular decoder table entry";
inline constexpr const char* ColorNotInTable = "Color not in color table";
inline constexpr const char* InvalidStreamOperation = "Invalid stream operation";
inline constexpr const char* OutOfResources = "Out of system resources";
inline constexpr const char* UnsupportedPixelFormat = "Unsupported PixelFormat";
inline constexpr const char* InvalidDimensions = "Invalid image dimensions";
inline constexpr const char* DIBAllocFailed = "Failed to allocate memory for GIF DIB";
inline constexpr const char* NoDIB = "Image has no DIB";
inline constexpr const char* ScanLineRange = "Scan line index out of range";
inline constexpr const char* WidthTooSmall = "Image width too small for contained frames";
inline constexpr const char* HeightTooSmall = "Image height too small for contained frames";
inline constexpr const char* InvalidPixelCoordinates = "Invalid pixel coordinates";
inline constexpr const char* ImageEmpty = "Image is empty";
inline constexpr const char* ImageTooLarge = "Image is too large";
inline constexpr const char* Loading = "Loading...";
inline constexpr const char* Saving = "Saving...";
} // namespace gifmsg
