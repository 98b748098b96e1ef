#include "media/PictureIntegrity.h"
#include "media/PictureLayout.h"
#include "media/PictureView.h"

#include "MediaBytes.h"
#include "support/TempDir.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>

#include <gtest/gtest.h>

namespace velbrin::test {
namespace {

std::string Encoded(int width, int height, const char* format)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 7 % 256, y * 5 % 256, (x * y) % 256));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format));
    return bytes.toStdString();
}

QRgb CentrePixel(const TPictureView& view)
{
    const QImage frame = view.CurrentFrame().toImage();
    return frame.isNull() ? 0 : frame.pixel(frame.width() / 2, frame.height() / 2) & 0xFFFFFF;
}

TEST(PictureView, NeverEnlargesAndShrinksKeepingItsProportions)
{
    // Smaller than the panel: own size, centred, with or without shrinking.
    EXPECT_EQ(LayOutPicture(20, 10, 100, 100, true), (TPictureLayout{100, 100, 40, 45, 20, 10}));
    EXPECT_EQ(LayOutPicture(20, 10, 100, 100, false), (TPictureLayout{100, 100, 40, 45, 20, 10}));
    // Wider, then taller than the panel: fitted to its width, then its height.
    EXPECT_EQ(LayOutPicture(400, 100, 200, 200, true), (TPictureLayout{200, 200, 0, 75, 200, 50}));
    EXPECT_EQ(LayOutPicture(100, 400, 200, 200, true), (TPictureLayout{200, 200, 75, 0, 50, 200}));
    EXPECT_EQ(LayOutPicture(300, 250, 200, 100, true), (TPictureLayout{200, 100, 40, 0, 120, 100}));
    // Not shrunk: own size on a canvas the panel scrolls over.
    EXPECT_EQ(LayOutPicture(400, 100, 200, 200, false), (TPictureLayout{400, 200, 0, 50, 400, 100}));

    TempDir dir;
    WriteBytes(dir.Path() + "wide.png", Encoded(300, 150, "PNG"));
    TPictureView view;
    view.resize(200, 200);
    view.show();
    ASSERT_TRUE(view.Load(dir.Path() + "wide.png"));
    EXPECT_EQ(view.State(), TPictureState::Shown);
    EXPECT_EQ(view.PictureSize(), QSize(300, 150));
    EXPECT_EQ(view.PictureRect(), QRect(0, 50, 200, 100));
    view.SetShrink(false);
    EXPECT_EQ(view.PictureRect().size(), QSize(300, 150));
    EXPECT_EQ(view.widget()->width(), 300);
}

TEST(PictureView, CutOrDamagedFilesAreReportedNotShown)
{
    const std::string jpeg = Encoded(40, 30, "JPEG");
    const std::string gif = GifBytes(6, 4, {1});
    EXPECT_TRUE(IsPictureDataWhole(jpeg));
    EXPECT_TRUE(IsPictureDataWhole(gif));
    for (std::size_t n = 2; n < jpeg.size(); ++n)
        EXPECT_FALSE(IsPictureDataWhole(jpeg.substr(0, n))) << "JPEG cut at " << n;
    // A GIF without its trailer but with its last frame whole passes.
    for (std::size_t n = 6; n + 1 < gif.size(); ++n)
        EXPECT_FALSE(IsPictureDataWhole(gif.substr(0, n))) << "GIF cut at " << n;
    EXPECT_TRUE(IsPictureDataWhole(gif.substr(0, gif.size() - 1)));

    TempDir dir;
    WriteBytes(dir.Path() + "cut.jpg", jpeg.substr(0, jpeg.size() * 8 / 10));
    WriteBytes(dir.Path() + "cut.gif", gif.substr(0, gif.size() - 8));
    WriteBytes(dir.Path() + "text.gif", "<html>moved</html>");
    WriteBytes(dir.Path() + "whole.jpg", jpeg);
    TPictureView view;
    for (const char* name : {"cut.jpg", "cut.gif", "text.gif", "missing.gif"}) {
        EXPECT_FALSE(view.Load(dir.Path() + name)) << name;
        EXPECT_EQ(view.State(), TPictureState::Failed) << name;
        EXPECT_TRUE(view.Failure().contains(QLatin1String(name))) << view.Failure().toStdString();
        EXPECT_TRUE(view.CurrentFrame().isNull()) << name;
    }
    // The control recovers with the next file.
    EXPECT_TRUE(view.Load(dir.Path() + "whole.jpg"));
    EXPECT_EQ(view.State(), TPictureState::Shown);
    EXPECT_TRUE(view.Failure().isEmpty());
    EXPECT_EQ(view.PictureSize(), QSize(40, 30));
}

TEST(PictureView, AnimatesGifsOfSeveralFrames)
{
    TempDir dir;
    WriteBytes(dir.Path() + "still.gif", GifBytes(8, 6, {3}));
    WriteBytes(dir.Path() + "moving.gif", GifBytes(8, 6, {1, 2, 3}));
    TPictureView view;
    view.resize(100, 100);
    view.show();

    ASSERT_TRUE(view.Load(dir.Path() + "still.gif"));
    EXPECT_FALSE(view.Animated());
    EXPECT_EQ(view.FrameCount(), 1);
    EXPECT_EQ(CentrePixel(view), 0x0000FFu);

    ASSERT_TRUE(view.Load(dir.Path() + "moving.gif"));
    EXPECT_TRUE(view.Animated());
    EXPECT_EQ(view.FrameCount(), 3);
    EXPECT_EQ(view.PictureSize(), QSize(8, 6));
    EXPECT_EQ(CentrePixel(view), 0xFF0000u);
    // The frames follow each other every 100 ms.
    QElapsedTimer clock;
    clock.start();
    while (CentrePixel(view) != 0x00FF00u && clock.elapsed() < 3000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(CentrePixel(view), 0x00FF00u);

    view.Clear();
    EXPECT_EQ(view.State(), TPictureState::Empty);
    EXPECT_EQ(view.FrameCount(), 0);
}

} // namespace
} // namespace velbrin::test
