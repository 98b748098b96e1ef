#pragma once

#include <QWidget>

class QPushButton;

namespace velbrin {

// What the window shows without a Web: a drawn background picture, "New" at
// the bottom left and "Quit" at the bottom right, 5 pixels from the edges.
class TStartScreen : public QWidget {
public:
    explicit TStartScreen(QWidget* parent = nullptr);

    QPushButton* NewButton() const { return m_new; }
    QPushButton* QuitButton() const { return m_quit; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QPushButton* m_new;
    QPushButton* m_quit;
};

} // namespace velbrin
