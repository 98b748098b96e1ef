#pragma once

#include <QDialog>

#include <string>

class QLabel;
class QTcpSocket;
class QTimer;

namespace velbrin {

// "Check actual web presence": connects to the host and port of the address
// (20 seconds at most) and shows whether the Web can be reached. Only shows;
// the caller learns nothing back.
class TUrlVerifDlg : public QDialog {
public:
    TUrlVerifDlg(const std::string& address, QWidget* parent);
    ~TUrlVerifDlg() override;

    // The label's text, for the outcome.
    QString Message() const;
    // True once the check ended (success or failure).
    bool Finished() const { return m_finished; }
    bool Reached() const { return m_reached; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Start();
    void Succeed();
    void Fail();

    std::string m_host;
    int m_port;
    bool m_started = false;
    bool m_finished = false;
    bool m_reached = false;
    QLabel* m_label;
    QTcpSocket* m_socket = nullptr;
    QTimer* m_timeout;
};

inline constexpr int kUrlCheckTimeoutMs = 20000;

} // namespace velbrin
