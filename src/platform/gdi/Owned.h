#pragma once
// Owning types for the GDI pairs: an object that is deleted, a memory device context, a
// window's context released, an object or palette selected into a context and put back, a
// saved context restored. Each
// undoes its pair on every path out of the scope, an exception included. None of them checks
// for failure: a handle of 0 is held and undone as nothing, as the calls report it.
#include "platform/gdi/Dc.h"
#include "platform/gdi/Object.h"
#include "platform/gdi/Palette.h"

#include <utility>

namespace gdi {

// A pen, brush, font, bitmap, palette or region that is deleted with its owner. Deleting a
// stock object does nothing, so a stock handle may be held as well.
class UniqueObject {
public:
    UniqueObject() = default;
    explicit UniqueObject(HGDIOBJ handle) : handle_(handle) {}
    ~UniqueObject() { reset(); }
    UniqueObject(UniqueObject&& other) noexcept : handle_(other.release()) {}
    UniqueObject& operator=(UniqueObject&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueObject(const UniqueObject&) = delete;
    UniqueObject& operator=(const UniqueObject&) = delete;

    HGDIOBJ get() const { return handle_; }
    explicit operator bool() const { return handle_ != 0; }
    // Gives the handle up without deleting it.
    HGDIOBJ release() { return std::exchange(handle_, HGDIOBJ(0)); }
    void reset(HGDIOBJ handle = 0) {
        if (handle_ && handle_ != handle) DeleteObject(handle_);
        handle_ = handle;
    }

private:
    HGDIOBJ handle_ = 0;
};

// A memory device context (CreateCompatibleDC), deleted with its owner.
class MemoryDC {
public:
    explicit MemoryDC(HDC reference = 0) : dc_(CreateCompatibleDC(reference)) {}
    ~MemoryDC() {
        if (dc_) DeleteDC(dc_);
    }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;

    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != 0; }

private:
    HDC dc_;
};

// A window's context from GetDC or GetWindowDC, released with its owner.
class WindowDC {
public:
    WindowDC(HWND window, HDC dc) : window_(window), dc_(dc) {}
    ~WindowDC() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;

    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != 0; }

private:
    HWND window_;
    HDC dc_;
};

// An object selected into a context; the one it replaced goes back in with the owner.
class ObjectSelection {
public:
    ObjectSelection(HDC dc, HGDIOBJ object)
        : dc_(dc), old_(dc && object ? SelectObject(dc, object) : 0) {}
    ~ObjectSelection() {
        if (old_) SelectObject(dc_, old_);
    }
    ObjectSelection(const ObjectSelection&) = delete;
    ObjectSelection& operator=(const ObjectSelection&) = delete;

    // What the selection replaced (0: nothing was selected).
    HGDIOBJ previous() const { return old_; }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// A memory device context with one object (a bitmap, a font) selected for its lifetime; the
// object is taken out again before the context is deleted.
class SelectedMemoryDC {
public:
    explicit SelectedMemoryDC(HGDIOBJ object, HDC reference = 0)
        : dc_(reference), selection_(dc_.get(), object) {}
    SelectedMemoryDC(const SelectedMemoryDC&) = delete;
    SelectedMemoryDC& operator=(const SelectedMemoryDC&) = delete;

    HDC get() const { return dc_.get(); }
    explicit operator bool() const { return bool(dc_); }

private:
    MemoryDC dc_;
    ObjectSelection selection_;
};

// A palette selected into a context; the one it replaced goes back in with the owner.
class PaletteSelection {
public:
    PaletteSelection(HDC dc, HPALETTE palette, BOOL forceBackground = FALSE)
        : dc_(dc), background_(forceBackground),
          old_(dc && palette ? SelectPalette(dc, palette, forceBackground) : 0) {}
    ~PaletteSelection() {
        if (old_) SelectPalette(dc_, old_, background_);
    }
    PaletteSelection(const PaletteSelection&) = delete;
    PaletteSelection& operator=(const PaletteSelection&) = delete;

    HPALETTE previous() const { return old_; }

private:
    HDC dc_;
    BOOL background_;
    HPALETTE old_;
};

// The whole state of a context (objects, origin, clip, colours), restored with the owner.
class SavedDC {
public:
    explicit SavedDC(HDC dc) : dc_(dc), level_(dc ? SaveDC(dc) : 0) {}
    ~SavedDC() {
        if (level_ > 0) RestoreDC(dc_, level_);
    }
    SavedDC(const SavedDC&) = delete;
    SavedDC& operator=(const SavedDC&) = delete;

private:
    HDC dc_;
    int level_;
};

} // namespace gdi
