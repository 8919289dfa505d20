#pragma once
// Pens, brushes and fonts: the drawing tools a canvas holds. Each keeps its own values and
// makes its platform handle on demand; a change drops the handle (after telling OnChange, so
// a canvas can take it out of its device context first) and raises OnChange.
#include "framework/GraphicsTypes.h"
#include "rtl/Persistent.h"

class TBitmap;

class TGraphicsObject : public TPersistent {
    KORVID_CLASS(TGraphicsObject, TPersistent)

    TNotifyEvent OnChange;

protected:
    virtual void Changed();
};

class TPen : public TGraphicsObject {
    KORVID_CLASS(TPen, TGraphicsObject)

    void Destroy() override;
    void Assign(TPersistent* Source) override;

    TColor Color() const { return color_; }
    void SetColor(TColor Value);
    int Width() const { return width_; }
    void SetWidth(int Value);
    TPenStyle Style() const { return style_; }
    void SetStyle(TPenStyle Value);
    TPenMode Mode() const { return mode_; }
    void SetMode(TPenMode Value);

    // The pen's handle, made when first asked for; it stays the pen's.
    HPEN Handle();

protected:
    void Changed() override;

private:
    TColor color_ = clBlack;
    int width_ = 1;
    TPenStyle style_ = psSolid;
    TPenMode mode_ = pmCopy;
    HPEN handle_ = 0;
};

class TBrush : public TGraphicsObject {
    KORVID_CLASS(TBrush, TGraphicsObject)

    void Destroy() override;
    void Assign(TPersistent* Source) override;

    TColor Color() const { return color_; }
    // Setting a colour makes a clear brush solid, as setting a style other than bsClear does.
    void SetColor(TColor Value);
    TBrushStyle Style() const { return style_; }
    void SetStyle(TBrushStyle Value);
    // A pattern brush of the bitmap's top-left 8x8 pixels, or nil. The bitmap stays the
    // caller's and must outlive the brush's use of it.
    TBitmap* Bitmap() const { return bitmap_; }
    void SetBitmap(TBitmap* Value);

    HBRUSH Handle();

protected:
    void Changed() override;

private:
    TColor color_ = clWhite;
    TBrushStyle style_ = bsSolid;
    TBitmap* bitmap_ = nullptr;
    HBRUSH handle_ = 0;
};

class TFont : public TGraphicsObject {
    KORVID_CLASS(TFont, TGraphicsObject)

    void Destroy() override;
    void Assign(TPersistent* Source) override;

    const String& Name() const { return name_; }
    void SetName(const String& Value);
    // Size is in points, Height in pixels (negative: the character height without the
    // internal leading); each is kept in step with the other through PixelsPerInch.
    int Size() const;
    void SetSize(int Value);
    int Height() const { return height_; }
    void SetHeight(int Value);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles Value);
    TColor Color() const { return color_; }
    void SetColor(TColor Value);
    TFontPitch Pitch() const { return pitch_; }
    void SetPitch(TFontPitch Value);
    TFontCharset Charset() const { return charset_; }
    void SetCharset(TFontCharset Value);
    int PixelsPerInch() const { return pixelsPerInch_; }
    void SetPixelsPerInch(int Value) { pixelsPerInch_ = Value; }

    HFONT Handle();

protected:
    void Changed() override;

private:
    String name_ = "MS Sans Serif";
    int height_ = -11; // 8 points at 96 pixels per inch
    TFontStyles style_;
    TColor color_ = clWindowText;
    TFontPitch pitch_ = fpDefault;
    TFontCharset charset_ = 1; // DEFAULT_CHARSET
    int pixelsPerInch_ = 96;
    HFONT handle_ = 0;
};
