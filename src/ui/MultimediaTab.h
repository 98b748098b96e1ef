#pragma once

#include <QIcon>
#include <QWidget>

#include <set>
#include <string>
#include <vector>

class QCheckBox;
class QListWidget;
class QStackedWidget;
class QTimer;
class QToolButton;

namespace velbrin {

class TPictureView;
class TPlayer;
class TWEB;
class TWebFile;

// The four kinds of captured documents the tab lists.
enum class TDocumentKind { Gif, Jpeg, Avi, Wav };

// "&Multimedia": the captured pictures, videos and sounds of the Web
// ("DocumentList"), filtered by the four type boxes, and on the right the
// selected one: a picture on the panel ("Wall"), or a video or sound with the
// player bar below it. A click selects; the document is shown 500 ms later,
// and a double click also starts playing it.
//
// The tab keeps copies of what it lists (file names, kinds, the Web's
// directory), never a pointer into the Web.
class TMultimediaTab : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSelectionDelay = 500;

    explicit TMultimediaTab(QWidget* parent = nullptr);
    ~TMultimediaTab() override;

    // The five options, the Web's directory and its documents; nothing selected.
    void WebToControls(const TWEB& web);
    // The five options back into the Web.
    void ControlsToWeb(TWEB& web) const;
    // Follows TWEB::LinksChanged: a record that was captured as one of the
    // four kinds joins the list; none means the Web's records are read again.
    void LinkChanged(const TWEB& web, const TWebFile* record);
    // A picture kept by the capture (the capture view's ListDocument): listed
    // when it is not yet, and shown at once when asked.
    void ListDocument(const std::string& fileName, bool show);
    // Forgets the Web: empty list, nothing shown or playing.
    void Clear();

    // Rebuilds the list from the documents the type boxes let through and
    // selects nothing.
    void FillDocumentList();
    // Shows (or opens in the player, playing it when asked) the document of
    // the list's row; -1 clears the display.
    void ShowDocument(int index, bool play = false);

    QListWidget* DocumentList() const { return m_list; }
    QCheckBox* TypeCheck(TDocumentKind kind) const { return m_typeChecks[static_cast<int>(kind)]; }
    QCheckBox* ResizeCheck() const { return m_resize; }
    // "Load document": enabled while a document is selected; the window
    // gives it the browser's icon.
    QToolButton* LoadIcon() const { return m_loadIcon; }
    TPictureView* Picture() const { return m_picture; }
    TPlayer* Player() const { return m_player; }
    QTimer* SelectionTimer() const { return m_selectionTimer; }

private:
    struct TDocument {
        std::string FileName;
        TDocumentKind Kind;
    };

    void ReadDocuments(const TWEB& web);
    void AddDocument(const TWebFile& record);
    // Appends a document the list does not hold yet; false when it does.
    bool AddDocument(const std::string& fileName, TDocumentKind kind);
    void AddItem(const TDocument& document);
    bool Listed(TDocumentKind kind) const;
    void Select(int index);
    void Armed(bool play);

    QListWidget* m_list = nullptr;
    QCheckBox* m_typeChecks[4] = {};
    QCheckBox* m_resize = nullptr;
    QToolButton* m_loadIcon = nullptr;
    QStackedWidget* m_wall = nullptr;
    TPictureView* m_picture = nullptr;
    TPlayer* m_player = nullptr;
    QTimer* m_selectionTimer = nullptr;
    // Item icons: picture, sound, video.
    QIcon m_icons[3];

    std::string m_directory;
    std::vector<TDocument> m_documents;
    std::set<std::string> m_known;
    // Rows of the list: indexes into m_documents.
    std::vector<std::size_t> m_rows;
    bool m_playArmed = false;
    bool m_selecting = false;
};

} // namespace velbrin
