#include "app/GridComposer.h"

#include "rtl/Files.h"

void ComposeGridFrames(const TWorkingFiles& files, int n, int framesPerCell,
                       const TCompositionHooks& hooks) {
    for (int step = 1; step <= framesPerCell; ++step) {
        ObjectPtr<TBitmap> grid(CreateObject<TBitmap>());
        grid->SetPixelFormat(pf24bit);
        for (int row = 1; row <= n; ++row)
            for (int column = 1; column <= n; ++column) {
                if (hooks.tile) hooks.tile(step, row, column);
                int number = step + ((row - 1) * n + column - 1) * framesPerCell;
                String name = files.FileName(number);
                if (!FileExists(name)) continue;
                ObjectPtr<TBitmap> cell(CreateObject<TBitmap>());
                cell->LoadFromFile(name);
                DeleteFile(name);
                const int w = cell->Width(), h = cell->Height();
                // An empty cell frame (a failed grab) leaves its tile as it is.
                if (w <= 0 || h <= 0) continue;
                grid->SetSize(w * n, h * n);
                grid->Canvas()->CopyRect(Rect(w * (column - 1), h * (row - 1), w * column, h * row),
                                         cell->Canvas(), Rect(0, 0, w, h));
            }
        grid->SaveToFile(files.FileName(step));
        if (hooks.frameDone) hooks.frameDone(step, grid.get());
    }
}
