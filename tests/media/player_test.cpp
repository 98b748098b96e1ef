#include "media/Player.h"

#include "MediaBytes.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

namespace velbrin::test {
namespace {

constexpr TPlayerButton kButtons[] = {TPlayerButton::Play, TPlayerButton::Pause, TPlayerButton::Stop,
                                      TPlayerButton::Next, TPlayerButton::Previous};

bool AnyButtonEnabled(const TPlayer& player)
{
    for (TPlayerButton button : kButtons)
        if (player.Button(button)->isEnabled())
            return true;
    return false;
}

TEST(Player, WithoutBackEndStaysDisabledAndSaysWhy)
{
    TempDir dir;
    WriteBytes(dir.Path() + "tone.wav", WavBytes());
    TPlayer player(nullptr, false);
    EXPECT_EQ(player.State(), TPlayerState::Unavailable);
    EXPECT_FALSE(player.Open(dir.Path() + "tone.wav", true));
    EXPECT_EQ(player.State(), TPlayerState::Unavailable);
    EXPECT_FALSE(AnyButtonEnabled(player));
    EXPECT_FALSE(player.ScrollBar()->isEnabled());
    EXPECT_FALSE(player.ReasonLabel()->isHidden());
    EXPECT_FALSE(player.ReasonLabel()->text().isEmpty());
    EXPECT_TRUE(player.Reason().startsWith(player.ReasonLabel()->text()));
    // The commands do nothing.
    player.Play();
    player.Seek(100);
    player.Step(1);
    EXPECT_EQ(player.Position(), 0);
    EXPECT_EQ(player.Length(), 0);
    EXPECT_FALSE(player.MediaTimer()->isActive());
}

// Whatever this machine has (a sound device or none, a back end that can
// read WAV files or not), the bar never offers controls that cannot work and
// always says why it offers none.
TEST(Player, ControlsAgreeWithWhatTheMachineCanPlay)
{
    TempDir dir;
    WriteBytes(dir.Path() + "tone.wav", WavBytes());
    TPlayer player;
    EXPECT_FALSE(player.Open(dir.Path() + "missing.wav"));
    EXPECT_FALSE(AnyButtonEnabled(player));
    EXPECT_FALSE(player.Reason().isEmpty());

    player.Open(dir.Path() + "tone.wav");
    QElapsedTimer clock;
    clock.start();
    auto settled = [&] {
        const TPlayerState state = player.State();
        return state == TPlayerState::Unavailable || state == TPlayerState::Failed || player.Length() > 0;
    };
    while (!settled() && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    const TPlayerState state = player.State();
    if (state == TPlayerState::Unavailable || state == TPlayerState::Failed) {
        EXPECT_FALSE(AnyButtonEnabled(player));
        EXPECT_FALSE(player.Reason().isEmpty());
        EXPECT_FALSE(player.ReasonLabel()->isHidden());
        EXPECT_FALSE(player.MediaTimer()->isActive());
    } else {
        EXPECT_TRUE(AnyButtonEnabled(player));
        EXPECT_TRUE(player.Reason().isEmpty());
        EXPECT_NEAR(player.Length(), 250, 50);
        EXPECT_EQ(player.ScrollBar()->maximum(), player.Length());
    }
    player.Close();
    EXPECT_EQ(player.ScrollBar()->maximum(), 0);
    EXPECT_FALSE(AnyButtonEnabled(player));
}

} // namespace
} // namespace velbrin::test
