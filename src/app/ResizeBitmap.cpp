#include "app/ResizeBitmap.h"

#include "framework/Bitmap.h"
#include "platform/gdi/Gdi.h"

void ResizeBitmap(TBitmap* bitmap, int width, int height) {
    ResizeBitmap(bitmap, bitmap, width, height);
}

void ResizeBitmap(TBitmap* target, TBitmap* source, int width, int height) {
    if (width <= 0 || height <= 0) {
        if (target != source) target->Assign(source);
        target->SetSize(0, 0);
        return;
    }
    target->Assign(ResizedCopy(source, width, height).get());
}

ObjectPtr<TBitmap> ResizedCopy(TBitmap* source, int width, int height) {
    ObjectPtr<TBitmap> copy(CreateObject<TBitmap>());
    if (width <= 0 || height <= 0) {
        copy->Assign(source);
        copy->SetSize(0, 0);
        return copy;
    }
    copy->SetPixelFormat(source->PixelFormat());
    if (HPALETTE palette = source->Palette()) copy->SetPalette(CopyPalette(palette));
    copy->SetSize(width, height);
    if (!source->Empty()) {
        HDC sourceDC = CreateCompatibleDC(0);
        HDC destDC = CreateCompatibleDC(0);
        HGDIOBJ oldSource = SelectObject(sourceDC, source->Handle());
        HGDIOBJ oldDest = SelectObject(destDC, copy->Handle());
        SetStretchBltMode(destDC, HALFTONE);
        StretchBlt(destDC, 0, 0, width, height, sourceDC, 0, 0, source->Width(), source->Height(),
                   SRCCOPY);
        SelectObject(destDC, oldDest);
        SelectObject(sourceDC, oldSource);
        DeleteDC(destDC);
        DeleteDC(sourceDC);
    }
    return copy;
}
