#pragma once
// TMetafile: a picture made of drawing. What is drawn on a TMetafileCanvas made for it is
// recorded when the canvas is freed, and played back onto any canvas, scaled from the
// metafile's own width and height into the rectangle asked for. Only what is drawn is
// drawn: the rest of the rectangle keeps what lay there, so a metafile is transparent.
// There is no file format: pictures copy a metafile by assigning it.
#include "framework/Graphic.h"
#include "framework/GraphicsObjects.h"

#include <memory>
#include <vector>

class TMetafileCanvas;

class TMetafile : public TGraphic {
    KORVID_GRAPHIC_CLASS(TMetafile, TGraphic)

    TMetafile() = default;

    // From another metafile (its size and drawing); nil empties it.
    void Assign(TPersistent* Source) override;
    // Plays the drawing into Rect, scaled from Width x Height.
    void Draw(TCanvas* ACanvas, const TRect& Rect) override;
    // EInvalidGraphic "Metafiles have no file format" both ways.
    void LoadFromStream(TStream& Stream) override;
    void SaveToStream(TStream& Stream) override;

    void SetWidth(int Value) override;
    void SetHeight(int Value) override;
    // Drops the drawing; the size stays.
    void Clear();
    // Drawing steps recorded.
    int RecordCount() const { return static_cast<int>(records_.size()); }

    // One recorded step with the tools it drew with.
    struct Record;

protected:
    bool GetEmpty() const override { return records_.empty(); }
    int GetWidth() const override { return width_; }
    int GetHeight() const override { return height_; }
    bool GetTransparent() override { return true; }

private:
    friend class TMetafileCanvas;
    // Adds what a canvas recorded.
    void Append(std::vector<std::shared_ptr<const Record>> records);

    int width_ = 0, height_ = 0;
    // Shared, never changed once recorded: copies of a metafile share them.
    std::vector<std::shared_ptr<const Record>> records_;
};

// A canvas that records into a metafile: its drawing reaches the metafile when the canvas
// is freed. Coordinates are the metafile's own (0, 0 to Width, Height).
class TMetafileCanvas : public TObject {
    KORVID_CLASS(TMetafileCanvas, TObject)

    explicit TMetafileCanvas(TMetafile* metafile);
    void AfterConstruction() override;
    void Destroy() override;

    TPen* Pen() { return pen_.get(); }
    TBrush* Brush() { return brush_.get(); }
    TFont* Font() { return font_.get(); }

    void FillRect(const TRect& Rect);
    void Rectangle(int X1, int Y1, int X2, int Y2);
    void Ellipse(int X1, int Y1, int X2, int Y2);
    void Polygon(const std::vector<TPoint>& Points);
    void Polyline(const std::vector<TPoint>& Points);
    void MoveTo(int X, int Y);
    void LineTo(int X, int Y);
    void TextOut(int X, int Y, const String& Text);
    // A copy of the graphic, stretched into Rect at playback.
    void StretchDraw(const TRect& Rect, TGraphic* Graphic);
    void Draw(int X, int Y, TGraphic* Graphic);

private:
    void Add(std::shared_ptr<TMetafile::Record> record);

    TMetafile* metafile_; // not owned
    ObjectPtr<TPen> pen_;
    ObjectPtr<TBrush> brush_;
    ObjectPtr<TFont> font_;
    TPoint penPos_{0, 0};
    std::vector<std::shared_ptr<const TMetafile::Record>> recorded_;
};
