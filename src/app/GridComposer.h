#pragma once
// Capture leaves frame k (1..N) of cell c (0-based among the n x n cells in use, row-major)
// as working bitmap c x N + k; composition joins the n x n cell frames of every step k into
// one grid frame that replaces working bitmap k.
#include "app/WorkingFiles.h"
#include "framework/Bitmap.h"

#include <functional>

constexpr int CellFrameNumber(int cell, int frame, int framesPerCell) {
    return cell * framesPerCell + frame;
}

struct TCompositionHooks {
    // Before each tile (rows and columns from 1): progress text and message dispatch.
    std::function<void(int step, int row, int column)> tile;
    // After grid frame `step` has been saved; the bitmap is freed after the call.
    std::function<void(int step, TBitmap* grid)> frameDone;
};

// Cell files are read and deleted as they are used; a missing one leaves its tile white.
// Grid frames are 24-bit.
void ComposeGridFrames(const TWorkingFiles& files, int gridSize, int framesPerCell,
                       const TCompositionHooks& hooks);
