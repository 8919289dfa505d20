#include "platform/user/Icon.h"

#include "platform/gdi/Gdi.h"
#include "platform/user/Metrics.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace {

// An icon's pixels as the calls need them: the image in 0xAARRGGBB, the AND mask one byte a
// pixel (1: see-through). A monochrome icon keeps its XOR half as an all-black or all-white
// image, exactly what drawing the XOR half does.
struct IconData {
    int width = 0;
    int height = 0;
    bool icon = true;
    DWORD hotX = 0, hotY = 0;
    bool monochrome = false;
    std::vector<DWORD> image;
    std::vector<BYTE> mask;
};

// A handle is a slot index with a tag in the low half and the slot's generation in the high
// half, so a destroyed icon's handle finds nothing and never looks like a window or GDI one.
constexpr std::uint64_t kIconTag = 0xC0000000ull;
constexpr std::uint64_t kIndexMask = 0x0FFFFFFFull;

struct Slot {
    std::uint32_t generation = 1;
    std::shared_ptr<const IconData> data;
};

struct Table {
    std::mutex mutex;
    std::vector<Slot> slots;
    std::vector<std::uint32_t> free;
};

Table& table() {
    static Table* t = new Table; // outlives late destructions at exit
    return *t;
}

HICON addIcon(std::shared_ptr<const IconData> data) {
    Table& t = table();
    std::lock_guard lock(t.mutex);
    std::uint32_t index;
    if (!t.free.empty()) {
        index = t.free.back();
        t.free.pop_back();
    } else {
        if (t.slots.size() >= kIndexMask) return 0;
        index = static_cast<std::uint32_t>(t.slots.size());
        t.slots.emplace_back();
    }
    Slot& s = t.slots[index];
    s.data = std::move(data);
    return (static_cast<std::uint64_t>(s.generation) << 32) | kIconTag | index;
}

bool decode(HICON icon, std::uint32_t& index, std::uint32_t& generation) {
    std::uint64_t v = icon;
    if ((v & 0xF0000000ull) != kIconTag) return false;
    index = static_cast<std::uint32_t>(v & kIndexMask);
    generation = static_cast<std::uint32_t>(v >> 32);
    return true;
}

std::shared_ptr<const IconData> findIcon(HICON icon) {
    std::uint32_t index = 0, generation = 0;
    if (!decode(icon, index, generation)) return nullptr;
    Table& t = table();
    std::lock_guard lock(t.mutex);
    if (index >= t.slots.size() || t.slots[index].generation != generation) return nullptr;
    return t.slots[index].data;
}

bool removeIcon(HICON icon) {
    std::uint32_t index = 0, generation = 0;
    if (!decode(icon, index, generation)) return false;
    std::shared_ptr<const IconData> dropped;
    Table& t = table();
    std::lock_guard lock(t.mutex);
    if (index >= t.slots.size()) return false;
    Slot& s = t.slots[index];
    if (s.generation != generation || !s.data) return false;
    dropped = std::move(s.data);
    s.generation = s.generation == 0x7FFFFFFF ? 1 : s.generation + 1;
    t.free.push_back(index);
    return true;
}

// The bitmap's pixels as 32-bit top-down rows (monochrome: 0 black, 0xFFFFFF white).
bool readPixels(HBITMAP bitmap, int& width, int& height, std::vector<DWORD>& out) {
    BITMAP bm;
    if (!bitmap || GetObject(bitmap, sizeof(bm), &bm) == 0) return false;
    if (bm.bmWidth <= 0 || bm.bmHeight <= 0) return false;
    width = bm.bmWidth;
    height = bm.bmHeight;
    out.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    BITMAPINFO info{};
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC dc = CreateCompatibleDC(0);
    int lines =
        GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), out.data(), &info, DIB_RGB_COLORS);
    DeleteDC(dc);
    return lines == height;
}

// A monochrome bitmap of the mask rows (mask 1 -> bit 1), rows padded to 2 bytes.
HBITMAP makeMaskBitmap(const std::vector<BYTE>& mask, int width, int height) {
    const int rowBytes = ((width + 15) / 16) * 2;
    std::vector<BYTE> bits(static_cast<size_t>(rowBytes) * static_cast<size_t>(height), 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (mask[static_cast<size_t>(y) * width + x])
                bits[static_cast<size_t>(y) * rowBytes + x / 8] |= BYTE(0x80 >> (x % 8));
    return CreateBitmap(width, height, 1, 1, bits.data());
}

// The image as a 32-bit bitmap; the alpha byte stays in the pixels.
HBITMAP makeImageBitmap(const IconData& d) {
    return CreateBitmap(d.width, d.height, 1, 32, d.image.data());
}

} // namespace

HICON CreateIconIndirect(const ICONINFO* info) {
    if (!info || !info->hbmMask) return 0;
    int mw = 0, mh = 0;
    std::vector<DWORD> maskPixels;
    if (!readPixels(info->hbmMask, mw, mh, maskPixels)) return 0;
    auto d = std::make_shared<IconData>();
    d->icon = info->fIcon != FALSE;
    d->hotX = info->xHotspot;
    d->hotY = info->yHotspot;
    auto white = [](DWORD p) { return (p & 0xFFFFFF) != 0; };
    if (info->hbmColor) {
        int cw = 0, ch = 0;
        if (!readPixels(info->hbmColor, cw, ch, d->image)) return 0;
        if (cw != mw || ch != mh) return 0;
        d->width = cw;
        d->height = ch;
        d->mask.resize(maskPixels.size());
        for (size_t i = 0; i < maskPixels.size(); ++i)
            d->mask[i] = white(maskPixels[i]) ? 1 : 0;
    } else {
        // The AND half on top, the XOR half below.
        if (mh < 2 || mh % 2 != 0) return 0;
        d->monochrome = true;
        d->width = mw;
        d->height = mh / 2;
        const size_t half = static_cast<size_t>(mw) * static_cast<size_t>(d->height);
        d->mask.resize(half);
        d->image.resize(half);
        for (size_t i = 0; i < half; ++i) {
            d->mask[i] = white(maskPixels[i]) ? 1 : 0;
            d->image[i] = white(maskPixels[half + i]) ? 0x00FFFFFF : 0;
        }
    }
    return addIcon(std::move(d));
}

BOOL GetIconInfo(HICON icon, ICONINFO* info) {
    auto d = findIcon(icon);
    if (!d || !info) return FALSE;
    info->fIcon = d->icon ? TRUE : FALSE;
    info->xHotspot = d->icon ? static_cast<DWORD>(d->width / 2) : d->hotX;
    info->yHotspot = d->icon ? static_cast<DWORD>(d->height / 2) : d->hotY;
    if (d->monochrome) {
        std::vector<BYTE> both(d->mask);
        for (DWORD p : d->image)
            both.push_back((p & 0xFFFFFF) ? 1 : 0);
        info->hbmMask = makeMaskBitmap(both, d->width, d->height * 2);
        info->hbmColor = 0;
        return info->hbmMask ? TRUE : FALSE;
    }
    info->hbmMask = makeMaskBitmap(d->mask, d->width, d->height);
    info->hbmColor = makeImageBitmap(*d);
    if (!info->hbmMask || !info->hbmColor) {
        if (info->hbmMask) DeleteObject(info->hbmMask);
        if (info->hbmColor) DeleteObject(info->hbmColor);
        info->hbmMask = info->hbmColor = 0;
        return FALSE;
    }
    return TRUE;
}

HICON CopyIcon(HICON icon) {
    auto d = findIcon(icon);
    if (!d) return 0;
    return addIcon(d); // the pixels never change, so the copy may share them
}

BOOL DestroyIcon(HICON icon) {
    return removeIcon(icon) ? TRUE : FALSE;
}

BOOL DrawIconEx(HDC dc, int x, int y, HICON icon, int cx, int cy, UINT step, HBRUSH flicker,
                UINT flags) {
    (void)step;
    auto d = findIcon(icon);
    if (!d || !dc) return FALSE;
    if ((flags & DI_NORMAL) == 0) flags |= DI_NORMAL;
    if (cx == 0) cx = (flags & DI_DEFAULTSIZE) ? GetSystemMetrics(SM_CXICON) : d->width;
    if (cy == 0) cy = (flags & DI_DEFAULTSIZE) ? GetSystemMetrics(SM_CYICON) : d->height;
    if (cx <= 0 || cy <= 0) return FALSE;

    HBITMAP mask = makeMaskBitmap(d->mask, d->width, d->height);
    HBITMAP image = makeImageBitmap(*d);
    HDC src = CreateCompatibleDC(dc);
    if (!mask || !image || !src) {
        if (mask) DeleteObject(mask);
        if (image) DeleteObject(image);
        if (src) DeleteDC(src);
        return FALSE;
    }
    // With a flicker brush the icon is put together off-screen and copied once.
    HDC target = dc;
    int tx = x, ty = y;
    HDC work = 0;
    HBITMAP workBitmap = 0;
    HGDIOBJ workOld = 0;
    if (flicker) {
        work = CreateCompatibleDC(dc);
        workBitmap = CreateBitmap(cx, cy, 1, 32, nullptr);
        workOld = SelectObject(work, workBitmap);
        RECT all{0, 0, cx, cy};
        FillRect(work, &all, flicker);
        target = work;
        tx = ty = 0;
    }
    const COLORREF oldText = SetTextColor(target, RGB(0, 0, 0));
    const COLORREF oldBk = SetBkColor(target, RGB(255, 255, 255));
    const int oldMode = SetStretchBltMode(target, COLORONCOLOR);
    HGDIOBJ old = SelectObject(src, mask);
    const bool both = (flags & DI_NORMAL) == DI_NORMAL;
    if (flags & DI_MASK)
        StretchBlt(target, tx, ty, cx, cy, src, 0, 0, d->width, d->height, both ? SRCAND : SRCCOPY);
    if (flags & DI_IMAGE) {
        SelectObject(src, image);
        StretchBlt(target, tx, ty, cx, cy, src, 0, 0, d->width, d->height,
                   both ? SRCINVERT : SRCCOPY);
    }
    SelectObject(src, old);
    SetStretchBltMode(target, oldMode);
    SetBkColor(target, oldBk);
    SetTextColor(target, oldText);
    if (work) {
        BitBlt(dc, x, y, cx, cy, work, 0, 0, SRCCOPY);
        SelectObject(work, workOld);
        DeleteObject(workBitmap);
        DeleteDC(work);
    }
    DeleteDC(src);
    DeleteObject(mask);
    DeleteObject(image);
    return TRUE;
}

BOOL DrawIcon(HDC dc, int x, int y, HICON icon) {
    return DrawIconEx(dc, x, y, icon, 0, 0, 0, 0, DI_NORMAL | DI_DEFAULTSIZE);
}

BOOL GetIconPixels(HICON icon, int* width, int* height, std::vector<DWORD>* argb) {
    auto d = findIcon(icon);
    if (!d || !width || !height || !argb) return FALSE;
    *width = d->width;
    *height = d->height;
    bool anyAlpha = false;
    for (DWORD p : d->image)
        if (p >> 24) {
            anyAlpha = true;
            break;
        }
    argb->resize(d->image.size());
    for (size_t i = 0; i < d->image.size(); ++i) {
        const DWORD rgb = d->image[i] & 0xFFFFFF;
        DWORD alpha = anyAlpha ? (d->image[i] >> 24) : 0xFF;
        if (d->mask[i]) alpha = 0;
        (*argb)[i] = (alpha << 24) | rgb;
    }
    return TRUE;
}
