#include "skin/SKThemeFile.h"

#include "rtl/Exception.h"
#include "rtl/Files.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <unordered_set>

const char* const kSkinMagic = "SkinPak_TB";

namespace {

constexpr int kMagicFieldSize = 12;
constexpr int kFirstEntryField = 20;
// Limits that keep a damaged or hostile file from costing more than a real skin would.
constexpr Int64 kMaxEntries = 4096;
constexpr Int64 kMaxImageSize = 16 << 20;
constexpr Int64 kMaxImageTotal = 64 << 20;
constexpr Int64 kMaxStringSize = 64 << 10;
// The largest picture a skin may hold on either side: a compressed bitmap can declare far more
// pixels than its bytes hold, and each would be allocated when it is decoded.
constexpr Int64 kMaxImageSide = 4096;
constexpr int kBmpFileHeaderSize = 14;
constexpr int kBmpCoreHeaderSize = 12;

Cardinal ReadLE32(const Byte* p) {
    return Cardinal(p[0]) | Cardinal(p[1]) << 8 | Cardinal(p[2]) << 16 | Cardinal(p[3]) << 24;
}

// The magic text up to its zero byte; false when no zero byte lies within what was read.
bool MagicMatches(const Byte* field, Int64 got) {
    const Int64 n = std::min<Int64>(got, kMagicFieldSize);
    const Byte* zero = static_cast<const Byte*>(std::memchr(field, 0, size_t(n)));
    if (!zero) return false;
    return String(reinterpret_cast<const char*>(field), size_t(zero - field)) == kSkinMagic;
}

bool SameName(const String& a, const String& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = char(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = char(y - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}

Int64 ReadLE16(const Byte* p) {
    return Int64(p[0]) | Int64(p[1]) << 8;
}

// Whether the bitmap file in data declares a side above the cap; data too short to say is
// left to the decoder.
bool DeclaresHugeImage(const Byte* data, Int64 size) {
    if (size < kBmpFileHeaderSize + 4) return false;
    const Byte* info = data + kBmpFileHeaderSize;
    Int64 w = 0, h = 0;
    if (ReadLE32(info) == kBmpCoreHeaderSize) {
        if (size < kBmpFileHeaderSize + 8) return false;
        w = ReadLE16(info + 4);
        h = ReadLE16(info + 6);
    } else {
        if (size < kBmpFileHeaderSize + 12) return false;
        w = std::int32_t(ReadLE32(info + 4));
        h = std::int32_t(ReadLE32(info + 8));
    }
    return std::abs(w) > kMaxImageSide || std::abs(h) > kMaxImageSide;
}

template <class List> auto FindEntry(List& list, const String& key) -> decltype(&list.front()) {
    for (auto& e : list)
        if (SameName(e.name, key)) return &e;
    return nullptr;
}

bool ReadAt(TStream& stream, Int64 offset, void* buffer, Int64 count) {
    if (stream.Seek(offset, soBeginning) != offset) return false;
    return stream.Read(buffer, count) == count;
}

} // namespace

bool IsValidSkinFile(const String& FileName) {
    if (!FileExists(FileName)) return false;
    try {
        TFileStream file(FileName, fmOpenRead | fmShareDenyNone);
        Byte field[kMagicFieldSize] = {};
        Int64 got = file.Read(field, kMagicFieldSize);
        return MagicMatches(field, got);
    } catch (const Exception&) {
        return false;
    }
}

TskThemeFileReader::TskThemeFileReader(const String& FileName) {
    LoadFromFile(FileName);
}

TskThemeFileReader::TskThemeFileReader(TStream& Stream) {
    LoadFromStream(Stream);
}

TskThemeFileReader::~TskThemeFileReader() = default;

void TskThemeFileReader::Clear() {
    images_.clear();
    integers_.clear();
    booleans_.clear();
    strings_.clear();
    headerValid_ = false;
    warning_.clear();
}

void TskThemeFileReader::Warn(const String& text) {
    if (warning_.empty()) warning_ = text;
}

void TskThemeFileReader::LoadFromFile(const String& FileName) {
    Clear();
    TFileStream file(FileName, fmOpenRead | fmShareDenyNone);
    LoadFromStream(file);
}

void TskThemeFileReader::LoadFromStream(TStream& Stream) {
    Clear();
    const Int64 fileSize = Stream.Size();
    Byte header[kSkinHeaderSize] = {};
    if (!ReadAt(Stream, 0, header, kSkinHeaderSize)) {
        Warn("The skin file is too short for its header");
        return;
    }
    if (!MagicMatches(header, kSkinHeaderSize)) {
        Warn("The file is not a skin file");
        return;
    }
    headerValid_ = true;
    Int64 offset = ReadLE32(header + kFirstEntryField);
    std::unordered_set<Int64> seen;
    Int64 imageBytes = 0;
    while (true) {
        if (!seen.insert(offset).second) {
            Warn("The skin file's entries run in a circle");
            return;
        }
        if (Int64(seen.size()) > kMaxEntries) {
            Warn("The skin file has too many entries");
            return;
        }
        Int64 next = 0;
        if (!ParseEntry(Stream, fileSize, offset, next, imageBytes)) return;
        if (next == 0) return;
        offset = next;
    }
}

// Reads the entry at offset and stores its value unless it ends the chain; false, with a
// warning, when the entry or its data do not lie within the file.
bool TskThemeFileReader::ParseEntry(TStream& Stream, Int64 fileSize, Int64 offset, Int64& next,
                                    Int64& imageBytes) {
    Byte entry[kSkinEntrySize];
    if (offset + kSkinEntrySize > fileSize || !ReadAt(Stream, offset, entry, kSkinEntrySize)) {
        Warn("A skin file entry lies beyond the end of the file");
        return false;
    }
    const Byte* zero = static_cast<const Byte*>(std::memchr(entry, 0, kSkinNameSize));
    String name(reinterpret_cast<const char*>(entry), zero ? size_t(zero - entry) : kSkinNameSize);
    const Byte kind = entry[64];
    const Int64 dataOffset = ReadLE32(entry + 65);
    const Int64 dataSize = ReadLE32(entry + 69);
    next = ReadLE32(entry + 73);
    if (next == 0) return true; // the terminator: its fields carry nothing
    if (kind > skeString) return true;
    if (dataOffset + dataSize > fileSize) {
        Warn("The data of skin entry \"" + name + "\" lies beyond the end of the file");
        return false;
    }
    switch (kind) {
    case skeImage: {
        if (dataSize > kMaxImageSize || imageBytes + dataSize > kMaxImageTotal) {
            Warn("The image of skin entry \"" + name + "\" is too large");
            return false;
        }
        if (dataSize == 0) {
            Warn("Skin entry \"" + name + "\" holds an empty image");
            return true;
        }
        auto stream = std::make_unique<TMemoryStream>();
        stream->SetSize(dataSize);
        if (!ReadAt(Stream, dataOffset, stream->Memory(), dataSize)) {
            Warn("The image of skin entry \"" + name + "\" cannot be read");
            return false;
        }
        if (DeclaresHugeImage(static_cast<const Byte*>(stream->Memory()), dataSize)) {
            Warn("The image of skin entry \"" + name + "\" is larger than 4096 x 4096 pixels");
            return true;
        }
        imageBytes += dataSize;
        stream->SetPosition(0);
        images_.push_back({name, std::move(stream)});
        return true;
    }
    case skeInteger: {
        Byte value[4];
        if (dataSize != 4) {
            Warn("Skin entry \"" + name + "\" is no 4-byte integer");
            return true;
        }
        if (!ReadAt(Stream, dataOffset, value, 4)) return false;
        integers_.push_back({name, int(std::int32_t(ReadLE32(value)))});
        return true;
    }
    case skeBoolean: {
        Byte value = 0;
        if (dataSize < 1) {
            Warn("Skin entry \"" + name + "\" holds no boolean");
            return true;
        }
        if (!ReadAt(Stream, dataOffset, &value, 1)) return false;
        booleans_.push_back({name, value});
        return true;
    }
    default: {
        if (dataSize > kMaxStringSize) {
            Warn("The text of skin entry \"" + name + "\" is too long");
            return true;
        }
        String text(size_t(dataSize), '\0');
        if (dataSize > 0 && !ReadAt(Stream, dataOffset, text.data(), dataSize)) return false;
        strings_.push_back({name, std::move(text)});
        return true;
    }
    }
}

TStream* TskThemeFileReader::GetBitmapStream(const String& Key) {
    auto* e = FindEntry(images_, Key);
    if (!e) return nullptr;
    e->value->SetPosition(0);
    return e->value.get();
}

bool TskThemeFileReader::FindInteger(const String& Key, int& Value) const {
    auto* e = FindEntry(integers_, Key);
    if (!e) return false;
    Value = e->value;
    return true;
}

int TskThemeFileReader::GetInteger(const String& Key) const {
    int value = -1;
    return FindInteger(Key, value) ? value : -1;
}

bool TskThemeFileReader::GetBool(const String& Key) const {
    auto* e = FindEntry(booleans_, Key);
    return e && e->value != 0;
}

bool TskThemeFileReader::FindString(const String& Key, String& Value) const {
    auto* e = FindEntry(strings_, Key);
    if (!e) return false;
    Value = e->value;
    return true;
}
