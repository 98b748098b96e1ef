#pragma once

#include "ui/UrlListModel.h"

#include <QWidget>

#include <string>
#include <string_view>

class QAction;
class QCheckBox;
class QLineEdit;
class QListView;
class QMenu;
class QToolButton;

namespace velbrin {

class TWEB;
class TWebFile;

// "&URL": the page links of the Web whose state the "Url type" boxes
// ("ResolvedUrlCheck", "TodoUrlCheck", "ErrorUrlCheck", "FilteredUrlCheck",
// bound to the Web's display options) select, in the list "UrlList"; below
// it the selected link's address, stored file and its date ("AddressEdit",
// "FileEdit", "DateEdit") and the launch icon.
//
// The tab follows one Web (Follow): the window hands it every change of a
// link (LinkChanged, from TWEB::LinksChanged), which moves that link's row
// only; none means many links changed and the list is built again. Rows are
// keyed by address: the tab keeps no record between two calls.
class TUrlTab : public QWidget {
    Q_OBJECT
public:
    explicit TUrlTab(QWidget* parent = nullptr);

    // The Web the boxes, the selection and the pop-up menu act on; none when
    // the Web goes away (the list is then emptied).
    void Follow(TWEB* web);
    // The boxes from the Web's options, the list built again, its first item selected.
    void WebToControls(const TWEB& web);
    void ControlsToWeb(TWEB& web) const;
    // A link of the followed Web was entered or changed state; none after
    // changes to many links.
    void LinkChanged(const TWebFile* record);

    QListView* List() const { return m_list; }
    TUrlListModel& Model() { return m_model; }
    QToolButton* LaunchIcon() const { return m_launch; }
    QMenu* PopupMenu() const { return m_menu; }
    QAction* CreateWebAction() const { return m_createWeb; }
    QAction* ForceCaptureAction() const { return m_forceCapture; }
    // The address of the selected item; empty when none.
    std::string SelectedAddress() const;
    void Select(int row);

signals:
    // "&Create new Web..." on a filtered link.
    void CreateWebRequested(const std::string& address);
    // "&Force capture " on a filtered link.
    void ForceCaptureRequested(const std::string& address);
    // The launch icon, a double click or Enter: the stored file (the Web's
    // directory and file name) or else the address, for the browser.
    void LaunchRequested(const std::string& target);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Refill();
    void BoxToggled();
    void ShowSelected();
    void Launch();
    void ShowPopup(const QPoint& position);
    // The selected record of the followed Web, looked up by its address.
    const TWebFile* SelectedRecord() const;
    TUrlStates States() const;

    TWEB* m_web = nullptr;
    TUrlListModel m_model;
    QCheckBox* m_captured;
    QCheckBox* m_toExplore;
    QCheckBox* m_notFound;
    QCheckBox* m_filtered;
    QListView* m_list;
    QLineEdit* m_address;
    QLineEdit* m_file;
    QLineEdit* m_date;
    QToolButton* m_launch;
    QMenu* m_menu;
    QAction* m_createWeb;
    QAction* m_forceCapture;
};

// "&Force capture ": a filtered link becomes a link to explore of the Web
// itself (WebDepth 0), so that the next capture fetches it. Any other link is
// left alone (false).
bool ForceCapture(TWEB& web, const std::string& address);

} // namespace velbrin
