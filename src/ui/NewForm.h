#pragma once

#include <QDialog>

#include <string>

class QLineEdit;
class QPushButton;

namespace velbrin {

class TParam;

// How the caller sets the New Web dialog up; a bit set.
enum TNewFormFlag : unsigned {
    nfReadOnlyAddress = 1,    // the address cannot be edited
    nfCaptureButton = 2,      // "Create and Capture" is offered
    nfPathFollowsAddress = 4, // every change of the address recomputes the directory
    nfAskBrowser = 8,         // on showing, take the browser's current page and title
};
inline constexpr unsigned kNewFormDefaultFlags = nfCaptureButton | nfPathFollowsAddress | nfAskBrowser;

enum class TNewFormResult { Create, Cancel, CreateAndCapture };

// "New Web": the start address, the capture directory and the title of a new
// Web. It refuses to close (but with Cancel) until the address has a host and
// the directory is not empty.
class TNewForm : public QDialog {
public:
    // settings: Path is the default capture directory, ExeName the browser asked with nfAskBrowser.
    TNewForm(const TParam& settings, QWidget* parent);

    void SetFlags(unsigned flags);
    unsigned Flags() const { return m_flags; }
    void SetAddress(const std::string& url);
    void SetTitle(const std::string& title);

    std::string Address() const;
    std::string Directory() const; // ends with "/" (but when empty)
    std::string Title() const;

    // Shows the dialog modally.
    TNewFormResult Run();

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FollowAddress();
    void ApplyFlags();
    void Browse();
    void Check();

    const TParam& m_settings;
    unsigned m_flags = kNewFormDefaultFlags;
    bool m_shown = false;
    QLineEdit* m_url;
    QLineEdit* m_path;
    QLineEdit* m_title;
    QPushButton* m_create;
    QPushButton* m_capture;
};

// The directory a new Web of that address gets: the default capture directory
// (a "/" added when missing) followed by GetShortName of the address and "/".
std::string NewWebDirectory(const std::string& defaultDirectory, const std::string& url);

} // namespace velbrin
