#pragma once
// The cell model of the main window: sixteen cells in a 4 x 4 grid, indexed row-major
// (row x 4 + column, both from 0); a grid of size n uses the top-left n x n. Also the texts
// derived from cell positions: the start-time label and the cell-position file.
#include "rtl/Types.h"

#include <array>

constexpr int kCellRows = 4;
constexpr int kCellCount = kCellRows * kCellRows;
constexpr int kMinGrid = 2;
constexpr int kMaxGrid = 4;

using TCellPositions = std::array<double, kCellCount>;

constexpr int CellIndex(int row, int column) {
    return row * kCellRows + column;
}

// "12.50s": the start-time label of a cell.
String CellLabelText(double position);

// The whole content of the cell-position file: "<Maxstep>n</Maxstep>" followed by the
// sixteen positions as "<P11>..</P11>" to "<P44>..</P44>". P11 holds the whole seconds
// only, the others the general number format.
String CellPositionText(int gridSize, const TCellPositions& positions);

// The cell-position file beside a video: its name with the extension changed to ".ini".
String CellPositionFileName(const String& videoFileName);

// Writes text as the whole content of a file (created or truncated); EInOutError on failure.
void WriteTextFile(const String& text, const String& fileName);
