#pragma once
// What a GIF build is made of: the output fields and, for every frame it takes, the working
// bitmap's number and state on disk with the switches read for it. A build from equal inputs
// gives an equal GIF, so one just made can stand for the next.
#include "rtl/Types.h"

#include <vector>

struct TGifBuildInputs {
    struct Frame {
        int number = 0;
        bool colors256 = false;
        bool floydSteinberg = false;
        bool transparency = false;
        Int64 size = -1;   // -1: no such file
        Int64 written = 0; // the file's last write, in the file system's own ticks
        bool operator==(const Frame&) const = default;
    };
    int delay = 0;
    int zoom = 0;
    std::vector<Frame> frames;

    // The frame the build takes from working bitmap `number`, with the switches it reads.
    void AddFrame(const String& fileName, int number, bool colors256, bool floydSteinberg,
                  bool transparency);
    bool operator==(const TGifBuildInputs&) const = default;
};
