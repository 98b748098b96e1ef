#include "index/PictureHeader.h"

#include "support/TempDir.h"

#include <fstream>
#include <string>

#include <gtest/gtest.h>

namespace velbrin {
namespace {

using test::TempDir;

void WriteBytes(const std::string& fileName, const std::string& bytes)
{
    std::ofstream(fileName, std::ios::binary) << bytes;
}

std::string Le16(int value)
{
    return {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF)};
}

std::string Be16(int value) { return {static_cast<char>((value >> 8) & 0xFF), static_cast<char>(value & 0xFF)}; }

std::string Be32(int value) { return Be16(value >> 16) + Be16(value & 0xFFFF); }

// A GIF of one frame covering a screen of width × height, one-colour pixels.
std::string GifBytes(int width, int height)
{
    std::string gif = "GIF89a" + Le16(width) + Le16(height);
    gif += std::string("\x80\x00\x00", 3);                    // global colour table of 2 entries
    gif += std::string("\xFF\xFF\xFF\x00\x00\x00", 6);         // white, black
    gif += std::string("\x2C\x00\x00\x00\x00", 5) + Le16(width) + Le16(height) + std::string(1, '\0');
    gif += std::string("\x02\x02\x44\x01\x00", 5);             // LZW code size, one data block
    gif += ";";
    return gif;
}

// The start of a PNG: its signature and header chunk (with its checksum).
std::string PngBytes(int width, int height)
{
    return std::string("\x89PNG\r\n\x1A\n", 8) + Be32(13) + "IHDR" + Be32(width) + Be32(height) +
           std::string("\x08\x02\x00\x00\x00", 5) + std::string("\x00\x00\x00\x00IEND", 8);
}

std::string Segment(int marker, const std::string& payload)
{
    return std::string("\xFF", 1) + static_cast<char>(marker) + Be16(static_cast<int>(payload.size()) + 2) + payload;
}

// A JPEG as cameras write them: identification, a long block of camera data,
// tables, then the frame header with the size (sof: 0xC0 baseline, 0xC2
// progressive), then the data.
std::string JpegBytes(int width, int height, int sof = 0xC0, std::size_t cameraData = 20000)
{
    std::string jpeg("\xFF\xD8", 2);
    jpeg += Segment(0xE0, std::string("JFIF\0\x01\x01\x00\x00\x01\x00\x01\x00\x00", 14));
    jpeg += Segment(0xE1, "Exif" + std::string(cameraData, 'x'));
    jpeg += Segment(0xDB, std::string(65, '\x01'));
    jpeg += std::string("\xFF\xFF", 2); // fill bytes may come before a marker
    jpeg += Segment(sof, std::string("\x08", 1) + Be16(height) + Be16(width) + std::string("\x01\x01\x11\x00", 4));
    jpeg += Segment(0xDA, std::string("\x01\x01\x00\x00\x3F\x00", 6)) + std::string("\x12\x34\xFF\xD9", 4);
    return jpeg;
}

TEST(PictureHeader, ReadsTheSizeOfTheThreeListedKinds)
{
    TempDir dir;
    WriteBytes(dir.Path() + "wide.png", PngBytes(200, 100));
    WriteBytes(dir.Path() + "tall.jpg", JpegBytes(3, 7));
    WriteBytes(dir.Path() + "prog.jpg", JpegBytes(640, 480, 0xC2, 60000));
    WriteBytes(dir.Path() + "anim.gif", GifBytes(10, 40));

    EXPECT_EQ(ReadPictureSize(dir.Path() + "wide.png"), (TPictureSize{200, 100}));
    EXPECT_EQ(ReadPictureSize(dir.Path() + "tall.jpg"), (TPictureSize{3, 7}));
    EXPECT_EQ(ReadPictureSize(dir.Path() + "prog.jpg"), (TPictureSize{640, 480}));
    EXPECT_EQ(ReadPictureSize(dir.Path() + "anim.gif"), (TPictureSize{10, 40}));
}

TEST(PictureHeader, GoesByContentNotByName)
{
    TempDir dir;
    // Stored names come from the MIME table, which a server can mislead.
    WriteBytes(dir.Path() + "PHOTO.gif", JpegBytes(64, 48));
    WriteBytes(dir.Path() + "LOGO", GifBytes(17, 5));

    EXPECT_EQ(ReadPictureSize(dir.Path() + "PHOTO.gif"), (TPictureSize{64, 48}));
    EXPECT_EQ(ReadPictureSize(dir.Path() + "LOGO"), (TPictureSize{17, 5}));
}

TEST(PictureHeader, AnythingElseCountsAsZeroByZero)
{
    TempDir dir;
    WriteBytes(dir.Path() + "plain.bmp", "BM" + std::string(60, '\x14'));
    WriteBytes(dir.Path() + "page.gif", "<HTML><BODY>Not a picture</BODY></HTML>");
    WriteBytes(dir.Path() + "empty.png", "");
    WriteBytes(dir.Path() + "cut.png", std::string("\x89PNG\r\n\x1A\n\x00\x00\x00\x0DIH", 14));
    WriteBytes(dir.Path() + "cut.gif", "GIF89a\x0A");

    EXPECT_EQ(ReadPictureSize(dir.Path() + "plain.bmp"), TPictureSize{});
    EXPECT_EQ(ReadPictureSize(dir.Path() + "page.gif"), TPictureSize{});
    EXPECT_EQ(ReadPictureSize(dir.Path() + "empty.png"), TPictureSize{});
    EXPECT_EQ(ReadPictureSize(dir.Path() + "cut.png"), TPictureSize{});
    EXPECT_EQ(ReadPictureSize(dir.Path() + "cut.gif"), TPictureSize{});
    EXPECT_EQ(ReadPictureSize(dir.Path() + "missing.jpg"), TPictureSize{});
    EXPECT_EQ(ReadPictureSize(dir.Path()), TPictureSize{});
}

TEST(PictureHeader, CutOrDamagedHeadersAreUnknown)
{
    // A GIF whose screen has no side; a GIF cut before its first frame.
    EXPECT_EQ(PictureSizeOf(GifBytes(0, 12)), TPictureSize{});
    EXPECT_EQ(PictureSizeOf(GifBytes(9, 9).substr(0, 20)), TPictureSize{});
    // A JPEG cut inside its camera data, or inside its frame header.
    const std::string jpeg = JpegBytes(30, 20);
    EXPECT_EQ(PictureSizeOf(jpeg.substr(0, 5000)), TPictureSize{});
    const std::size_t frame = jpeg.find(std::string("\xFF\xC0", 2));
    ASSERT_NE(frame, std::string::npos);
    EXPECT_EQ(PictureSizeOf(jpeg.substr(0, frame + 8)), TPictureSize{});
    EXPECT_EQ(PictureSizeOf(jpeg.substr(0, frame + 9)), (TPictureSize{30, 20}));
    // A segment length that runs backwards, and data before any frame header.
    EXPECT_EQ(PictureSizeOf(std::string("\xFF\xD8\xFF\xE0\x00\x01", 6) + std::string(40, '\0')), TPictureSize{});
    EXPECT_EQ(PictureSizeOf(std::string("\xFF\xD8", 2) + Segment(0xDA, "ab") + Segment(0xC0, "\x08\x00\x05\x00\x05")),
              TPictureSize{});
    // A PNG whose first chunk is not its header.
    std::string png = PngBytes(5, 5);
    png.replace(12, 4, "IDAT");
    EXPECT_EQ(PictureSizeOf(png), TPictureSize{});
}

} // namespace
} // namespace velbrin
