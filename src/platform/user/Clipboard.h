#pragma once
// The clipboard, kept in this process, and the movable global memory blocks it carries.
// Handles are numbers from a table with generation counters, so a freed block is recognised.
#include "platform/WinTypes.h"

#include <cstddef>

using SIZE_T = std::size_t;

constexpr UINT GMEM_FIXED = 0x0000;
constexpr UINT GMEM_MOVEABLE = 0x0002;
constexpr UINT GMEM_ZEROINIT = 0x0040;
constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;
constexpr UINT GPTR = GMEM_FIXED | GMEM_ZEROINIT;

// 0 when the block cannot be had. The memory of a block stays where it is while the block
// lives, locked or not; a zero-byte block is allowed and locks to a non-null pointer.
HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
// nullptr for a stale handle; every lock counts and wants its unlock.
LPVOID GlobalLock(HGLOBAL mem);
// TRUE while the block is still locked after this call, FALSE when it is now unlocked (or the
// handle is stale).
BOOL GlobalUnlock(HGLOBAL mem);
// 0 for a stale handle.
SIZE_T GlobalSize(HGLOBAL mem);
// 0 on success, the handle itself when it was stale.
HGLOBAL GlobalFree(HGLOBAL mem);

constexpr UINT CF_TEXT = 1;
constexpr UINT CF_BITMAP = 2;
constexpr UINT CF_METAFILEPICT = 3;
constexpr UINT CF_DIB = 8;
constexpr UINT CF_PALETTE = 9;
constexpr UINT CF_UNICODETEXT = 13;
constexpr UINT CF_ENHMETAFILE = 14;

// The same name (compared case-insensitively) always gives the same number, from 0xC000 up;
// 0 for an empty name.
UINT RegisterClipboardFormatA(LPCSTR name);
inline UINT RegisterClipboardFormat(LPCSTR name) {
    return RegisterClipboardFormatA(name);
}
// Copies the registered name of format (at most size - 1 characters and a terminating zero);
// returns the characters copied, 0 for a format that is not registered.
int GetClipboardFormatNameA(UINT format, LPSTR name, int size);

// One opener at a time: FALSE while it is open.
BOOL OpenClipboard(HWND owner);
BOOL CloseClipboard();
// Frees whatever the clipboard holds (global blocks, bitmaps, palettes); needs it open.
BOOL EmptyClipboard();
// The clipboard takes the handle over (a global block for memory formats, an HBITMAP for
// CF_BITMAP, an HPALETTE for CF_PALETTE) and frees it when emptied or replaced. Needs the
// clipboard open; returns data, or 0 on failure (the caller keeps the handle then).
HANDLE SetClipboardData(UINT format, HANDLE data);
// The handle held for format (still the clipboard's), or 0; needs the clipboard open.
HANDLE GetClipboardData(UINT format);
BOOL IsClipboardFormatAvailable(UINT format);
int CountClipboardFormats();
// The formats in the order they were set: 0 gives the first, a format gives the next, 0 ends.
UINT EnumClipboardFormats(UINT format);
HWND GetClipboardOwner();
