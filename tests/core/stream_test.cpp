#include "core/Errors.h"
#include "core/FileReplacer.h"
#include "core/FileStream.h"
#include "core/MemoryStream.h"
#include "core/StreamPrimitives.h"

#include "core/Files.h"
#include "support/TempDir.h"

#include <cmath>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace velbrin;

TEST(MemoryStream, GrowsInSteps)
{
    TMemoryStreamEx stream;
    char byte = 'x';
    stream.Write(&byte, 1);
    EXPECT_EQ(stream.Capacity(), 8192u);

    TMemoryStreamEx big;
    std::string bytes(8193, 'y');
    big.Write(bytes.data(), bytes.size());
    EXPECT_EQ(big.Capacity(), 16384u);
    big.Reset();
    EXPECT_EQ(big.Capacity(), 8192u);
    EXPECT_EQ(big.Size(), 0);
    EXPECT_EQ(big.Position(), 0);
    big.Clear();
    EXPECT_EQ(big.Capacity(), 0u);
}

TEST(MemoryStream, ReadSeekWrite)
{
    TMemoryStreamEx stream("hello world");
    char buffer[5];
    EXPECT_EQ(stream.Read(buffer, 5), 5u);
    EXPECT_EQ(std::string(buffer, 5), "hello");
    stream.Seek(-5, SeekOrigin::End);
    EXPECT_EQ(stream.Read(buffer, 10), 5u);
    EXPECT_EQ(stream.Read(buffer, 1), 0u);
    stream.Seek(0, SeekOrigin::Begin);
    stream.Write("J", 1);
    EXPECT_EQ(stream.ToString(), "Jello world");
    EXPECT_THROW(stream.Seek(-1, SeekOrigin::Begin), EStreamError);
}

TEST(StringStream, WritesLikeAMemoryStreamAndHandsItsBytesOver)
{
    // Appending, overwriting across the end, and a gap left by a seek past
    // the end read back the same as from TMemoryStreamEx.
    TStringStream stream(4);
    TMemoryStreamEx memory;
    for (TStream* out : {static_cast<TStream*>(&stream), static_cast<TStream*>(&memory)}) {
        out->WriteBuffer("hello", 5);
        out->Seek(-2, SeekOrigin::End);
        out->WriteBuffer("LOW", 3);
        out->Seek(2, SeekOrigin::Current);
        out->WriteBuffer("!", 1);
    }
    EXPECT_EQ(stream.View(), memory.View());
    EXPECT_EQ(stream.View(), std::string_view("helLOW\0\0!", 9));
    ASSERT_TRUE(stream.InPlace());
    EXPECT_EQ(*stream.InPlace(), memory.View());

    stream.SetPosition(3);
    char buffer[8];
    EXPECT_EQ(stream.Read(buffer, sizeof buffer), 6u);
    EXPECT_EQ(std::string_view(buffer, 3), "LOW");

    const std::string taken = stream.Take();
    EXPECT_EQ(taken.size(), 9u);
    EXPECT_EQ(stream.Size(), 0);
    EXPECT_EQ(stream.Position(), 0);
    EXPECT_THROW(stream.Seek(-1, SeekOrigin::Begin), EStreamError);
}

TEST(ViewStream, ReadsInPlaceAndRefusesWrites)
{
    const std::string bytes = "<a href=x>";
    TViewStream view(bytes);
    ASSERT_TRUE(view.InPlace());
    EXPECT_EQ(view.InPlace()->data(), bytes.data());
    char buffer[4];
    view.Seek(-3, SeekOrigin::End);
    EXPECT_EQ(view.Read(buffer, sizeof buffer), 3u);
    EXPECT_EQ(std::string_view(buffer, 3), "=x>");
    EXPECT_EQ(view.Read(buffer, 1), 0u);
    EXPECT_THROW(view.WriteBuffer("y", 1), EStreamError);
    EXPECT_EQ(bytes, "<a href=x>");
}

TEST(StreamPrimitives, LittleEndianBytes)
{
    TMemoryStreamEx stream;
    WriteShortStr(stream, "ab");
    WriteByte(stream, 0xFE);
    WriteWord(stream, 0x1234);
    WriteSmallInt(stream, -2);
    WriteInt(stream, 0x01020304);
    WriteDouble(stream, 1.0);
    const std::string expected("\x02"
                               "ab"
                               "\xFE"
                               "\x34\x12"
                               "\xFE\xFF"
                               "\x04\x03\x02\x01"
                               "\x00\x00\x00\x00\x00\x00\xF0\x3F",
                               1 + 2 + 1 + 2 + 2 + 4 + 8);
    EXPECT_EQ(stream.ToString(), expected);

    stream.SetPosition(0);
    EXPECT_EQ(ReadShortStr(stream), "ab");
    EXPECT_EQ(ReadByte(stream), 0xFE);
    EXPECT_EQ(ReadWord(stream), 0x1234);
    EXPECT_EQ(ReadSmallInt(stream), -2);
    EXPECT_EQ(ReadInt(stream), 0x01020304);
    EXPECT_EQ(ReadDouble(stream), 1.0);
}

TEST(StreamPrimitives, ShortStringsAreCutAt255)
{
    TMemoryStreamEx stream;
    WriteShortStr(stream, std::string(300, 'z'));
    EXPECT_EQ(stream.Size(), 256);
    stream.SetPosition(0);
    EXPECT_EQ(ReadShortStr(stream), std::string(255, 'z'));
}

TEST(StreamPrimitives, TruncatedInputRaises)
{
    TMemoryStreamEx shortText(std::string("\x05" "ab", 3));
    EXPECT_THROW(ReadShortStr(shortText), EStreamError);
    TMemoryStreamEx oneByte(std::string("\x01", 1));
    EXPECT_THROW(ReadInt(oneByte), EStreamError);
    TMemoryStreamEx out;
    EXPECT_THROW(WriteSmallInt(out, 32768), EStreamError);
    EXPECT_EQ(out.Size(), 0);
}

TEST(FileStreams, AtomicReplaceKeepsOldContentUntilCommit)
{
    test::TempDir dir;
    std::string target = dir.Path() + "settings.ini";
    {
        TAtomicFileStream file(target);
        file.WriteBuffer("old", 3);
        file.Commit();
    }
    {
        TAtomicFileStream file(target);
        file.WriteBuffer("new content", 11);
        // Dropped without Commit: the target keeps its old bytes.
    }
    TMemoryStreamEx check;
    check.LoadFromFile(target);
    EXPECT_EQ(check.ToString(), "old");
    EXPECT_EQ(ListFiles(dir.Path(), "*").size(), 1u); // no temporary file left
}

TEST(FileStreams, ReplacerTradesOneScratchFileWithEachTarget)
{
    test::TempDir dir;
    const std::string first = dir.Path() + "first.htm";
    const std::string second = dir.Path() + "second.htm";
    WriteWholeFile(first, "the first page, long before it is rewritten");
    WriteWholeFile(second, "2");
    ::chmod(second.c_str(), 0600);
    {
        TFileReplacer replacer;
        replacer.Replace(first, "first, new");
        // The scratch now holds the first page's old, longer bytes: they
        // must not show through the second page's new ones.
        replacer.Replace(second, "second, new");
        replacer.Replace(dir.Path() + "third.htm", "made");
        EXPECT_EQ(ReadWholeFile(first), "first, new");
        EXPECT_EQ(ReadWholeFile(second), "second, new");
        EXPECT_EQ(ReadWholeFile(dir.Path() + "third.htm"), "made");
        struct stat info {};
        ASSERT_EQ(::stat(second.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, 0600u) << "a replaced file keeps its permissions";
        for (const std::string& name : ListFiles(dir.Path(), "*")) {
            if (name.starts_with('.')) {
                EXPECT_TRUE(IsAtomicTempName(name)) << name << " would outlive a crash";
            }
        }
    }
    EXPECT_EQ(ListFiles(dir.Path(), "*"), (std::vector<std::string>{"first.htm", "second.htm", "third.htm"}));
}

TEST(FileStreams, OpenFailureNamesTheFile)
{
    try {
        TFileStream file("/nonexistent-dir/x.bin", TFileStream::Mode::Create);
        FAIL() << "created a file in a missing directory";
    } catch (const EInOutError& e) {
        EXPECT_NE(std::string(e.what()).find("/nonexistent-dir/x.bin"), std::string::npos);
        EXPECT_FALSE(e.IsDiskFull());
    }
}
