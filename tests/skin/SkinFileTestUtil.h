#pragma once
// Skin files built in the tests: a 24-byte header and a chain of 77-byte entries, each
// entry's data right after it, the chain ended by a dummy entry whose next offset is 0.
#include "framework/Bitmap.h"
#include "rtl/Stream.h"
#include "rtl/Types.h"
#include "skin/SKThemes.h"

#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace skin_test {

struct SkinEntry {
    std::string name;
    Byte kind = 1; // 0 image, 1 integer, 2 boolean, 3 string
    std::vector<Byte> data;
};

inline std::vector<Byte> IntData(std::int32_t v) {
    std::vector<Byte> d(4);
    std::memcpy(d.data(), &v, 4); // little-endian host
    return d;
}

class SkinFileWriter {
public:
    SkinFileWriter& Int(const std::string& name, std::int32_t v) {
        return Add({name, 1, IntData(v)});
    }
    SkinFileWriter& Bool(const std::string& name, Byte v) { return Add({name, 2, {v}}); }
    SkinFileWriter& Text(const std::string& name, const std::string& v) {
        return Add({name, 3, std::vector<Byte>(v.begin(), v.end())});
    }
    SkinFileWriter& Image(const std::string& name, const std::vector<Byte>& bmp) {
        return Add({name, 0, bmp});
    }
    SkinFileWriter& Add(SkinEntry e) {
        entries_.push_back(std::move(e));
        return *this;
    }

    // Header, then per entry: the 77 bytes, then its data; the dummy entry last.
    std::vector<Byte> Bytes() const {
        std::vector<Byte> out(12, 0); // the magic, zero-filled to its 12 bytes
        std::memcpy(out.data(), "SkinPak_TB", 10);
        Put32(out, 24);
        Put32(out, 0);
        Put32(out, 24);
        for (const SkinEntry& e : entries_) {
            const std::uint32_t at = std::uint32_t(out.size());
            const std::uint32_t dataAt = at + 77;
            const std::uint32_t next = dataAt + std::uint32_t(e.data.size());
            PutEntry(out, e.name, e.kind, dataAt, std::uint32_t(e.data.size()), next);
            out.insert(out.end(), e.data.begin(), e.data.end());
        }
        PutEntry(out, "", 0, 0, 0, 0);
        return out;
    }

    static void Put32(std::vector<Byte>& out, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out.push_back(Byte(v >> (8 * i)));
    }
    static void Set32(std::vector<Byte>& out, size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out[at + size_t(i)] = Byte(v >> (8 * i));
    }
    static void PutEntry(std::vector<Byte>& out, const std::string& name, Byte kind,
                         std::uint32_t dataAt, std::uint32_t size, std::uint32_t next) {
        char field[64] = {};
        std::memcpy(field, name.data(), std::min<size_t>(name.size(), 64));
        out.insert(out.end(), field, field + 64);
        out.push_back(kind);
        Put32(out, dataAt);
        Put32(out, size);
        Put32(out, next);
    }

    // Where entry i begins in Bytes(), and its fields.
    static size_t EntryAt(const std::vector<Byte>& file, int i) {
        size_t at = 24;
        for (int k = 0; k < i; ++k) {
            std::uint32_t next = 0;
            std::memcpy(&next, &file[at + 73], 4);
            at = next;
        }
        return at;
    }
    static constexpr size_t kKind = 64, kDataOffset = 65, kDataSize = 69, kNext = 73;

private:
    std::vector<SkinEntry> entries_;
};

// A bitmap as the bytes of a BMP file.
inline std::vector<Byte> BmpBytes(TBitmap* b) {
    TMemoryStream s;
    b->SaveToStream(s);
    return std::vector<Byte>(s.Memory(), s.Memory() + s.Size());
}

// Every theme item of a built-in style, after what the writer already holds (the first entry of
// a key wins, so those override the style's).
inline std::vector<Byte> SkinFileOfStyle(TskUIStyle Style, SkinFileWriter w = SkinFileWriter()) {
    for (int item = 1; item <= kThemeItemCount; ++item) {
        const std::string key = ThemeItemKeys[item];
        switch (ThemeItemKindOf(item)) {
        case tkThemeImage: {
            auto b = MakeObject<TBitmap>();
            LoadBuiltinThemeBitmap(Style, item, b.get());
            w.Image(key, BmpBytes(b.get()));
            break;
        }
        case tkThemeBool:
            w.Bool(key, GetBuiltinThemeBool(Style, item) ? 1 : 0);
            break;
        case tkThemeColor:
            w.Int(key, std::int32_t(GetBuiltinThemeColor(Style, item)));
            break;
        default:
            w.Int(key, GetBuiltinThemeInt(Style, item));
            break;
        }
    }
    return w.Bytes();
}

inline void WriteFile(const std::string& path, const std::vector<Byte>& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

} // namespace skin_test
