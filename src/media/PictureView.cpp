#include "media/PictureView.h"

#include "media/PictureIntegrity.h"
#include "media/PictureLayout.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QMovie>
#include <QPainter>
#include <QResizeEvent>

namespace velbrin {

namespace {

bool IsShownFormat(const QByteArray& format)
{
    return format == "gif" || format == "jpeg" || format == "png";
}

} // namespace

// The scrolled surface: paints the frame in the laid-out rectangle, or the
// reason of a failure.
class TPictureView::TCanvas : public QWidget {
public:
    explicit TCanvas(TPictureView& view) : QWidget(&view), m_view(view) {}

    QRect Target;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        if (m_view.m_state == TPictureState::Failed) {
            painter.setPen(palette().color(QPalette::WindowText));
            painter.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap, m_view.m_failure);
            return;
        }
        const QPixmap frame = m_view.CurrentFrame();
        if (frame.isNull() || Target.isEmpty())
            return;
        painter.setRenderHint(QPainter::SmoothPixmapTransform, Target.size() != frame.size());
        painter.drawPixmap(Target, frame);
    }

private:
    TPictureView& m_view;
};

TPictureView::TPictureView(QWidget* parent) : QScrollArea(parent)
{
    m_canvas = new TCanvas(*this);
    setWidget(m_canvas);
    setWidgetResizable(false);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setFrameShape(QFrame::NoFrame);
    LayOut();
}

TPictureView::~TPictureView()
{
    // The animation reads from m_buffer: it goes first.
    m_movie.reset();
}

bool TPictureView::Load(const std::string& fileName)
{
    Forget();
    const QString name = QFile::decodeName(QByteArray::fromStdString(fileName));
    const QString shown = QFileInfo(name).fileName();
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly)) {
        Fail(tr("%1 cannot be opened: %2").arg(shown, file.errorString()));
        return false;
    }
    if (file.size() > kMaxFileSize) {
        Fail(tr("%1 is too large to be shown.").arg(shown));
        return false;
    }
    m_bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        Fail(tr("%1 cannot be read: %2").arg(shown, file.errorString()));
        return false;
    }
    m_buffer.setData(m_bytes);
    m_buffer.open(QIODevice::ReadOnly);
    const QByteArray format = QImageReader::imageFormat(&m_buffer);
    if (!IsShownFormat(format)) {
        Fail(tr("%1 is not a GIF, JPEG or PNG picture.").arg(shown));
        return false;
    }
    if (!IsPictureDataWhole(std::string_view(m_bytes.constData(), static_cast<std::size_t>(m_bytes.size())))) {
        Fail(tr("%1 is damaged or incomplete.").arg(shown));
        return false;
    }

    m_buffer.seek(0);
    QImageReader reader(&m_buffer, format);
    const QImage first = reader.read();
    if (first.isNull()) {
        Fail(tr("%1 cannot be decoded: %2").arg(shown, reader.errorString()));
        return false;
    }
    const int frames = reader.supportsAnimation() ? reader.imageCount() : 1;
    m_size = first.size();
    if (frames > 1) {
        m_buffer.seek(0);
        m_movie = std::make_unique<QMovie>(&m_buffer, format);
        m_movie->setCacheMode(QMovie::CacheNone);
        // Starting loads the first frame.
        if (m_movie->isValid())
            m_movie->start();
        if (m_movie->state() == QMovie::Running && !m_movie->currentPixmap().isNull()) {
            m_frameCount = m_movie->frameCount();
            connect(m_movie.get(), &QMovie::frameChanged, m_canvas, [this] { m_canvas->update(); });
        } else {
            m_movie.reset();
        }
    }
    if (!m_movie) {
        m_still = QPixmap::fromImage(first);
        m_frameCount = 1;
        m_buffer.close();
        m_bytes.clear();
    }
    m_state = TPictureState::Shown;
    LayOut();
    return true;
}

void TPictureView::Clear()
{
    Forget();
    m_state = TPictureState::Empty;
    LayOut();
}

void TPictureView::SetShrink(bool shrink)
{
    if (m_shrink == shrink)
        return;
    m_shrink = shrink;
    LayOut();
}

QRect TPictureView::PictureRect() const
{
    return m_canvas->Target;
}

QPixmap TPictureView::CurrentFrame() const
{
    if (m_state != TPictureState::Shown)
        return {};
    return m_movie ? m_movie->currentPixmap() : m_still;
}

void TPictureView::resizeEvent(QResizeEvent* event)
{
    QScrollArea::resizeEvent(event);
    LayOut();
}

void TPictureView::Fail(const QString& why)
{
    Forget();
    m_state = TPictureState::Failed;
    m_failure = why;
    LayOut();
}

void TPictureView::Forget()
{
    m_movie.reset();
    m_buffer.close();
    m_bytes.clear();
    m_still = QPixmap();
    m_size = QSize();
    m_frameCount = 0;
    m_failure.clear();
}

void TPictureView::LayOut()
{
    const QSize panel = maximumViewportSize();
    const TPictureLayout layout =
        LayOutPicture(m_size.width(), m_size.height(), panel.width(), panel.height(), m_shrink);
    m_canvas->Target = QRect(layout.Left, layout.Top, layout.Width, layout.Height);
    m_canvas->resize(layout.CanvasWidth, layout.CanvasHeight);
    m_canvas->update();
}

} // namespace velbrin
