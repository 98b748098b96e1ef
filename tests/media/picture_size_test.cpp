#include "media/PictureSizeReader.h"

#include "support/TempDir.h"

#include <QImage>

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

void SaveImage(const std::string& fileName, int width, int height, const char* format)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(QString::fromStdString(fileName), format));
}

TEST(PictureSize, ReadsTheHeaderOfTheThreeListedKinds)
{
    TempDir dir;
    SaveImage(dir.Path() + "wide.png", 200, 100, "PNG");
    SaveImage(dir.Path() + "tall.jpg", 3, 7, "JPEG");
    WriteBytes(dir.Path() + "anim.gif", GifBytes(10, 40));

    EXPECT_EQ(ReadPictureSize(dir.Path() + "wide.png"), (TPictureSize{200, 100}));
    EXPECT_EQ(ReadPictureSize(dir.Path() + "tall.jpg"), (TPictureSize{3, 7}));
    EXPECT_EQ(ReadPictureSize(dir.Path() + "anim.gif"), (TPictureSize{10, 40}));
}

TEST(PictureSize, GoesByContentNotByName)
{
    TempDir dir;
    // Stored names come from the MIME table, which a server can mislead.
    SaveImage(dir.Path() + "PHOTO.gif", 64, 48, "JPEG");
    WriteBytes(dir.Path() + "LOGO", GifBytes(17, 5));

    EXPECT_EQ(ReadPictureSize(dir.Path() + "PHOTO.gif"), (TPictureSize{64, 48}));
    EXPECT_EQ(ReadPictureSize(dir.Path() + "LOGO"), (TPictureSize{17, 5}));
}

TEST(PictureSize, AnythingElseCountsAsZeroByZero)
{
    TempDir dir;
    SaveImage(dir.Path() + "plain.bmp", 20, 20, "BMP");
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

TEST(PictureSize, ZeroSidedHeaderIsUnknown)
{
    TempDir dir;
    WriteBytes(dir.Path() + "flat.gif", GifBytes(0, 12));
    EXPECT_EQ(ReadPictureSize(dir.Path() + "flat.gif"), TPictureSize{});
}

} // namespace
} // namespace velbrin
