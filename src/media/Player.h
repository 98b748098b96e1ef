#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>
#include <string>

class QLabel;
class QScrollBar;
class QTimer;
class QToolButton;

namespace velbrin {

enum class TPlayerState {
    Unavailable, // no back end can play here; Reason() says why
    Closed,      // nothing open
    Stopped,     // a file is open and not playing
    Playing,
    Paused,
    Failed,      // the open file cannot be played; Reason() says why
};

enum class TPlayerButton { Play, Pause, Stop, Next, Previous };

// The media player bar for videos (AVI) and sounds (WAV): play, pause, stop,
// next (to the end), previous (to the start), and a scroll bar over the
// length of the file in milliseconds that follows the position every 100 ms
// while playing and seeks when moved (line and page steps move one step of
// kStepMs). Videos are drawn on Display().
//
// Playing needs the multimedia back end the program was built with and a
// sound output device. Without them the bar stays disabled and its label
// tells why; the player then only ever reports Unavailable.
class TPlayer : public QWidget {
    Q_OBJECT
public:
    static constexpr int kBarHeight = 28;
    static constexpr int kTimerInterval = 100;
    static constexpr int kStepMs = 1000;

    // useBackEnd false: as if the program had been built without one.
    explicit TPlayer(QWidget* parent = nullptr, bool useBackEnd = true);
    ~TPlayer() override;

    // Why nothing can be played (no back end, no sound output device), or
    // why the open file failed; empty while playing is possible.
    QString Reason() const;
    // The surface videos are drawn on; a plain black panel without back end.
    // Whoever places it in a layout owns it; delete the bar first.
    QWidget* Display() const { return m_display; }

    // Opens a file (playing it at once when asked); the scroll bar goes back
    // to 0 and takes the length as soon as it is known. False when the
    // player is unavailable, or Failed because the file does not exist; a
    // file that turns out unplayable later moves the player to Failed too.
    bool Open(const std::string& fileName, bool play = false);
    void Close();

    void Play();
    void Pause();
    void Stop();
    void Next();
    void Previous();
    // One step forwards (direction > 0) or backwards.
    void Step(int direction);
    void Seek(qint64 position);

    // Milliseconds; 0 while unknown.
    qint64 Length() const;
    qint64 Position() const;
    TPlayerState State() const;

    QScrollBar* ScrollBar() const { return m_scrollBar; }
    QTimer* MediaTimer() const { return m_timer; }
    QToolButton* Button(TPlayerButton button) const;
    // The first words of Reason() (the display shows it whole).
    QLabel* ReasonLabel() const { return m_reason; }

signals:
    void StateChanged();

private:
    class TEngine;

    void Tick();
    void ScrollAction(int action);
    void ShowPosition();
    void Refresh();

    std::unique_ptr<TEngine> m_engine;
    // Placed elsewhere by the owner of the bar, which may delete it first.
    QPointer<QWidget> m_display;
    QToolButton* m_buttons[5] = {};
    QScrollBar* m_scrollBar = nullptr;
    QLabel* m_reason = nullptr;
    // On the display: the reason in full.
    QLabel* m_displayReason = nullptr;
    QTimer* m_timer = nullptr;
    // Why nothing can play: no back end built in, or what the last opening found.
    QString m_unavailable;
    // The file last asked for cannot be opened.
    QString m_openFailure;
    bool m_open = false;
};

} // namespace velbrin
