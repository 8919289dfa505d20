#include "rtl/Files.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// A fresh folder per test, removed afterwards.
class Files : public ::testing::Test {
protected:
    String Path(const String& name) const { return (root_ / name).string(); }
    void Touch(const String& name) const { std::ofstream(Path(name)) << "x"; }

    std::vector<String> List(const String& pattern, int attr = 0) const {
        std::vector<String> names;
        TSearchRec rec;
        if (FindFirst(Path(pattern), attr, rec) == 0) {
            do
                names.push_back(rec.Name);
            while (FindNext(rec) == 0);
            FindClose(rec);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    test_support::TempFolder folder_{"korvid-files-"};
    const std::filesystem::path root_ = folder_.Path();
};

using Names = std::vector<String>;

} // namespace

TEST(Paths, SplitAndChangeExtension) {
    struct Case {
        const char* name;
        const char* path;
        const char* file;
        const char* ext;
        const char* gif;
    } cases[] = {
        {"/a/b/clip.avi", "/a/b/", "clip.avi", ".avi", "/a/b/clip.gif"},
        {"a.b.avi", "", "a.b.avi", ".avi", "a.b.gif"},
        {"dir.x/name", "dir.x/", "name", "", "dir.x/name.gif"},
        {"/root", "/", "root", "", "/root.gif"},
        {"folder/", "folder/", "", "", "folder/.gif"},
        {"", "", "", "", ".gif"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ExtractFilePath(c.name), c.path);
        EXPECT_EQ(ExtractFileName(c.name), c.file);
        EXPECT_EQ(ExtractFileExt(c.name), c.ext);
        EXPECT_EQ(ChangeFileExt(c.name, ".gif"), c.gif);
    }
    EXPECT_EQ(ExtractFileDir("/a/b/c"), "/a/b");
    EXPECT_EQ(ExtractFileDir("/c"), "/");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/a"), "/a/");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/a/"), "/a/");
    EXPECT_EQ(ExcludeTrailingPathDelimiter("/a/"), "/a");
    EXPECT_EQ(ExcludeTrailingPathDelimiter("/"), "/");
}

TEST(Paths, MasksMatchStarAndQuestionMark) {
    struct Case {
        const char* name;
        const char* mask;
        bool match;
    } cases[] = {
        {"clip.avi", "*.avi", true},
        {"clip.AVI", "*.avi", true},
        {"clip.avi.bak", "*.avi", false},
        {"a.avi", "?.avi", true},
        {"ab.avi", "?.avi", false},
        {"noext", "*.*", true},
        {"abc", "a*c", true},
        {"a*bc", "a*c", true},
        {"abcbd", "a*b?", true},
        {"abcbd", "a*bc", false},
        {"", "*", true},
        {"x", "", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MatchesMask(c.name, c.mask), c.match) << c.name << " " << c.mask;
}

TEST(Paths, ProgramAndCurrentFolder) {
    String program = ProgramFileName();
    ASSERT_FALSE(program.empty());
    EXPECT_TRUE(FileExists(program));
    EXPECT_EQ(ProgramFolder(), ExtractFilePath(program));
    EXPECT_EQ(ProgramFolder().back(), PathDelim);
    EXPECT_EQ(GetCurrentDir(), std::filesystem::current_path().string());
    EXPECT_EQ(ExpandFileName("/a/./b/../c"), "/a/c");
}

TEST_F(Files, ExistsTellsFilesFromFolders) {
    Touch("f.txt");
    std::filesystem::create_directory(root_ / "d");
    EXPECT_TRUE(FileExists(Path("f.txt")));
    EXPECT_FALSE(FileExists(Path("d")));
    EXPECT_FALSE(FileExists(Path("missing")));
    EXPECT_FALSE(FileExists(""));
    EXPECT_TRUE(DirectoryExists(Path("d")));
    EXPECT_FALSE(DirectoryExists(Path("f.txt")));
    EXPECT_EQ(FileSizeOf(Path("f.txt")), 1);
    EXPECT_EQ(FileSizeOf(Path("d")), -1);
}

TEST_F(Files, CreateForceAndDelete) {
    EXPECT_TRUE(CreateDir(Path("one")));
    EXPECT_FALSE(CreateDir(Path("one")));       // already there
    EXPECT_FALSE(CreateDir(Path("two/three"))); // parent missing
    EXPECT_TRUE(ForceDirectories(Path("two/three/four/")));
    EXPECT_TRUE(DirectoryExists(Path("two/three/four")));
    EXPECT_TRUE(ForceDirectories(Path("two/three"))); // existing is fine
    Touch("file");
    EXPECT_FALSE(ForceDirectories(Path("file/sub"))); // a file is in the way
    EXPECT_FALSE(ForceDirectories(""));

    EXPECT_TRUE(DeleteFile(Path("file")));
    EXPECT_FALSE(FileExists(Path("file")));
    EXPECT_FALSE(DeleteFile(Path("file")));
    EXPECT_FALSE(DeleteFile(Path("one"))); // folders are not files
    EXPECT_TRUE(DirectoryExists(Path("one")));
}

TEST_F(Files, RenameRefusesToOverwrite) {
    Touch("a");
    Touch("b");
    EXPECT_FALSE(RenameFile(Path("a"), Path("b")));
    EXPECT_TRUE(FileExists(Path("a")));
    EXPECT_TRUE(RenameFile(Path("a"), Path("c")));
    EXPECT_FALSE(FileExists(Path("a")));
    EXPECT_TRUE(FileExists(Path("c")));
}

TEST_F(Files, FindListsMatchingNormalFiles) {
    for (const char* name : {"a.avi", "b.AVI", "c.gif", "ab.avi", ".hidden.avi"})
        Touch(name);
    std::filesystem::create_directory(root_ / "sub.avi");
    ::mkfifo(Path("pipe.avi").c_str(), 0600);

    EXPECT_EQ(List("*.avi"), (Names{"a.avi", "ab.avi", "b.AVI"}));
    EXPECT_EQ(List("?.avi"), (Names{"a.avi", "b.AVI"}));
    EXPECT_EQ(List("*.avi", faAnyFile),
              (Names{".hidden.avi", "a.avi", "ab.avi", "b.AVI", "sub.avi"}));
    EXPECT_EQ(List("*.png"), Names{});

    TSearchRec rec;
    EXPECT_NE(FindFirst(Path("*.png"), faAnyFile, rec), 0);
    EXPECT_EQ(rec.FindHandle, nullptr); // nothing to close
    EXPECT_NE(FindFirst(Path("nowhere/*"), faAnyFile, rec), 0);
    ASSERT_EQ(FindFirst(Path("c.gif"), faAnyFile, rec), 0);
    EXPECT_EQ(rec.Name, "c.gif");
    EXPECT_EQ(rec.Size, 1);
    EXPECT_FALSE(rec.Attr & faDirectory);
    EXPECT_NE(FindNext(rec), 0);
    FindClose(rec);
    EXPECT_NE(FindNext(rec), 0); // after FindClose: no more, no crash
}
