#pragma once
// Skin files: a 24-byte header beginning with the magic "SkinPak_TB", then a chain of 77-byte
// entries (name, kind, data offset, data size, next-entry offset; little-endian), each naming
// one theme value: a BMP file image, a 32-bit integer (numbers and colours), a boolean byte
// or a string. The entry whose next-entry offset is 0 ends the chain and carries no value.
//
// The reader trusts nothing in the file: every offset and size is checked against the
// file's size, sizes are capped, a chain that comes back to an entry it has seen ends, and
// reading stops at the first entry that breaks these rules, keeping what came before it.
#include "rtl/Stream.h"
#include "rtl/Types.h"

#include <memory>
#include <vector>

constexpr int kSkinHeaderSize = 24;
constexpr int kSkinEntrySize = 77;
constexpr int kSkinNameSize = 64;
extern const char* const kSkinMagic; // "SkinPak_TB"

enum SkinEntryKind : Byte { skeImage = 0, skeInteger = 1, skeBoolean = 2, skeString = 3 };

// Whether the file begins with the magic and its terminating zero byte. Never raises.
bool IsValidSkinFile(const String& FileName);

class TskThemeFileReader {
public:
    // Opens and parses the file; a file that cannot be opened raises EFOpenError.
    explicit TskThemeFileReader(const String& FileName);
    // Parses a skin held in a stream.
    explicit TskThemeFileReader(TStream& Stream);
    ~TskThemeFileReader();
    TskThemeFileReader(const TskThemeFileReader&) = delete;
    TskThemeFileReader& operator=(const TskThemeFileReader&) = delete;

    // Parses the file again into empty lists.
    void LoadFromFile(const String& FileName);
    // Parses a skin held in memory (what LoadFromFile does once the file is open).
    void LoadFromStream(TStream& Stream);

    // Whether the magic and the whole header were there; without them nothing was read.
    bool HeaderValid() const { return headerValid_; }
    // The first problem met while reading (empty when there was none), for the user.
    const String& Warning() const { return warning_; }

    // The image data of the first image entry named Key (names compare without regard to
    // case), positioned at 0; nullptr when there is none. The stream stays the reader's.
    TStream* GetBitmapStream(const String& Key);
    // The first integer entry named Key; -1 when there is none.
    int GetInteger(const String& Key) const;
    bool FindInteger(const String& Key, int& Value) const;
    // The first boolean entry named Key is true when its byte is not 0; false when absent.
    bool GetBool(const String& Key) const;
    bool FindString(const String& Key, String& Value) const;

    int ImageCount() const { return static_cast<int>(images_.size()); }
    int IntegerCount() const { return static_cast<int>(integers_.size()); }
    int BooleanCount() const { return static_cast<int>(booleans_.size()); }
    int StringCount() const { return static_cast<int>(strings_.size()); }

private:
    template <class T> struct Entry {
        String name;
        T value;
    };
    void Clear();
    void Warn(const String& text);
    bool ParseEntry(TStream& Stream, Int64 fileSize, Int64 offset, Int64& next, Int64& imageBytes);

    std::vector<Entry<std::unique_ptr<TMemoryStream>>> images_;
    std::vector<Entry<int>> integers_;
    std::vector<Entry<Byte>> booleans_;
    std::vector<Entry<String>> strings_;
    bool headerValid_ = false;
    String warning_;
};
