#include "app/GifBuilder.h"

#include "app/FieldRules.h"
#include "app/ResizeBitmap.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFSubImage.h"

#include <array>
#include <cstring>

namespace {

// Colour table entries as 0x00BBGGRR values, padded to 256 so any index reads.
std::array<DWORD, 256> ColorsOf(TBitmap* bitmap8) {
    std::array<DWORD, 256> colors{};
    std::vector<RGBQUAD> table = bitmap8->ColorTable();
    for (size_t i = 0; i < table.size() && i < colors.size(); ++i)
        colors[i] = DWORD(table[i].rgbRed) | (DWORD(table[i].rgbGreen) << 8) |
                    (DWORD(table[i].rgbBlue) << 16);
    return colors;
}

} // namespace

TGifBuilder::TGifBuilder(const TGifBuildSettings& settings)
    : settings_(settings), result_(CreateObject<TGIFGraphic>()) {}

TGifBuilder::~TGifBuilder() = default;

void TGifBuilder::SetSwitches(bool colors256, bool floydSteinberg, bool transparency) {
    settings_.colors256 = colors256;
    settings_.floydSteinberg = floydSteinberg;
    settings_.transparency = transparency;
}

ObjectPtr<TGIFGraphic> TGifBuilder::TakeResult() {
    return std::move(result_);
}

int TGifBuilder::AddAnimationFrame(TBitmap* frame8, int t) {
    int i = result_->AddFrame(frame8);
    TGIFSubImage* frame = result_->Frames().GetFrame(i);
    if (i == 0) {
        auto* loop = CreateObject<TGIFAppExtNSLoop>(frame);
        loop->LoopCount = 0;
        frame->FrameExtensions().AppendItem(loop);
    }
    auto* control = CreateObject<TGIFGraphicControlExtension>(frame);
    frame->FrameExtensions().AppendItem(control);
    control->SetFrameDelay(static_cast<Word>(settings_.delay));
    if (t >= 0) {
        // A reduced palette may be shorter than the spare index; the index must name an
        // entry of the frame's own map to be valid.
        while (frame->OwnColorMap().Count() <= t)
            frame->OwnColorMap().AppendColor(0);
        control->SetHasTransparency(true);
        control->SetTransparentIndex(t);
    }
    // Nothing shows the built frames until the picture takes a copy: they are held as the
    // file will hold them, not as pixels and a bitmap each.
    frame->Pack();
    return i;
}

void TGifBuilder::AddGridFrame(TBitmap* grid) {
    // An empty bitmap reduces to no frame at all.
    if (grid->Width() <= 0 || grid->Height() <= 0)
        throw EInvalidGraphicOperation("A grid frame without a picture cannot be added");
    if (settings_.zoom != 100)
        ResizeBitmap(grid, ZoomedSide(grid->Width(), settings_.zoom),
                     ZoomedSide(grid->Height(), settings_.zoom));
    ObjectPtr<TGIFGraphic> g(CreateObject<TGIFGraphic>());
    g->SetReductionMethod(settings_.colors256 ? redQuantize : redGrayScale);
    g->SetDitherMethod(settings_.floydSteinberg ? dtFloydSteinberg : dtNearest);
    g->AddFrame(grid);
    TBitmap* reduced = g->Frames().GetFrame(0)->GetFrameBitmap();
    const int w = reduced->Width(), h = reduced->Height();
    const std::array<DWORD, 256> colors = ColorsOf(reduced);

    int t = -1;
    Int64 unchanged = 0;
    std::vector<bool> same;
    bool compare = settings_.transparency && !composite_.empty() && compositeWidth_ == w &&
                   compositeHeight_ == h;
    if (compare) {
        std::array<bool, 256> used{};
        same.assign(size_t(w) * h, false);
        for (int y = 0; y < h; ++y) {
            const auto* row = static_cast<const Byte*>(reduced->ScanLine(y));
            const DWORD* shown = composite_.data() + size_t(y) * w;
            for (int x = 0; x < w; ++x) {
                if (colors[row[x]] == shown[x]) {
                    ++unchanged;
                    same[size_t(y) * w + x] = true;
                } else {
                    used[row[x]] = true;
                }
            }
        }
        for (int i = 0; i < 256 && t < 0; ++i)
            if (!used[i]) t = i;
    }

    if (!compare || unchanged <= Int64(h) * w * 9 / 10 || t < 0) {
        AddAnimationFrame(reduced, -1);
        ++wholeFrames_;
    } else {
        ObjectPtr<TBitmap> partial(CreateObject<TBitmap>());
        partial->Assign(reduced);
        for (int y = 0; y < h; ++y) {
            auto* row = static_cast<Byte*>(partial->ScanLine(y));
            for (int x = 0; x < w; ++x)
                if (same[size_t(y) * w + x]) row[x] = static_cast<Byte>(t);
        }
        AddAnimationFrame(partial.get(), t);
        ++transparentFrames_;
    }

    {
        // Whole or not, the frame now shows its own colours everywhere. Kept also while
        // the switch is off, since it is read for every frame.
        compositeWidth_ = w;
        compositeHeight_ = h;
        composite_.resize(size_t(w) * h);
        for (int y = 0; y < h; ++y) {
            const auto* row = static_cast<const Byte*>(reduced->ScanLine(y));
            DWORD* shown = composite_.data() + size_t(y) * w;
            for (int x = 0; x < w; ++x)
                shown[x] = colors[row[x]];
        }
    }
}
