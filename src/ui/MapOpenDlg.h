#pragma once

#include <QDialog>

#include <cstddef>
#include <optional>

class QListWidget;

namespace velbrin {

class TMAPLIST;

// "Open an Image MAP": the pictures of the Web's map list beside the pages
// that show them, one line each, the selection kept in step between the two
// columns. OK or a double click chooses the selected entry.
class TMapOpenDlg : public QDialog {
public:
    TMapOpenDlg(const TMAPLIST& maps, QWidget* parent);

    // The selected entry; none before a line is selected.
    std::optional<std::size_t> Selected() const;
    QListWidget* Images() const { return m_images; }
    QListWidget* Pages() const { return m_pages; }

private:
    void Follow(QListWidget* from, QListWidget* to);

    QListWidget* m_images;
    QListWidget* m_pages;
};

// Asks which entry to open; none when the dialog is cancelled.
std::optional<std::size_t> ChooseImageMap(QWidget* parent, const TMAPLIST& maps);

} // namespace velbrin
