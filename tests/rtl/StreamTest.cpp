#include "rtl/Stream.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

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
    auto dir = std::filesystem::temp_directory_path() / ("korvid_stream_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
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
    std::filesystem::remove_all(dir);
}
