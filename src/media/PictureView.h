#pragma once

#include <QByteArray>
#include <QBuffer>
#include <QPixmap>
#include <QScrollArea>
#include <QString>

#include <memory>
#include <string>

class QMovie;

namespace velbrin {

enum class TPictureState {
    Empty,  // nothing loaded, or cleared
    Shown,  // a picture (still or animated) is shown
    Failed, // the last file could not be shown; Failure() says why
};

// The picture control: shows a GIF, JPEG or PNG file, animating a GIF of
// several frames. A picture is never enlarged; with shrinking on, one larger
// than the panel is scaled down to fit keeping its proportions, otherwise it
// keeps its own size and the panel scrolls. It is centred on the panel.
// A missing, damaged or truncated file leaves the control in the Failed
// state with a short explanation painted in place of the picture.
class TPictureView : public QScrollArea {
    Q_OBJECT
public:
    // Files above this size are not read.
    static constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;

    explicit TPictureView(QWidget* parent = nullptr);
    ~TPictureView() override;

    // Loads and shows the file; false (state Failed) when it cannot be shown.
    bool Load(const std::string& fileName);
    void Clear();

    void SetShrink(bool shrink);
    bool Shrink() const { return m_shrink; }

    TPictureState State() const { return m_state; }
    const QString& Failure() const { return m_failure; }
    // The picture's own size; empty without one.
    QSize PictureSize() const { return m_size; }
    // Where the picture is drawn, in the coordinates of the scrolled canvas.
    QRect PictureRect() const;
    // Frames of the picture shown: 1 for a still picture, 0 without one.
    int FrameCount() const { return m_frameCount; }
    bool Animated() const { return m_movie != nullptr; }
    // The frame painted now.
    QPixmap CurrentFrame() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    class TCanvas;

    void Fail(const QString& why);
    void Forget();
    void LayOut();

    TCanvas* m_canvas = nullptr;
    TPictureState m_state = TPictureState::Empty;
    QString m_failure;
    bool m_shrink = true;
    QSize m_size;
    int m_frameCount = 0;
    QPixmap m_still;
    // An animation reads its frames from these as it plays.
    QByteArray m_bytes;
    QBuffer m_buffer;
    std::unique_ptr<QMovie> m_movie;
};

} // namespace velbrin
