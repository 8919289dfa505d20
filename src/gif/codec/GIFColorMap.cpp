#include "gif/codec/GIFColorMap.h"

#include "gif/codec/GIFException.h"
#include "gif/codec/GIFStreamIO.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr int kMaxColors = 256;
}

void TGIFColorMap::Reset() {
    colors_.reset();
    count_ = 0;
    capacity_ = 0;
    sorted_ = false;
}

void TGIFColorMap::EnsureCapacity(int n) {
    if (n < capacity_) return;
    int capacity = n <= 16 ? 16 : std::min((n + 31) / 32 * 32, kMaxColors);
    if (capacity == capacity_) return;
    std::unique_ptr<TGIFColor[]> grown(new TGIFColor[static_cast<size_t>(capacity)]);
    if (count_ > 0) std::copy_n(colors_.get(), count_, grown.get());
    colors_ = std::move(grown);
    capacity_ = capacity;
}

void TGIFColorMap::ReadTriplets(TStream& stream, int n) {
    Reset();
    n = std::clamp(n, 0, kMaxColors);
    EnsureCapacity(n);
    ReadExactly(stream, colors_.get(), Int64(n) * 3);
    count_ = n;
}

void TGIFColorMap::WriteTriplets(TStream& stream) const {
    if (count_ == 0) return;
    stream.WriteBuffer(colors_.get(), Int64(count_) * 3);
    int padded = 1 << RequiredBits();
    static const Byte black[3 * kMaxColors] = {};
    if (padded > count_) stream.WriteBuffer(black, Int64(padded - count_) * 3);
}

int TGIFColorMap::RequiredBits() const {
    return BitsForColorCount(count_);
}

int TGIFColorMap::FindColor(TColor color) const {
    TGIFColor c = ColorToTriplet(color);
    if (sorted_) {
        for (int i = 0; i < count_; ++i)
            if (colors_[i] == c) return i;
    } else {
        for (int i = count_ - 1; i >= 0; --i)
            if (colors_[i] == c) return i;
    }
    return -1;
}

int TGIFColorMap::AppendColor(TColor color) {
    if (count_ >= kMaxColors) RaiseGIFError(gifmsg::ColorTableOverflow);
    if (count_ >= capacity_) EnsureCapacity(count_ + 1);
    colors_[count_] = ColorToTriplet(color);
    int index = count_++;
    sorted_ = false;
    ColorsChanged();
    return index;
}

int TGIFColorMap::AppendUniqueColor(TColor color) {
    int index = FindColor(color);
    return index >= 0 ? index : AppendColor(color);
}

void TGIFColorMap::RemoveColor(int index) {
    if (index < 0 || index >= count_) RaiseGIFError(gifmsg::InvalidColorIndex);
    std::copy(colors_.get() + index + 1, colors_.get() + count_, colors_.get() + index);
    --count_;
    sorted_ = false;
    ColorsChanged();
}

TColor TGIFColorMap::ColorAt(int index) {
    if (index < 0 || index >= count_) {
        ReportWarning(1, gifmsg::InvalidColorIndex);
        if (count_ == 0) RaiseGIFError(gifmsg::ColorTableEmpty);
        index = 0;
    }
    return TripletToColor(colors_[index]);
}

void TGIFColorMap::FromColorTable(const RGBQUAD* table, int n) {
    Reset();
    n = std::clamp(n, 0, kMaxColors);
    if (n == 0) return;
    EnsureCapacity(n);
    for (int i = 0; i < n; ++i)
        colors_[i] = {table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue};
    count_ = n;
    ColorsChanged();
}

void TGIFColorMap::CopyFrom(const TGIFColorMap& source) {
    if (&source == this) return;
    Reset();
    capacity_ = source.capacity_;
    count_ = source.count_;
    sorted_ = source.sorted_;
    if (capacity_ > 0) {
        colors_.reset(new TGIFColor[static_cast<size_t>(capacity_)]());
        std::copy_n(source.colors_.get(), count_, colors_.get());
    }
    ColorsChanged();
}

void TGIFColorMap::Assign(TPersistent* Source) {
    if (auto* map = dynamic_cast<TGIFColorMap*>(Source)) {
        CopyFrom(*map);
        return;
    }
    inherited::Assign(Source);
}

void SortUsageDescending(TColorUsage* a, int low, int high) {
    int i;
    do {
        i = low;
        int j = high;
        Int64 pivot = a[(low + high) / 2].Count;
        do {
            while (a[i].Count > pivot)
                ++i;
            while (a[j].Count < pivot)
                --j;
            if (i <= j) {
                std::swap(a[i], a[j]);
                ++i;
                --j;
            }
        } while (i <= j);
        if (low < j) SortUsageDescending(a, low, j);
        low = i;
    } while (i < high);
}

bool TGIFColorMap::SortByUsage() {
    if (count_ <= 1) return false;
    sorted_ = true;
    // Every byte value has a record, so pixels at or above the count (which point at no
    // entry) are counted without harm and keep their value.
    TColorUsageTable usage;
    for (int i = 0; i < kMaxColors; ++i)
        usage[i] = {0, i};
    CountUsage(usage);
    SortUsageDescending(usage, 0, count_ - 1);

    bool inOrder = true;
    for (int i = 0; i < count_ && inOrder; ++i)
        inOrder = usage[i].Index == i;
    if (inOrder) return true;

    TColorIndexTable table;
    for (int i = 0; i < kMaxColors; ++i)
        table[i] = static_cast<Byte>(i);
    for (int i = 0; i < count_; ++i)
        table[usage[i].Index] = static_cast<Byte>(i);
    RemapPixels(table);

    std::unique_ptr<TGIFColor[]> moved(new TGIFColor[static_cast<size_t>(capacity_)]);
    for (int c = 0; c < count_; ++c)
        moved[table[c]] = colors_[c];
    colors_ = std::move(moved);
    int used = count_;
    for (int i = 0; i < count_; ++i) {
        if (usage[i].Count == 0) {
            used = i;
            break;
        }
    }
    count_ = used;
    ColorsChanged();
    return true;
}
