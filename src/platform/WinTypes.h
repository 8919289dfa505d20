#pragma once
// The basic types of the platform calls. Handles are opaque numbers looked up in tables
// with generation counters (never object pointers), so a stale handle is recognised.
#include <cstdint>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using INT = int;
using UINT = unsigned int;
using SHORT = std::int16_t;
using USHORT = std::uint16_t;
using BOOL = int;
using WCHAR = char16_t;
using LPSTR = char*;
using LPCSTR = const char*;
using LPVOID = void*;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using LONG_PTR = std::intptr_t;
using HRESULT = std::int32_t;
using COLORREF = DWORD; // 0x00BBGGRR

// Result codes. Negative values are failures.
constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFFu);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
// Results of property access by dispatch id.
constexpr HRESULT DISP_E_MEMBERNOTFOUND = static_cast<HRESULT>(0x80020003u);
constexpr HRESULT DISP_E_TYPEMISMATCH = static_cast<HRESULT>(0x80020005u);
constexpr HRESULT DISP_E_OVERFLOW = static_cast<HRESULT>(0x8002000Au);

constexpr bool SUCCEEDED(HRESULT hr) {
    return hr >= 0;
}
constexpr bool FAILED(HRESULT hr) {
    return hr < 0;
}

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

using HANDLE = std::uintptr_t;
using HWND = HANDLE;
using HDC = HANDLE;
using HGDIOBJ = HANDLE;
using HBITMAP = HANDLE;
using HPALETTE = HANDLE;
using HBRUSH = HANDLE;
using HPEN = HANDLE;
using HFONT = HANDLE;
using HRGN = HANDLE;
using HICON = HANDLE;
using HCURSOR = HANDLE;
using HMENU = HANDLE;
using HINSTANCE = HANDLE;
using HMODULE = HANDLE;
using HGLOBAL = HANDLE;

constexpr WORD LOWORD(std::uintptr_t v) {
    return static_cast<WORD>(v & 0xFFFF);
}
constexpr WORD HIWORD(std::uintptr_t v) {
    return static_cast<WORD>((v >> 16) & 0xFFFF);
}
constexpr LONG MAKELONG(WORD lo, WORD hi) {
    return static_cast<LONG>(static_cast<DWORD>(lo) | (static_cast<DWORD>(hi) << 16));
}
constexpr LPARAM MAKELPARAM(WORD lo, WORD hi) {
    return static_cast<LPARAM>(MAKELONG(lo, hi));
}
constexpr WPARAM MAKEWPARAM(WORD lo, WORD hi) {
    return static_cast<WPARAM>(static_cast<DWORD>(MAKELONG(lo, hi)));
}
// Signed coordinates packed in an LPARAM.
constexpr int GET_X_LPARAM(LPARAM v) {
    return static_cast<SHORT>(LOWORD(static_cast<std::uintptr_t>(v)));
}
constexpr int GET_Y_LPARAM(LPARAM v) {
    return static_cast<SHORT>(HIWORD(static_cast<std::uintptr_t>(v)));
}

constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
    return r | (g << 8) | (static_cast<DWORD>(b) << 16);
}
constexpr BYTE GetRValue(COLORREF c) {
    return static_cast<BYTE>(c);
}
constexpr BYTE GetGValue(COLORREF c) {
    return static_cast<BYTE>(c >> 8);
}
constexpr BYTE GetBValue(COLORREF c) {
    return static_cast<BYTE>(c >> 16);
}

struct POINT {
    LONG x = 0;
    LONG y = 0;
    friend bool operator==(const POINT&, const POINT&) = default;
};

struct SIZE {
    LONG cx = 0;
    LONG cy = 0;
    friend bool operator==(const SIZE&, const SIZE&) = default;
};

// Right and bottom are exclusive.
struct RECT {
    LONG left = 0;
    LONG top = 0;
    LONG right = 0;
    LONG bottom = 0;
    friend bool operator==(const RECT&, const RECT&) = default;
};

#pragma pack(push, 1)
struct RGBQUAD {
    BYTE rgbBlue = 0;
    BYTE rgbGreen = 0;
    BYTE rgbRed = 0;
    BYTE rgbReserved = 0;
};

struct RGBTRIPLE {
    BYTE rgbtBlue = 0;
    BYTE rgbtGreen = 0;
    BYTE rgbtRed = 0;
};

struct PALETTEENTRY {
    BYTE peRed = 0;
    BYTE peGreen = 0;
    BYTE peBlue = 0;
    BYTE peFlags = 0;
};

// A palette of palNumEntries entries follows the header in memory.
struct LOGPALETTE {
    WORD palVersion = 0x300;
    WORD palNumEntries = 0;
    PALETTEENTRY palPalEntry[1];
};

struct BITMAPFILEHEADER {
    WORD bfType = 0x4D42; // "BM"
    DWORD bfSize = 0;
    WORD bfReserved1 = 0;
    WORD bfReserved2 = 0;
    DWORD bfOffBits = 0;
};

struct BITMAPINFOHEADER {
    DWORD biSize = 40;
    LONG biWidth = 0;
    LONG biHeight = 0; // negative: rows run top-down
    WORD biPlanes = 1;
    WORD biBitCount = 0;
    DWORD biCompression = 0;
    DWORD biSizeImage = 0;
    LONG biXPelsPerMeter = 0;
    LONG biYPelsPerMeter = 0;
    DWORD biClrUsed = 0;
    DWORD biClrImportant = 0;
};

// The colour table (or three bit-field masks) follows the header in memory.
struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};
#pragma pack(pop)

static_assert(sizeof(BITMAPFILEHEADER) == 14);
static_assert(sizeof(BITMAPINFOHEADER) == 40);

constexpr DWORD BI_RGB = 0;
constexpr DWORD BI_RLE8 = 1;
constexpr DWORD BI_RLE4 = 2;
constexpr DWORD BI_BITFIELDS = 3;

// Pointer-sized unsigned values and registered-class atoms.
using DWORD_PTR = std::uintptr_t;
using ATOM = WORD;
