#include "rtl/Stream.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <limits>
#include <unistd.h>

TEST(MemoryStream, WriteSeekReadAndShortReads) {
    TMemoryStream s;
    s.WriteBuffer("abcdef", 6);
    EXPECT_EQ(s.Size(), 6);
    EXPECT_EQ(s.Seek(-2, soEnd), 4);
    char buf[8] = {};
    EXPECT_EQ(s.Read(buf, 8), 2);
    EXPECT_STREQ(buf, "ef");
    s.SetPosition(5);
    EXPECT_THROW(s.ReadBuffer(buf, 2), EReadError);
    // Writing past the end grows the stream.
    s.SetPosition(8);
    s.WriteBuffer("x", 1);
    EXPECT_EQ(s.Size(), 9);
}

TEST(FileStream, CreateOpenAndCopy) {
    test_support::TempFolder folder("korvid-stream-");
    const std::filesystem::path& dir = folder.Path();
    String name = (dir / "a.bin").string();
    {
        TFileStream f(name, fmCreate);
        f.WriteBuffer("hello world", 11);
    }
    TFileStream f(name, fmOpenRead | fmShareDenyWrite);
    EXPECT_EQ(f.Size(), 11);
    TMemoryStream m;
    m.CopyFrom(f, 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(m.Memory()), 11), "hello world");
    EXPECT_THROW(TFileStream((dir / "missing").string(), fmOpenRead), EFOpenError);
    EXPECT_THROW(TFileStream((dir / "no/such/dir/x").string(), fmCreate), EFCreateError);
}

TEST(Stream, SeekOriginsAndPositions) {
    TMemoryStream s;
    s.WriteBuffer("0123456789", 10);
    struct Case {
        Int64 offset;
        TSeekOrigin origin;
        Int64 position;
    } cases[] = {
        {3, soBeginning, 3}, {2, soCurrent, 5}, {-1, soCurrent, 4},
        {0, soEnd, 10},      {-10, soEnd, 0},   {-5, soBeginning, 0}, // never before the start
    };
    for (const Case& c : cases) {
        EXPECT_EQ(s.Seek(c.offset, c.origin), c.position);
        EXPECT_EQ(s.Position(), c.position);
    }
    s.SetSize(4);
    EXPECT_EQ(s.Size(), 4);
    s.SetPosition(2);
    char two[2];
    EXPECT_EQ(s.Read(two, 5), 2);
    EXPECT_EQ(String(two, 2), "23");
}

TEST(Stream, BadCountsAndFoldersAreRefused) {
    TMemoryStream source, target;
    source.WriteBuffer("abc", 3);
    source.SetPosition(0);
    EXPECT_THROW(target.CopyFrom(source, -1), EReadError);
    EXPECT_THROW(target.CopyFrom(source, 4), EReadError); // more than there is
    EXPECT_EQ(target.CopyFrom(source, 0), 3);             // 0: all of it, from the start
    EXPECT_EQ(target.Size(), 3);
    // A folder opens for reading on this system; as a stream it is refused.
    EXPECT_THROW(TFileStream(std::filesystem::temp_directory_path().string(), fmOpenRead),
                 EFOpenError);
    // A write that would pass the largest position moves nothing.
    target.SetPosition(std::numeric_limits<Int64>::max() - 1);
    EXPECT_EQ(target.Write("xy", 2), 0);
    EXPECT_THROW(target.WriteBuffer("xy", 2), EWriteError);
}

TEST(FileStream, MemoryStreamFilesAndOpenModes) {
    test_support::TempFolder folder("korvid-mstream-");
    const std::filesystem::path& dir = folder.Path();
    String name = (dir / "m.bin").string();
    TMemoryStream out;
    out.WriteBuffer("payload", 7);
    out.SaveToFile(name);
    {
        // Read/write access, share modes ignored: overwrite in place.
        TFileStream f(name, fmOpenReadWrite | fmShareExclusive);
        f.Seek(-4, soEnd);
        f.WriteBuffer("LOAD", 4);
        EXPECT_EQ(f.Size(), 7);
    }
    TMemoryStream in;
    in.LoadFromFile(name);
    EXPECT_EQ(String(reinterpret_cast<const char*>(in.Memory()), 7), "payLOAD");
    EXPECT_EQ(in.Position(), 0);
    {
        TFileStream f(name, fmCreate); // truncates
        EXPECT_EQ(f.Size(), 0);
    }
    {
        TFileStream f(name, fmOpenRead);
        EXPECT_THROW(f.WriteBuffer("x", 1), EWriteError);
    }
    EXPECT_THROW(in.LoadFromFile((dir / "missing").string()), EFOpenError);
}
