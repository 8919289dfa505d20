#pragma once
// Writes grid frames as one uncompressed AVI video stream ("vids", handler 0), every frame
// a key frame at its list position, playing at 90 / scale frames per second.
#include "framework/Bitmap.h"

#include <functional>

struct TAviSaveSettings {
    bool eightBit = true; // 8 bits with a colour table, else 24 bits
    int scale = 33;       // the stream's dwScale; dwRate is 90
    int zoom = 100;       // percent
};

// What the saver asks of the frame list: how many items, whether one is left out, and
// loading item i's picture into a bitmap (the caller also shows it and dispatches messages).
struct TAviFrameSource {
    std::function<int()> count;
    std::function<bool(int index)> skipped;
    std::function<void(int index, TBitmap* bitmap)> load;
    // Before each listed frame is loaded (optional).
    std::function<void(int index, int count)> progress;
};

constexpr DWORD kAviRate = 90;

// Raises Exception with "Failed to create AVI file", "Failed to retrieve bitmap info",
// "Failed to create AVI stream", "Failed to set AVI stream format" or "Failed to add frame
// to AVI", the file failures followed by the system's reason ("Failed to add frame to AVI:
// No space left on device"); every acquired resource is released on the way out. A file of
// that name is replaced only once the new one is complete, and kept as it was otherwise.
void SaveGridAvi(const String& fileName, const TAviSaveSettings& settings,
                 const TAviFrameSource& source);
