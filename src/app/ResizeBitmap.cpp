#include "app/ResizeBitmap.h"

#include "framework/Bitmap.h"
#include "platform/gdi/Gdi.h"

void ResizeBitmap(TBitmap* bitmap, int width, int height) {
    if (width <= 0 || height <= 0) {
        bitmap->SetSize(0, 0);
        return;
    }
    ObjectPtr<TBitmap> copy(CreateObject<TBitmap>());
    copy->SetPixelFormat(bitmap->PixelFormat());
    if (HPALETTE palette = bitmap->Palette()) copy->SetPalette(CopyPalette(palette));
    copy->SetSize(width, height);
    if (!bitmap->Empty()) {
        HDC sourceDC = CreateCompatibleDC(0);
        HDC destDC = CreateCompatibleDC(0);
        HGDIOBJ oldSource = SelectObject(sourceDC, bitmap->Handle());
        HGDIOBJ oldDest = SelectObject(destDC, copy->Handle());
        SetStretchBltMode(destDC, HALFTONE);
        StretchBlt(destDC, 0, 0, width, height, sourceDC, 0, 0, bitmap->Width(), bitmap->Height(),
                   SRCCOPY);
        SelectObject(destDC, oldDest);
        SelectObject(sourceDC, oldSource);
        DeleteDC(destDC);
        DeleteDC(sourceDC);
    }
    bitmap->Assign(copy.get());
}
