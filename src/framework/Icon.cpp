#include "framework/Icon.h"

#include "framework/Canvas.h"
#include "framework/Resources.h"
#include "platform/gdi/Gdi.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

constexpr const char* kInvalidIcon = "Icon image is not valid";
// Larger images are refused before anything is allocated for them.
constexpr int kMaxSide = 1024;

[[noreturn]] void Invalid() {
    throw EInvalidGraphic(kInvalidIcon);
}

DWORD U32(const Byte* p) {
    return DWORD(p[0]) | DWORD(p[1]) << 8 | DWORD(p[2]) << 16 | DWORD(p[3]) << 24;
}
WORD U16(const Byte* p) {
    return WORD(p[0] | p[1] << 8);
}
void Put16(std::vector<Byte>& out, unsigned v) {
    out.push_back(Byte(v));
    out.push_back(Byte(v >> 8));
}
void Put32(std::vector<Byte>& out, DWORD v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(Byte(v >> (8 * i)));
}

// The ICO header: reserved 0, type 1, the image count; then 16 bytes per image.
constexpr size_t kDirSize = 6;
constexpr size_t kEntrySize = 16;
constexpr size_t kInfoSize = 40;

} // namespace

void TIcon::Destroy() {
    DropHandle();
    inherited::Destroy();
}

void TIcon::DropHandle() {
    if (handle_) DestroyIcon(handle_);
    handle_ = 0;
}

void TIcon::Clear() {
    DropHandle();
    data_.clear();
    images_.clear();
    handleWidth_ = handleHeight_ = 0;
}

std::vector<TIcon::Image> TIcon::Parse(const std::vector<Byte>& file) {
    if (file.size() < kDirSize) Invalid();
    const Byte* f = file.data();
    if (U16(f) != 0 || U16(f + 2) != 1) Invalid();
    const size_t count = U16(f + 4);
    if (count == 0 || file.size() < kDirSize + count * kEntrySize) Invalid();
    std::vector<Image> images;
    for (size_t i = 0; i < count; ++i) {
        const Byte* e = f + kDirSize + i * kEntrySize;
        const Int64 size = U32(e + 8), offset = U32(e + 12);
        if (offset + size > Int64(file.size()) || size < Int64(kInfoSize)) Invalid();
        const Byte* d = f + offset;
        if (d[0] == 0x89 && d[1] == 'P') Invalid(); // PNG-coded images are not read here
        if (U32(d) < kInfoSize) Invalid();
        const LONG width = LONG(U32(d + 4)), twice = LONG(U32(d + 8));
        const int bitCount = U16(d + 14);
        const DWORD compression = U32(d + 16), used = U32(d + 32);
        if (width <= 0 || width > kMaxSide || twice <= 0 || twice % 2 || twice / 2 > kMaxSide)
            Invalid();
        if (compression != BI_RGB) Invalid();
        if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32)
            Invalid();
        const int height = twice / 2;
        const Int64 colors = bitCount <= 8 ? (used ? used : (Int64{1} << bitCount)) : 0;
        if (colors > 256) Invalid();
        const Int64 xorRow = ((Int64(width) * bitCount + 31) / 32) * 4;
        const Int64 andRow = ((Int64(width) + 31) / 32) * 4;
        const Int64 table = Int64(U32(d)) + 4 * colors;
        const Int64 xorEnd = table + xorRow * height;
        // A 32-bit image may leave its mask out and rely on its alpha.
        const bool hasMask = xorEnd + andRow * height <= size;
        if (xorEnd > size || (!hasMask && bitCount != 32)) Invalid();

        Image img;
        img.width = width;
        img.height = height;
        img.bitCount = bitCount;
        const size_t n = size_t(width) * size_t(height);
        img.pixels.resize(n);
        img.mask.assign(n, 0);
        const Byte* palette = d + U32(d);
        for (int y = 0; y < height; ++y) {
            // Rows run bottom-up.
            const Byte* row = d + table + xorRow * (height - 1 - y);
            DWORD* out = img.pixels.data() + size_t(y) * width;
            for (int x = 0; x < width; ++x) {
                if (bitCount == 32) {
                    out[x] = U32(row + 4 * x);
                } else if (bitCount == 24) {
                    const Byte* p = row + 3 * x;
                    out[x] = DWORD(p[0]) | DWORD(p[1]) << 8 | DWORD(p[2]) << 16;
                } else {
                    unsigned index;
                    if (bitCount == 8)
                        index = row[x];
                    else if (bitCount == 4)
                        index = (x % 2 ? row[x / 2] & 0x0F : row[x / 2] >> 4);
                    else
                        index = (row[x / 8] >> (7 - x % 8)) & 1;
                    if (index >= colors) Invalid();
                    const Byte* q = palette + 4 * index;
                    out[x] = DWORD(q[0]) | DWORD(q[1]) << 8 | DWORD(q[2]) << 16;
                }
            }
            if (hasMask) {
                const Byte* m = d + xorEnd + andRow * (height - 1 - y);
                for (int x = 0; x < width; ++x)
                    img.mask[size_t(y) * width + x] = (m[x / 8] >> (7 - x % 8)) & 1;
            }
        }
        if (bitCount == 32) {
            bool anyMask = false, anyAlpha = false;
            for (size_t k = 0; k < n; ++k) {
                anyMask = anyMask || img.mask[k];
                anyAlpha = anyAlpha || (img.pixels[k] >> 24);
            }
            // An image that says its see-through parts only by alpha: those parts become
            // masked and black, as drawing through the mask needs them.
            if (!anyMask && anyAlpha) {
                for (size_t k = 0; k < n; ++k)
                    if ((img.pixels[k] >> 24) == 0) {
                        img.mask[k] = 1;
                        img.pixels[k] = 0;
                    }
            }
        } else {
            for (DWORD& p : img.pixels)
                p &= 0xFFFFFF;
        }
        images.push_back(std::move(img));
    }
    return images;
}

int TIcon::Chosen() const {
    int best = -1;
    long bestDistance = 0;
    for (int i = 0; i < int(images_.size()); ++i) {
        const Image& img = images_[size_t(i)];
        const long distance =
            std::labs(long(img.width) - wantWidth_) + std::labs(long(img.height) - wantHeight_);
        if (best < 0 || distance < bestDistance) {
            best = i;
            bestDistance = distance;
            continue;
        }
        const Image& b = images_[size_t(best)];
        if (distance == bestDistance &&
            (img.width * img.height > b.width * b.height ||
             (img.width * img.height == b.width * b.height && img.bitCount > b.bitCount)))
            best = i;
    }
    return best;
}

int TIcon::GetWidth() const {
    const int i = Chosen();
    return i >= 0 ? images_[size_t(i)].width : handleWidth_;
}

int TIcon::GetHeight() const {
    const int i = Chosen();
    return i >= 0 ? images_[size_t(i)].height : handleHeight_;
}

void TIcon::LoadFromStream(TStream& Stream) {
    const Int64 start = Stream.Position();
    std::vector<Byte> file(kDirSize);
    Stream.ReadBuffer(file.data(), Int64(kDirSize));
    const size_t count = U16(file.data() + 4);
    if (U16(file.data()) != 0 || U16(file.data() + 2) != 1 || count == 0) Invalid();
    file.resize(kDirSize + count * kEntrySize);
    Stream.ReadBuffer(file.data() + kDirSize, Int64(count * kEntrySize));
    Int64 end = Int64(file.size());
    for (size_t i = 0; i < count; ++i) {
        const Byte* e = file.data() + kDirSize + i * kEntrySize;
        end = std::max(end, Int64(U32(e + 12)) + Int64(U32(e + 8)));
    }
    if (end > Stream.Size() - start) Invalid();
    const size_t have = file.size();
    file.resize(size_t(end));
    Stream.ReadBuffer(file.data() + have, end - Int64(have));
    std::vector<Image> images = Parse(file); // raises before anything is replaced
    Clear();
    data_ = std::move(file);
    images_ = std::move(images);
    Changed(this);
}

void TIcon::SaveToStream(TStream& Stream) {
    if (!data_.empty()) {
        Stream.WriteBuffer(data_.data(), Int64(data_.size()));
        return;
    }
    if (!handle_) return;
    int w = 0, h = 0;
    std::vector<DWORD> argb;
    if (!GetIconPixels(handle_, &w, &h, &argb)) return;
    const Int64 andRow = ((Int64(w) + 31) / 32) * 4;
    const DWORD imageSize =
        DWORD(kInfoSize + size_t(w) * size_t(h) * 4 + size_t(andRow) * size_t(h));
    std::vector<Byte> out;
    Put16(out, 0);
    Put16(out, 1);
    Put16(out, 1);
    out.push_back(Byte(w >= 256 ? 0 : w));
    out.push_back(Byte(h >= 256 ? 0 : h));
    out.push_back(0);
    out.push_back(0);
    Put16(out, 1);
    Put16(out, 32);
    Put32(out, imageSize);
    Put32(out, DWORD(kDirSize + kEntrySize));
    Put32(out, DWORD(kInfoSize));
    Put32(out, DWORD(w));
    Put32(out, DWORD(2 * h));
    Put16(out, 1);
    Put16(out, 32);
    for (int i = 0; i < 6; ++i)
        Put32(out, 0);
    for (int y = h - 1; y >= 0; --y)
        for (int x = 0; x < w; ++x)
            Put32(out, argb[size_t(y) * w + x]);
    for (int y = h - 1; y >= 0; --y) {
        std::vector<Byte> row(size_t(andRow), 0);
        for (int x = 0; x < w; ++x)
            if ((argb[size_t(y) * w + x] >> 24) == 0) row[size_t(x / 8)] |= Byte(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
    Stream.WriteBuffer(out.data(), Int64(out.size()));
}

void TIcon::LoadFromResourceName(HINSTANCE, const String& ResName) {
    std::span<const Byte> data = resources::FindIcon(ResName);
    if (data.empty()) throw EResNotFound("Resource " + ResName + " not found");
    TMemoryStream stream;
    stream.WriteBuffer(data.data(), Int64(data.size()));
    stream.SetPosition(0);
    LoadFromStream(stream);
}

HICON TIcon::Handle() {
    if (handle_ || images_.empty()) return handle_;
    const Image& img = images_[size_t(Chosen())];
    const int rowBytes = ((img.width + 15) / 16) * 2;
    std::vector<Byte> maskBits(size_t(rowBytes) * size_t(img.height), 0);
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x)
            if (img.mask[size_t(y) * img.width + x])
                maskBits[size_t(y) * rowBytes + size_t(x / 8)] |= Byte(0x80 >> (x % 8));
    ICONINFO info;
    info.hbmMask = CreateBitmap(img.width, img.height, 1, 1, maskBits.data());
    info.hbmColor = CreateBitmap(img.width, img.height, 1, 32, img.pixels.data());
    handle_ = CreateIconIndirect(&info);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (!handle_) throw EOutOfResources("Out of system resources");
    handleWidth_ = img.width;
    handleHeight_ = img.height;
    return handle_;
}

void TIcon::SetHandle(HICON Value) {
    if (Value == handle_ && data_.empty()) return;
    int w = 0, h = 0;
    std::vector<DWORD> argb;
    if (Value && !GetIconPixels(Value, &w, &h, &argb)) throw EInvalidGraphic(kInvalidIcon);
    Clear();
    handle_ = Value;
    handleWidth_ = w;
    handleHeight_ = h;
    Changed(this);
}

HICON TIcon::ReleaseHandle() {
    HICON h = Handle();
    handle_ = 0;
    Clear();
    Changed(this);
    return h;
}

void TIcon::SetSize(int AWidth, int AHeight) {
    if (AWidth == wantWidth_ && AHeight == wantHeight_) return;
    const int before = Chosen();
    wantWidth_ = AWidth;
    wantHeight_ = AHeight;
    if (!images_.empty() && Chosen() != before) {
        DropHandle();
        Changed(this);
    }
}

void TIcon::Assign(TPersistent* Source) {
    if (!Source) {
        Clear();
        Changed(this);
        return;
    }
    if (auto* other = dynamic_cast<TIcon*>(Source)) {
        if (other == this) return;
        std::vector<Byte> data = other->data_;
        std::vector<Image> images = other->images_;
        HICON copy = other->data_.empty() && other->handle_ ? CopyIcon(other->handle_) : 0;
        Clear();
        data_ = std::move(data);
        images_ = std::move(images);
        handle_ = copy;
        handleWidth_ = other->handleWidth_;
        handleHeight_ = other->handleHeight_;
        wantWidth_ = other->wantWidth_;
        wantHeight_ = other->wantHeight_;
        Changed(this);
        return;
    }
    inherited::Assign(Source);
}

void TIcon::Draw(TCanvas* ACanvas, const TRect& Rect) {
    if (!ACanvas || Empty()) return;
    HICON icon = Handle();
    if (!icon) return;
    DrawIconEx(ACanvas->Handle(), Rect.left, Rect.top, icon, Rect.right - Rect.left,
               Rect.bottom - Rect.top, 0, 0, DI_NORMAL);
}
