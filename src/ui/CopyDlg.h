#pragma once

#include <QDialog>

#include <string>

class QLineEdit;

namespace velbrin {

class TBoxGauge;

// The progress of copying or moving a Web: shown without being modal, without
// a close button, while the copy runs. ShowProgress fits TCopyProgress.
class TCopyDlg : public QDialog {
public:
    TCopyDlg(const QString& caption, const std::string& from, const std::string& to, QWidget* parent);

    void ShowProgress(const std::string& fileName, int done, int total);

    QString FileShown() const;
    int BoxesLit() const;

    // Escape does not close it: the copy closes it when it is over.
    void reject() override {}

private:
    QLineEdit* m_file;
    TBoxGauge* m_gauge;
};

} // namespace velbrin
