#pragma once
// TGraphic: the base of every picture format (bitmap, JPEG, GIF ...). A format loads and saves
// itself through streams, files and the clipboard, draws itself onto a canvas and tells of
// changes (OnChange) and of long work (OnProgress).
#include "framework/GraphicsTypes.h"
#include "rtl/Persistent.h"
#include "rtl/Stream.h"

class TCanvas;
class TGraphic;

// A class reference for graphics: the class and how to make an empty instance of it.
struct TGraphicClass {
    const RuntimeClass* Class = nullptr;
    TGraphic* (*Create)() = nullptr;

    explicit operator bool() const { return Class != nullptr; }
    friend bool operator==(const TGraphicClass& a, const TGraphicClass& b) {
        return a.Class == b.Class;
    }
};

template <class T> TGraphicClass GraphicClass() {
    return TGraphicClass{&T::StaticClass(), []() -> TGraphic* { return CreateObject<T>(); }};
}

// Put at the top of a graphic class body instead of KORVID_CLASS: it also gives the class
// reference TPicture copies and loads through.
#define KORVID_GRAPHIC_CLASS(Self, Base)                                                           \
    KORVID_CLASS(Self, Base)                                                                       \
    TGraphicClass GraphicClassType() const override {                                              \
        return GraphicClass<Self>();                                                               \
    }

class TGraphic : public TPersistent {
    KORVID_CLASS(TGraphic, TPersistent)

    virtual TGraphicClass GraphicClassType() const = 0;

    // Draws the whole picture into Rect (stretched to it).
    virtual void Draw(TCanvas* ACanvas, const TRect& Rect) = 0;

    // LoadFromFile opens the file for reading and calls LoadFromStream; SaveToFile creates
    // the file and calls SaveToStream. The file is closed on every path.
    virtual void LoadFromFile(const String& FileName);
    virtual void SaveToFile(const String& FileName);
    virtual void LoadFromStream(TStream& Stream) = 0;
    virtual void SaveToStream(TStream& Stream) = 0;
    // The default refuses: EInvalidGraphic "Unsupported clipboard format".
    virtual void LoadFromClipboardFormat(Word AFormat, HANDLE AData, HPALETTE APalette);
    virtual void SaveToClipboardFormat(Word& AFormat, HANDLE& AData, HPALETTE& APalette);
    // Whether the two pictures save to the same bytes.
    virtual bool Equals(TGraphic* Graphic);

    bool Empty() const { return GetEmpty(); }
    int Width() const { return GetWidth(); }
    int Height() const { return GetHeight(); }
    virtual void SetWidth(int Value) = 0;
    virtual void SetHeight(int Value) = 0;
    HPALETTE Palette() { return GetPalette(); }
    virtual void SetPalette(HPALETTE Value) {}
    bool Transparent() { return GetTransparent(); }
    virtual void SetTransparent(bool Value);
    bool Modified() const { return modified_; }
    void SetModified(bool Value);
    // Set by a format whose palette changed, so that the control showing it realises the new
    // one; cleared by whoever handled it.
    bool PaletteModified() const { return paletteModified_; }
    void SetPaletteModified(bool Value) { paletteModified_ = Value; }

    TNotifyEvent OnChange;
    TProgressEvent OnProgress;

    // Marks the graphic modified and raises OnChange with this graphic as the sender.
    virtual void Changed(TObject* Sender);
    virtual void Progress(TObject* Sender, TProgressStage Stage, Byte PercentDone, bool RedrawNow,
                          const TRect& R, const String& Msg);

protected:
    virtual bool GetEmpty() const = 0;
    virtual int GetWidth() const = 0;
    virtual int GetHeight() const = 0;
    virtual HPALETTE GetPalette() { return 0; }
    virtual bool GetTransparent() { return transparent_; }

private:
    bool modified_ = false;
    bool paletteModified_ = false;
    bool transparent_ = false;
};
