#pragma once

#include "capture/ResolvePass.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace velbrin {

class TWEB;
struct TSommaireParam;

// "Resolve links": runs the engine's resolution pass over a Web, showing the
// site and the page in hand and a gauge, and lets events through between
// records so that its Cancel button works.
class TResolveForm : public QDialog, public TResolveView {
public:
    TResolveForm(TWEB& web, const TSommaireParam& params, const TPictureSizeReader& readSize, QWidget* parent);

    // Shows itself modally, runs the pass, closes; kResolveDone or kResolveCancelled.
    int Run();

    void ShowSite(const std::string& site) override;
    void ShowFile(const std::string& fileName) override;
    void ShowProgress(int done, int total) override;
    bool Cancelled() override { return m_cancelled; }

    QPushButton* CancelButton() const { return m_cancel; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    TWEB& m_web;
    const TSommaireParam& m_params;
    TPictureSizeReader m_readSize;
    bool m_cancelled = false;
    bool m_running = false;
    QLabel* m_site;
    QLabel* m_file;
    QProgressBar* m_gauge;
    QPushButton* m_cancel;
};

} // namespace velbrin
