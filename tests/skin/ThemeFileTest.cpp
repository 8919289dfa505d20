#include "SkinFileTestUtil.h"
#include "SkinTestUtil.h"

#include "skin/SKEdit.h"
#include "skin/SKThemeFile.h"
#include "support/TempFolder.h"

#include <cstdlib>
#include <filesystem>

namespace {

using skin_test::SkinFileWriter;
namespace fs = std::filesystem;

// Writes the bytes to a file in the folder; gives its name.
std::string Write(const test_support::TempFolder& dir, const std::string& name,
                  const std::vector<Byte>& bytes) {
    skin_test::WriteFile(dir.File(name), bytes);
    return dir.File(name);
}

std::vector<Byte> BmpOf(int w, int h, TColor c) {
    ObjectPtr<TBitmap> b = skin_test::SolidBitmap(w, h, c);
    b->SetPixelFormat(pf24bit);
    TMemoryStream s;
    b->SaveToStream(s);
    return std::vector<Byte>(s.Memory(), s.Memory() + s.Size());
}

TskThemeFileReader Read(const std::vector<Byte>& bytes) {
    TMemoryStream s;
    if (!bytes.empty()) s.WriteBuffer(bytes.data(), Int64(bytes.size()));
    return TskThemeFileReader(s);
}

TEST(SkinFile, MagicDecidesValidity) {
    test_support::TempFolder dir{"korvid-skin-"};
    auto bytes = [](const std::string& s) { return std::vector<Byte>(s.begin(), s.end()); };
    struct Case {
        std::vector<Byte> content;
        bool valid;
    };
    const Case cases[] = {
        {bytes(std::string("SkinPak_TB\0\0", 12) + "rest of it"), true},
        {bytes(std::string("SkinPak_TB\0", 11)), true},
        {bytes(std::string("skinpak_tb\0\0", 12)), false},
        {bytes(std::string("SkinPak_TBx\0", 12)), false},
        {bytes("SkinPak_TB"), false}, // ten bytes: the zero byte was never read
        {bytes("SkinPak_TBSkinPak_TB"), false},
        {{}, false},
    };
    int i = 0;
    for (const Case& c : cases) {
        std::string path = Write(dir, "f" + std::to_string(i++), c.content);
        EXPECT_EQ(IsValidSkinFile(path), c.valid) << i;
    }
    EXPECT_FALSE(IsValidSkinFile(dir.File("missing")));
    fs::create_directories(dir.File("a folder.skn"));
    EXPECT_FALSE(IsValidSkinFile(dir.File("a folder.skn")));
}

TEST(SkinFile, ChainStoresEveryEntryBeforeTheTerminator) {
    SkinFileWriter w;
    w.Int("FormRoundCornerInt", -5)
        .Bool("ButtonTransparentBool", 2)
        .Bool("Zero", 0)
        .Text("Title", "Dark=Blue");
    w.Int("FormRoundCornerInt", 99); // a second entry of the same key: the first wins
    TskThemeFileReader r = Read(w.Bytes());
    EXPECT_TRUE(r.HeaderValid());
    EXPECT_TRUE(r.Warning().empty()) << r.Warning();
    EXPECT_EQ(r.GetInteger("FormRoundCornerInt"), -5);
    EXPECT_EQ(r.GetInteger("formroundcornerint"), -5) << "keys compare without regard to case";
    EXPECT_EQ(r.GetInteger("Missing"), -1);
    EXPECT_TRUE(r.GetBool("ButtonTransparentBool")) << "any byte but 0 is true";
    EXPECT_FALSE(r.GetBool("Zero"));
    EXPECT_FALSE(r.GetBool("Missing"));
    String text;
    EXPECT_TRUE(r.FindString("title", text));
    EXPECT_EQ(text, "Dark=Blue");
    EXPECT_EQ(r.IntegerCount(), 2);
}

TEST(SkinFile, TheLastEntryCarriesNothingAndUnknownKindsAreSkipped) {
    // A -> B -> C with C's next offset 0: A and B are stored, C is not.
    SkinFileWriter w;
    w.Int("A", 1).Add({"Odd", 7, {1, 2, 3}}).Int("B", 2);
    std::vector<Byte> file = w.Bytes();
    const size_t dummy = SkinFileWriter::EntryAt(file, 3);
    std::memcpy(&file[dummy], "C\0", 2);
    file[dummy + SkinFileWriter::kKind] = 1;
    TskThemeFileReader r = Read(file);
    EXPECT_EQ(r.GetInteger("A"), 1);
    EXPECT_EQ(r.GetInteger("B"), 2) << "the chain went on past the entry of kind 7";
    EXPECT_EQ(r.GetInteger("C"), -1);
    EXPECT_EQ(r.IntegerCount(), 2);
}

TEST(SkinFile, ImageStreamsStartAtZeroEveryTime) {
    SkinFileWriter w;
    w.Image("ButtonImage", BmpOf(6, 2, clRed));
    TskThemeFileReader r = Read(w.Bytes());
    TStream* s = r.GetBitmapStream("BUTTONIMAGE");
    ASSERT_NE(s, nullptr);
    Byte buffer[4096];
    const Int64 size = s->Read(buffer, sizeof buffer);
    EXPECT_GT(size, 54);
    EXPECT_EQ(r.GetBitmapStream("ButtonImage")->Position(), 0);
    ObjectPtr<TBitmap> b = MakeObject<TBitmap>();
    b->LoadFromStream(*r.GetBitmapStream("ButtonImage"));
    EXPECT_EQ(b->Width(), 6);
    EXPECT_EQ(r.GetBitmapStream("Other"), nullptr);
}

// Damaged files: reading stops at the first bad entry, keeps what came before, says why,
// and never reads or allocates beyond what the file holds.
TEST(SkinFile, DamagedFilesStopAtTheFirstBadEntry) {
    SkinFileWriter w;
    w.Int("First", 1).Int("Second", 2).Image("Third", BmpOf(2, 2, clBlue)).Int("Fourth", 4);
    const std::vector<Byte> good = w.Bytes();
    struct Case {
        const char* what;
        std::function<void(std::vector<Byte>&)> damage;
        int integersKept;
        bool headerValid;
    };
    auto entry = [&](const std::vector<Byte>& f, int i) { return SkinFileWriter::EntryAt(f, i); };
    const Case cases[] = {
        {"first entry beyond the end", [](auto& f) { SkinFileWriter::Set32(f, 20, 0x7FFFFFF0); }, 0,
         true},
        {"first entry cut short",
         [](auto& f) { SkinFileWriter::Set32(f, 20, std::uint32_t(f.size() - 10)); }, 0, true},
        {"data beyond the end",
         [&](auto& f) {
             SkinFileWriter::Set32(f, entry(f, 1) + SkinFileWriter::kDataOffset, 0xFFFFFFF0);
         },
         1, true},
        {"size beyond the end",
         [&](auto& f) {
             SkinFileWriter::Set32(f, entry(f, 2) + SkinFileWriter::kDataSize, 0xFFFFFFFF);
         },
         2, true},
        {"next entry points back",
         [&](auto& f) { SkinFileWriter::Set32(f, entry(f, 1) + SkinFileWriter::kNext, 24); }, 2,
         true},
        {"next entry points at itself",
         [&](auto& f) {
             SkinFileWriter::Set32(f, entry(f, 3) + SkinFileWriter::kNext,
                                   std::uint32_t(entry(f, 3)));
         },
         3, true},
        {"file cut in the third entry's data", [&](auto& f) { f.resize(entry(f, 2) + 80); }, 2,
         true},
        {"header cut short", [](auto& f) { f.resize(20); }, 0, false},
        {"no magic", [](auto& f) { f[0] = 'X'; }, 0, false},
        {"magic without its zero byte",
         [](auto& f) {
             f[10] = 'X';
             f[11] = 'Y';
         },
         0, false},
    };
    for (const Case& c : cases) {
        std::vector<Byte> file = good;
        c.damage(file);
        TskThemeFileReader r = Read(file);
        EXPECT_EQ(r.HeaderValid(), c.headerValid) << c.what;
        EXPECT_EQ(r.IntegerCount(), c.integersKept) << c.what;
        EXPECT_FALSE(r.Warning().empty()) << c.what;
        if (c.integersKept >= 1) {
            EXPECT_EQ(r.GetInteger("First"), 1) << c.what;
        }
    }
    // A header that states another size is read as its 24 bytes all the same.
    std::vector<Byte> odd = good;
    SkinFileWriter::Set32(odd, 12, 100000);
    EXPECT_EQ(Read(odd).IntegerCount(), 3);
    EXPECT_EQ(Read(good).ImageCount(), 1);
}

TEST(SkinFile, EmptyImagesAndOddlySizedValuesAreLeftOut) {
    SkinFileWriter w;
    w.Add({"EmptyImage", 0, {}})
        .Add({"ShortInt", 1, {1, 2}})
        .Add({"LongInt", 1, {1, 0, 0, 0, 9}})
        .Add({"NoBool", 2, {}});
    w.Int("After", 7);
    TskThemeFileReader r = Read(w.Bytes());
    EXPECT_EQ(r.GetBitmapStream("EmptyImage"), nullptr);
    EXPECT_EQ(r.GetInteger("ShortInt"), -1);
    EXPECT_EQ(r.GetInteger("LongInt"), -1);
    EXPECT_FALSE(r.GetBool("NoBool"));
    EXPECT_EQ(r.GetInteger("After"), 7) << "the chain goes on";
    EXPECT_FALSE(r.Warning().empty());
}

TEST(SkinFile, ImagesDeclaringMoreThan4096PixelsASideAreRefused) {
    // A bitmap header says how large the picture is, whatever its bytes hold: an RLE picture
    // of 16384 x 16384 would take 256 MiB once decoded.
    auto patched = [](int w, int h, bool core, int compression) {
        std::vector<Byte> bmp = BmpOf(8, 8, clRed);
        if (core) {
            SkinFileWriter::Set32(bmp, 14, 12);
            bmp[18] = Byte(w);
            bmp[19] = Byte(w >> 8);
            bmp[20] = Byte(h);
            bmp[21] = Byte(h >> 8);
        } else {
            SkinFileWriter::Set32(bmp, 18, std::uint32_t(w));
            SkinFileWriter::Set32(bmp, 22, std::uint32_t(h));
            SkinFileWriter::Set32(bmp, 30, std::uint32_t(compression));
        }
        return bmp;
    };
    struct Case {
        const char* what;
        std::vector<Byte> bmp;
        bool kept;
    };
    const Case cases[] = {
        {"RLE 16384 x 16384", patched(16384, 16384, false, 1), false},
        {"4097 wide", patched(4097, 8, false, 0), false},
        {"top-down 5000 high", patched(8, -5000, false, 0), false},
        {"core header 5000 wide", patched(5000, 8, true, 0), false},
        {"an ordinary picture", BmpOf(8, 8, clRed), true},
    };
    for (const Case& c : cases) {
        SkinFileWriter w;
        w.Image("ButtonImage", c.bmp).Int("After", 7);
        TskThemeFileReader r = Read(w.Bytes());
        EXPECT_EQ(r.GetBitmapStream("ButtonImage") != nullptr, c.kept) << c.what;
        EXPECT_EQ(r.Warning().empty(), c.kept) << c.what;
        EXPECT_EQ(r.GetInteger("After"), 7) << c.what << ": the chain goes on";
    }
}

class FileThemeTest : public skin_test::SkinFixture {
protected:
    std::string WriteSkin(const std::string& name, SkinFileWriter& w) {
        return Write(dir_, name, w.Bytes());
    }
    test_support::TempFolder dir_{"korvid-skin-"};
};

TEST_F(FileThemeTest, LoadedSkinAnswersAndMissingItemsAreDeepBlue) {
    SkinFileWriter w;
    w.Int("FormBackgroundColor", 0x00123456)
        .Int("FormMinWidthInt", 222)
        .Bool("ButtonTransparentBool", 1);
    w.Image("CheckBoxImage", BmpOf(40, 10, clRed));
    auto* theme = CreateComponent<TskFileTheme>(form_);
    EXPECT_FALSE(theme->IsLoaded());
    const std::string path = WriteSkin("look.skn", w);
    theme->SetThemeFile(path);
    EXPECT_TRUE(theme->IsLoaded());
    EXPECT_EQ(theme->ThemeFile(), path);
    EXPECT_EQ(theme->GetColor(tiFormBackgroundColor), 0x00123456);
    EXPECT_EQ(theme->GetInt(tiFormMinWidthInt), 222);
    EXPECT_TRUE(theme->GetBool(tiButtonTransparentBool));
    // What the skin lacks: DeepBlue's values, never -1.
    EXPECT_EQ(theme->GetColor(tiControlBorderColor), 0);
    EXPECT_EQ(theme->GetColor(tiScrollBarBackgroundColor), 0x00F5F5F5);
    EXPECT_EQ(theme->GetInt(tiFormBorderWidthInt), 1);
    EXPECT_FALSE(theme->GetBool(tiTitleBarButtonTransparentBool));
    ObjectPtr<TBitmap> piece = MakeObject<TBitmap>();
    theme->GetSlicedBitmap(tiCheckBoxImage, piece.get(), 4, 2);
    EXPECT_EQ(piece->Width(), 10);
    EXPECT_EQ(skin_test::PixelOf(piece.get(), 3, 3), clRed);
    theme->GetSlicedBitmap(tiRadioButtonImage, piece.get(), 4, 1);
    EXPECT_EQ(piece->Width(), 13) << "DeepBlue's radio piece";
    // Through the dispatch, for a control set to FromThemeFile.
    EXPECT_EQ(SkinColor(theme, FromThemeFile, tiFormBackgroundColor), 0x00123456);
    EXPECT_EQ(SkinColor(theme, Protein, tiFormBackgroundColor), 0x00FBFBFB);
}

TEST_F(FileThemeTest, PicturesComeFromTheSkinLoadedLast) {
    // Pictures are kept once decoded; another skin file brings its own.
    auto* theme = CreateComponent<TskFileTheme>(form_);
    auto picture = MakeObject<TBitmap>();
    for (TColor c : {clRed, clLime, clBlue}) {
        SkinFileWriter w;
        w.Image("ButtonImage", BmpOf(30, 10, c));
        theme->SetThemeFile(WriteSkin(std::to_string(c) + ".skn", w));
        for (int twice = 0; twice < 2; ++twice) {
            ASSERT_TRUE(theme->GetBitmap(tiButtonImage, picture.get()));
            EXPECT_EQ(skin_test::PixelOf(picture.get(), 2, 2), c);
            theme->GetSlicedBitmap(tiButtonImage, picture.get(), 3, 2);
            EXPECT_EQ(picture->Width(), 10);
            EXPECT_EQ(skin_test::PixelOf(picture.get(), 2, 2), c);
        }
    }
    // One that lacks the picture: the graphic is left as it was.
    theme->SetThemeFile(WriteSkin("none.skn", SkinFileWriter().Int("FormMinWidthInt", 200)));
    EXPECT_FALSE(theme->GetBitmap(tiButtonImage, picture.get()));
    EXPECT_EQ(skin_test::PixelOf(picture.get(), 2, 2), clBlue);
}

TEST_F(FileThemeTest, BadNamesChangeNothingAndBadFilesRaise) {
    SkinFileWriter w;
    w.Int("FormMinWidthInt", 300);
    auto* theme = CreateComponent<TskFileTheme>(form_);
    const std::string path = WriteSkin("first.skn", w);
    theme->SetThemeFile(path);
    ASSERT_TRUE(theme->IsLoaded());
    theme->SetThemeFile("");
    theme->SetThemeFile(dir_.File("nowhere.skn"));
    fs::create_directories(dir_.File("folder.skn"));
    theme->SetThemeFile(dir_.File("folder.skn"));
    EXPECT_EQ(theme->ThemeFile(), path) << "a folder is never taken for a skin file";
    const std::string notSkin =
        Write(dir_, "plain.txt", {'h', 'e', 'l', 'l', 'o', 0, 0, 0, 0, 0, 0, 0});
    try {
        theme->SetThemeFile(notSkin);
        ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Invalid skin file for SkinPak!");
    }
    EXPECT_EQ(theme->ThemeFile(), path);
    EXPECT_EQ(theme->GetInt(tiFormMinWidthInt), 300);
}

TEST_F(FileThemeTest, AReloadThatFailsKeepsTheSkinBefore) {
    SkinFileWriter w;
    w.Int("FormMinWidthInt", 300);
    auto* theme = CreateComponent<TskFileTheme>(form_);
    String warned;
    theme->OnWarning = [&](TObject*, const String& text) { warned = text; };
    const std::string path = WriteSkin("good.skn", w);
    theme->SetThemeFile(path);
    // The magic and its zero byte, but not the whole header.
    const std::string cut =
        Write(dir_, "cut.skn", {'S', 'k', 'i', 'n', 'P', 'a', 'k', '_', 'T', 'B', 0, 0, 24});
    theme->SetThemeFile(cut);
    EXPECT_TRUE(theme->IsLoaded());
    EXPECT_EQ(theme->ThemeFile(), path);
    EXPECT_EQ(theme->GetInt(tiFormMinWidthInt), 300);
    EXPECT_FALSE(warned.empty());
    EXPECT_EQ(theme->LastWarning(), warned);
    // A damaged chain loads what comes before the damage and says so.
    std::vector<Byte> bytes =
        SkinFileWriter().Int("FormMinWidthInt", 310).Int("FormBorderWidthInt", 4).Bytes();
    SkinFileWriter::Set32(bytes, SkinFileWriter::EntryAt(bytes, 1) + SkinFileWriter::kDataOffset,
                          0xFFFFFF00);
    warned.clear();
    theme->SetThemeFile(Write(dir_, "damaged.skn", bytes));
    EXPECT_EQ(theme->GetInt(tiFormMinWidthInt), 310);
    EXPECT_EQ(theme->GetInt(tiFormBorderWidthInt), 1) << "DeepBlue's";
    EXPECT_FALSE(warned.empty());
}

TEST_F(FileThemeTest, BareNamesAreFoundInTheUsersDataFolder) {
    const char* old = std::getenv("XDG_DATA_HOME");
    const std::string saved = old ? old : "";
    ::setenv("XDG_DATA_HOME", dir_.File("data").c_str(), 1);
    fs::create_directories(dir_.File("data/korvid/skins"));
    SkinFileWriter w;
    w.Int("FormMinWidthInt", 444);
    skin_test::WriteFile(dir_.File("data/korvid/skins/found.skn"), w.Bytes());
    auto* theme = CreateComponent<TskFileTheme>(form_);
    theme->SetThemeFile("elsewhere/found.skn");
    EXPECT_EQ(theme->ThemeFile(), dir_.File("data/korvid/skins/found.skn"));
    EXPECT_EQ(theme->GetInt(tiFormMinWidthInt), 444);
    // The same bare name again loads again: the stored text is the full path.
    skin_test::WriteFile(dir_.File("data/korvid/skins/found.skn"),
                         SkinFileWriter().Int("FormMinWidthInt", 445).Bytes());
    theme->SetThemeFile("found.skn");
    EXPECT_EQ(theme->GetInt(tiFormMinWidthInt), 445);
    if (old)
        ::setenv("XDG_DATA_HOME", saved.c_str(), 1);
    else
        ::unsetenv("XDG_DATA_HOME");
}

TEST_F(FileThemeTest, LoadingReachesTheControlsThatUseTheTheme) {
    auto* theme = CreateComponent<TskFileTheme>(form_);
    auto* edit = CreateComponent<TskEdit>(form_);
    edit->SetParent(form_);
    edit->SetUIStyle(FromThemeFile);
    edit->SetFileTheme(theme);
    auto* other = CreateComponent<TskEdit>(form_);
    other->SetParent(form_);
    other->SetUIStyle(FromThemeFile);
    EXPECT_EQ(edit->BorderColor(), 0) << "not loaded: DeepBlue";
    SkinFileWriter w;
    w.Int("ControlBorderColor", 0x00ABCDEF);
    theme->SetThemeFile(WriteSkin("edit.skn", w));
    EXPECT_EQ(edit->BorderColor(), 0x00ABCDEF) << "the theme gave itself to its controls again";
    EXPECT_EQ(other->BorderColor(), 0) << "a control without the theme is left alone";
    edit->SetBorderColor(clRed);
    edit->SetFileTheme(theme);
    EXPECT_EQ(edit->BorderColor(), 0x00ABCDEF)
        << "assigning the same theme again re-applies the style";
    theme->Free();
    EXPECT_EQ(edit->FileTheme(), nullptr);
    EXPECT_EQ(edit->UIStyle(), DeepBlue);
}

} // namespace
