#include "media/Player.h"

#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#ifdef VELBRIN_HAVE_MULTIMEDIA
#include <QAudioDevice>
#include <QAudioOutput>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QVideoWidget>
#endif

#include <algorithm>

namespace velbrin {

#ifdef VELBRIN_HAVE_MULTIMEDIA

// The platform's player, made on first use: starting the media back end
// costs time the program need not spend until a video or a sound is opened.
class TPlayer::TEngine {
public:
    explicit TEngine(QWidget* display) : m_display(display) {}
    ~TEngine()
    {
        // The player lets go of the video surface before it may go.
        if (m_player)
            m_player->setVideoOutput(nullptr);
    }

    // Why nothing can play here; empty when something can. Asked at each
    // opening: a sound device may have come (or gone) since the last one.
    QString Problem(TPlayer& owner)
    {
        if (QMediaDevices::audioOutputs().isEmpty())
            return QObject::tr("No sound output device: videos and sounds cannot be played.");
        if (!Player(owner).isAvailable())
            return QObject::tr("No media back end is installed: videos and sounds cannot be played.");
        return {};
    }

    QMediaPlayer& Player(TPlayer& owner)
    {
        if (!m_player) {
            m_player = std::make_unique<QMediaPlayer>();
            m_audio = std::make_unique<QAudioOutput>();
            m_player->setAudioOutput(m_audio.get());
            if (m_display) {
                m_video = new QVideoWidget(m_display);
                m_display->layout()->addWidget(m_video);
                m_player->setVideoOutput(m_video);
            }
            QObject::connect(m_player.get(), &QMediaPlayer::durationChanged, &owner,
                             [&owner](qint64) { owner.ShowPosition(); });
            QObject::connect(m_player.get(), &QMediaPlayer::playbackStateChanged, &owner,
                             [&owner] { owner.Refresh(); });
            QObject::connect(m_player.get(), &QMediaPlayer::mediaStatusChanged, &owner, [&owner] { owner.Refresh(); });
            QObject::connect(m_player.get(), &QMediaPlayer::errorOccurred, &owner, [&owner] { owner.Refresh(); });
        }
        return *m_player;
    }

    QMediaPlayer* Existing() const { return m_player.get(); }

private:
    QPointer<QWidget> m_display;
    QPointer<QVideoWidget> m_video;
    std::unique_ptr<QMediaPlayer> m_player;
    std::unique_ptr<QAudioOutput> m_audio;
};

#else

// Built without a media back end: nothing can play.
class TPlayer::TEngine {};

#endif

TPlayer::TPlayer(QWidget* parent, bool useBackEnd) : QWidget(parent)
{
    setFixedHeight(kBarHeight);
    auto* bar = new QHBoxLayout(this);
    bar->setContentsMargins(0, 0, 0, 0);
    bar->setSpacing(1);
    static const struct {
        QStyle::StandardPixmap Icon;
        const char* Hint;
    } buttons[] = {
        {QStyle::SP_MediaPlay, "Play"},
        {QStyle::SP_MediaPause, "Pause"},
        {QStyle::SP_MediaStop, "Stop"},
        {QStyle::SP_MediaSkipForward, "Next"},
        {QStyle::SP_MediaSkipBackward, "Previous"},
    };
    for (int i = 0; i < 5; ++i) {
        auto* button = new QToolButton(this);
        button->setIcon(style()->standardIcon(buttons[i].Icon));
        button->setToolTip(tr(buttons[i].Hint));
        button->setObjectName(QStringLiteral("Player%1Button").arg(QLatin1String(buttons[i].Hint)));
        button->setFixedSize(kBarHeight, kBarHeight);
        bar->addWidget(button);
        m_buttons[i] = button;
    }
    connect(m_buttons[0], &QToolButton::clicked, this, &TPlayer::Play);
    connect(m_buttons[1], &QToolButton::clicked, this, &TPlayer::Pause);
    connect(m_buttons[2], &QToolButton::clicked, this, &TPlayer::Stop);
    connect(m_buttons[3], &QToolButton::clicked, this, &TPlayer::Next);
    connect(m_buttons[4], &QToolButton::clicked, this, &TPlayer::Previous);

    m_scrollBar = new QScrollBar(Qt::Horizontal, this);
    m_scrollBar->setObjectName(QStringLiteral("PlayerScrollBar"));
    m_scrollBar->setRange(0, 0);
    m_scrollBar->setSingleStep(kStepMs);
    m_scrollBar->setPageStep(kStepMs);
    bar->addWidget(m_scrollBar, 1);
    connect(m_scrollBar, &QScrollBar::actionTriggered, this, &TPlayer::ScrollAction);

    m_reason = new QLabel(this);
    m_reason->setObjectName(QStringLiteral("PlayerReason"));
    m_reason->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    bar->addWidget(m_reason, 1);

    m_timer = new QTimer(this);
    m_timer->setInterval(kTimerInterval);
    connect(m_timer, &QTimer::timeout, this, &TPlayer::Tick);

    m_display = new QWidget;
    m_display->setObjectName(QStringLiteral("PlayerDisplay"));
    m_display->setAutoFillBackground(true);
    QPalette black = m_display->palette();
    black.setColor(QPalette::Window, Qt::black);
    m_display->setPalette(black);
    auto* displayLayout = new QVBoxLayout(m_display);
    displayLayout->setContentsMargins(0, 0, 0, 0);
    m_displayReason = new QLabel(m_display);
    m_displayReason->setAlignment(Qt::AlignCenter);
    m_displayReason->setWordWrap(true);
    m_displayReason->setMargin(12);
    QPalette white = m_displayReason->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    m_displayReason->setPalette(white);
    displayLayout->addWidget(m_displayReason);

#ifdef VELBRIN_HAVE_MULTIMEDIA
    if (useBackEnd)
        m_engine = std::make_unique<TEngine>(m_display);
#else
    (void)useBackEnd;
#endif
    if (!m_engine)
        m_unavailable = tr("This program was built without a media player: videos and sounds cannot be played.");
    Refresh();
}

TPlayer::~TPlayer()
{
    // The display belongs to whoever placed it; an unplaced one is ours.
    m_engine.reset();
    if (m_display && !m_display->parent())
        delete m_display;
}

QString TPlayer::Reason() const
{
    if (!m_unavailable.isEmpty())
        return m_unavailable;
    if (!m_openFailure.isEmpty())
        return m_openFailure;
#ifdef VELBRIN_HAVE_MULTIMEDIA
    if (m_engine) {
        if (const QMediaPlayer* player = m_engine->Existing(); player && m_open && player->error() != QMediaPlayer::NoError)
            return tr("This file cannot be played: %1").arg(player->errorString());
    }
#endif
    return {};
}

bool TPlayer::Open(const std::string& fileName, bool play)
{
    Close();
    const QString name = QFile::decodeName(QByteArray::fromStdString(fileName));
#ifdef VELBRIN_HAVE_MULTIMEDIA
    if (m_engine)
        m_unavailable = m_engine->Problem(*this);
    if (m_engine && m_unavailable.isEmpty() && !QFileInfo(name).isFile())
        m_openFailure = tr("%1 cannot be found.").arg(QFileInfo(name).fileName());
    if (m_engine && m_unavailable.isEmpty() && m_openFailure.isEmpty()) {
        QMediaPlayer& player = m_engine->Player(*this);
        m_open = true;
        player.setSource(QUrl::fromLocalFile(name));
        m_scrollBar->setValue(0);
        ShowPosition();
        if (play)
            player.play();
        m_timer->start();
        Refresh();
        return State() != TPlayerState::Failed;
    }
#else
    (void)play;
#endif
    Refresh();
    return false;
}

void TPlayer::Close()
{
    m_timer->stop();
#ifdef VELBRIN_HAVE_MULTIMEDIA
    if (m_engine && m_engine->Existing()) {
        m_engine->Existing()->stop();
        m_engine->Existing()->setSource(QUrl());
    }
#endif
    m_open = false;
    m_openFailure.clear();
    m_scrollBar->setRange(0, 0);
    Refresh();
}

void TPlayer::Play()
{
#ifdef VELBRIN_HAVE_MULTIMEDIA
    if (State() == TPlayerState::Stopped || State() == TPlayerState::Paused) {
        ShowPosition();
        m_engine->Existing()->play();
        m_timer->start();
    }
#endif
}

void TPlayer::Pause()
{
#ifdef VELBRIN_HAVE_MULTIMEDIA
    if (State() == TPlayerState::Playing)
        m_engine->Existing()->pause();
#endif
    ShowPosition();
}

void TPlayer::Stop()
{
#ifdef VELBRIN_HAVE_MULTIMEDIA
    if (State() == TPlayerState::Playing || State() == TPlayerState::Paused)
        m_engine->Existing()->stop();
#endif
    ShowPosition();
}

void TPlayer::Next()
{
    Seek(Length());
}

void TPlayer::Previous()
{
    Seek(0);
}

void TPlayer::Step(int direction)
{
    Seek(Position() + (direction > 0 ? kStepMs : -kStepMs));
}

void TPlayer::Seek(qint64 position)
{
#ifdef VELBRIN_HAVE_MULTIMEDIA
    const TPlayerState state = State();
    if (state == TPlayerState::Stopped || state == TPlayerState::Playing || state == TPlayerState::Paused) {
        position = std::clamp<qint64>(position, 0, Length());
        m_engine->Existing()->setPosition(position);
    }
#else
    (void)position;
#endif
    ShowPosition();
}

qint64 TPlayer::Length() const
{
#ifdef VELBRIN_HAVE_MULTIMEDIA
    if (m_engine && m_open && m_engine->Existing())
        return std::max<qint64>(m_engine->Existing()->duration(), 0);
#endif
    return 0;
}

qint64 TPlayer::Position() const
{
#ifdef VELBRIN_HAVE_MULTIMEDIA
    if (m_engine && m_open && m_engine->Existing())
        return std::max<qint64>(m_engine->Existing()->position(), 0);
#endif
    return 0;
}

TPlayerState TPlayer::State() const
{
    if (!m_engine || !m_unavailable.isEmpty())
        return TPlayerState::Unavailable;
#ifdef VELBRIN_HAVE_MULTIMEDIA
    if (!m_openFailure.isEmpty())
        return TPlayerState::Failed;
    const QMediaPlayer* player = m_engine->Existing();
    if (!m_open || !player)
        return TPlayerState::Closed;
    if (player->error() != QMediaPlayer::NoError || player->mediaStatus() == QMediaPlayer::InvalidMedia)
        return TPlayerState::Failed;
    switch (player->playbackState()) {
    case QMediaPlayer::PlayingState: return TPlayerState::Playing;
    case QMediaPlayer::PausedState: return TPlayerState::Paused;
    case QMediaPlayer::StoppedState: break;
    }
    return TPlayerState::Stopped;
#else
    return TPlayerState::Unavailable;
#endif
}

QToolButton* TPlayer::Button(TPlayerButton button) const
{
    return m_buttons[static_cast<int>(button)];
}

void TPlayer::Tick()
{
    const TPlayerState state = State();
    if (state == TPlayerState::Unavailable || state == TPlayerState::Failed || state == TPlayerState::Closed) {
        m_timer->stop();
        return;
    }
    if (state == TPlayerState::Playing && !m_scrollBar->isSliderDown())
        ShowPosition();
}

void TPlayer::ScrollAction(int action)
{
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
    case QAbstractSlider::SliderPageStepAdd:
        Step(1);
        break;
    case QAbstractSlider::SliderSingleStepSub:
    case QAbstractSlider::SliderPageStepSub:
        Step(-1);
        break;
    case QAbstractSlider::SliderNoAction:
        return;
    default:
        Seek(m_scrollBar->sliderPosition());
        return;
    }
    // The step replaces the scroll bar's own move.
    m_scrollBar->setSliderPosition(static_cast<int>(std::min<qint64>(Position(), m_scrollBar->maximum())));
}

void TPlayer::ShowPosition()
{
    const qint64 length = std::min<qint64>(Length(), INT32_MAX);
    const QSignalBlocker quiet(m_scrollBar);
    m_scrollBar->setMaximum(static_cast<int>(length));
    m_scrollBar->setValue(static_cast<int>(std::min<qint64>(Position(), length)));
}

void TPlayer::Refresh()
{
    const TPlayerState state = State();
    const QString reason = Reason();
    const bool usable = state != TPlayerState::Unavailable && state != TPlayerState::Failed && m_open;
    for (QToolButton* button : m_buttons)
        button->setEnabled(usable);
    m_scrollBar->setEnabled(usable);
    m_scrollBar->setVisible(reason.isEmpty());
    // The bar has room for the first words; the display, for the whole reason.
    m_reason->setText(reason.section(QLatin1Char(':'), 0, 0));
    m_reason->setToolTip(reason);
    m_reason->setVisible(!reason.isEmpty());
    if (m_display) {
        m_displayReason->setText(reason);
        m_displayReason->setVisible(!reason.isEmpty());
    }
    if (!usable)
        m_timer->stop();
    emit StateChanged();
}

} // namespace velbrin
