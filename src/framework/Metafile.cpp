#include "framework/Metafile.h"

#include "framework/Canvas.h"
#include "rtl/Arithmetic.h"
#include "rtl/ScopeGuard.h"

namespace {

constexpr const char* kNoFileFormat = "Metafiles have no file format";

} // namespace

struct TMetafile::Record {
    enum Kind { FillRect, Rectangle, Ellipse, Polygon, Polyline, Line, Text, Picture };
    Kind kind;
    std::vector<TPoint> points; // corners (rectangles, ellipses, pictures) or the path
    TColor penColor;
    int penWidth;
    TPenStyle penStyle;
    TColor brushColor;
    TBrushStyle brushStyle;
    ObjectPtr<TFont> font; // text only
    String text;
    ObjectPtr<TGraphic> picture; // pictures only
};

// --- TMetafile ---

void TMetafile::Assign(TPersistent* Source) {
    if (!Source) {
        Clear();
        return;
    }
    if (auto* other = dynamic_cast<TMetafile*>(Source)) {
        if (other == this) return;
        width_ = other->width_;
        height_ = other->height_;
        records_ = other->records_;
        Changed(this);
        return;
    }
    inherited::Assign(Source);
}

void TMetafile::Clear() {
    if (records_.empty()) return;
    records_.clear();
    Changed(this);
}

void TMetafile::SetWidth(int Value) {
    if (Value == width_) return;
    width_ = std::max(Value, 0);
    Changed(this);
}

void TMetafile::SetHeight(int Value) {
    if (Value == height_) return;
    height_ = std::max(Value, 0);
    Changed(this);
}

void TMetafile::LoadFromStream(TStream&) {
    throw EInvalidGraphic(kNoFileFormat);
}

void TMetafile::SaveToStream(TStream&) {
    throw EInvalidGraphic(kNoFileFormat);
}

void TMetafile::Append(std::vector<std::shared_ptr<const Record>> records) {
    if (records.empty()) return;
    records_.insert(records_.end(), records.begin(), records.end());
    Changed(this);
}

void TMetafile::Draw(TCanvas* ACanvas, const TRect& Rect) {
    if (!ACanvas || records_.empty() || width_ <= 0 || height_ <= 0) return;
    const int rw = Rect.right - Rect.left, rh = Rect.bottom - Rect.top;
    auto map = [&](const TPoint& p) {
        return TPoint{Rect.left + MulDiv(p.x, rw, width_), Rect.top + MulDiv(p.y, rh, height_)};
    };
    auto box = [&](const Record& r) {
        TPoint a = map(r.points[0]), b = map(r.points[1]);
        return TRect{a.x, a.y, b.x, b.y};
    };
    // The canvas's own tools come back afterwards.
    ObjectPtr<TPen> pen = MakeObject<TPen>();
    ObjectPtr<TBrush> brush = MakeObject<TBrush>();
    ObjectPtr<TFont> font = MakeObject<TFont>();
    pen->Assign(ACanvas->Pen());
    brush->Assign(ACanvas->Brush());
    font->Assign(ACanvas->Font());
    const TPoint penPos = ACanvas->PenPos();
    ScopeGuard restore([&] {
        ACanvas->SetPen(pen.get());
        ACanvas->SetBrush(brush.get());
        ACanvas->SetFont(font.get());
        ACanvas->MoveTo(penPos.x, penPos.y);
    });
    for (const auto& shared : records_) {
        const Record& r = *shared;
        ACanvas->Pen()->SetColor(r.penColor);
        ACanvas->Pen()->SetWidth(r.penWidth);
        ACanvas->Pen()->SetStyle(r.penStyle);
        ACanvas->Brush()->SetColor(r.brushColor);
        ACanvas->Brush()->SetStyle(r.brushStyle);
        std::vector<TPoint> mapped;
        for (const TPoint& p : r.points)
            mapped.push_back(map(p));
        switch (r.kind) {
        case Record::FillRect:
            ACanvas->FillRect(box(r));
            break;
        case Record::Rectangle:
            ACanvas->Rectangle(box(r));
            break;
        case Record::Ellipse:
            ACanvas->Ellipse(box(r));
            break;
        case Record::Polygon:
            ACanvas->Polygon(mapped);
            break;
        case Record::Polyline:
            ACanvas->Polyline(mapped);
            break;
        case Record::Line:
            ACanvas->MoveTo(mapped[0].x, mapped[0].y);
            ACanvas->LineTo(mapped[1].x, mapped[1].y);
            break;
        case Record::Text:
            ACanvas->SetFont(r.font.get());
            ACanvas->TextOut(mapped[0].x, mapped[0].y, r.text);
            break;
        case Record::Picture:
            ACanvas->StretchDraw(box(r), r.picture.get());
            break;
        }
    }
}

// --- TMetafileCanvas ---

TMetafileCanvas::TMetafileCanvas(TMetafile* metafile) : metafile_(metafile) {}

void TMetafileCanvas::AfterConstruction() {
    inherited::AfterConstruction();
    pen_ = MakeObject<TPen>();
    brush_ = MakeObject<TBrush>();
    font_ = MakeObject<TFont>();
}

void TMetafileCanvas::Destroy() {
    if (metafile_) metafile_->Append(std::move(recorded_));
    recorded_.clear();
    inherited::Destroy();
}

void TMetafileCanvas::Add(std::shared_ptr<TMetafile::Record> record) {
    record->penColor = pen_->Color();
    record->penWidth = pen_->Width();
    record->penStyle = pen_->Style();
    record->brushColor = brush_->Color();
    record->brushStyle = brush_->Style();
    recorded_.push_back(std::move(record));
}

namespace {

std::shared_ptr<TMetafile::Record> Shape(int kind, std::vector<TPoint> points) {
    auto r = std::make_shared<TMetafile::Record>();
    r->kind = static_cast<decltype(r->kind)>(kind);
    r->points = std::move(points);
    return r;
}

} // namespace

void TMetafileCanvas::FillRect(const TRect& Rect) {
    Add(Shape(TMetafile::Record::FillRect, {{Rect.left, Rect.top}, {Rect.right, Rect.bottom}}));
}

void TMetafileCanvas::Rectangle(int X1, int Y1, int X2, int Y2) {
    Add(Shape(TMetafile::Record::Rectangle, {{X1, Y1}, {X2, Y2}}));
}

void TMetafileCanvas::Ellipse(int X1, int Y1, int X2, int Y2) {
    Add(Shape(TMetafile::Record::Ellipse, {{X1, Y1}, {X2, Y2}}));
}

void TMetafileCanvas::Polygon(const std::vector<TPoint>& Points) {
    if (Points.empty()) return;
    Add(Shape(TMetafile::Record::Polygon, Points));
}

void TMetafileCanvas::Polyline(const std::vector<TPoint>& Points) {
    if (Points.empty()) return;
    Add(Shape(TMetafile::Record::Polyline, Points));
}

void TMetafileCanvas::MoveTo(int X, int Y) {
    penPos_ = {X, Y};
}

void TMetafileCanvas::LineTo(int X, int Y) {
    Add(Shape(TMetafile::Record::Line, {penPos_, {X, Y}}));
    penPos_ = {X, Y};
}

void TMetafileCanvas::TextOut(int X, int Y, const String& Text) {
    auto r = Shape(TMetafile::Record::Text, {{X, Y}});
    r->font = MakeObject<TFont>();
    r->font->Assign(font_.get());
    r->text = Text;
    Add(std::move(r));
}

void TMetafileCanvas::StretchDraw(const TRect& Rect, TGraphic* Graphic) {
    if (!Graphic || Graphic->Empty()) return;
    auto r = Shape(TMetafile::Record::Picture, {{Rect.left, Rect.top}, {Rect.right, Rect.bottom}});
    r->picture.reset(Graphic->GraphicClassType().Create());
    r->picture->Assign(Graphic);
    Add(std::move(r));
}

void TMetafileCanvas::Draw(int X, int Y, TGraphic* Graphic) {
    if (!Graphic) return;
    StretchDraw(TRect{X, Y, X + Graphic->Width(), Y + Graphic->Height()}, Graphic);
}
