#pragma once

#include <QWidget>

class QLineEdit;
class QPushButton;
class QToolButton;

namespace velbrin {

class TWEB;

// "W&eb": the start address, capture directory and title of the Web, its
// captured page count, size (" Ko") and last capture date, and the buttons
// that show its pages in the browser. The window wires the buttons; the
// bookmark-folder button's caption is the window's to set.
class TWebTab : public QWidget {
    Q_OBJECT
public:
    explicit TWebTab(QWidget* parent = nullptr);

    void WebToControls(const TWEB& web);
    // Address, directory and title. An emptied address or directory field
    // leaves the Web's value as it was.
    void ControlsToWeb(TWEB& web) const;

    QPushButton* HomeButton() const { return m_home; }
    QPushButton* HtmlPagesButton() const { return m_htmlPages; }
    QPushButton* ImagesButton() const { return m_images; }
    QPushButton* BookmarkFolderButton() const { return m_bookmarkFolder; }
    QToolButton* BrowserIcon() const { return m_browserIcon; }
    QLineEdit* TitleEdit() const { return m_title; }

signals:
    // The title field was left with a text changed since it was filled.
    void TitleEdited();

private:
    QLineEdit* m_url = nullptr;
    QLineEdit* m_path = nullptr;
    QLineEdit* m_title = nullptr;
    QLineEdit* m_pageCount = nullptr;
    QLineEdit* m_size = nullptr;
    QLineEdit* m_date = nullptr;
    QPushButton* m_home = nullptr;
    QPushButton* m_htmlPages = nullptr;
    QPushButton* m_images = nullptr;
    QPushButton* m_bookmarkFolder = nullptr;
    QToolButton* m_browserIcon = nullptr;
};

} // namespace velbrin
