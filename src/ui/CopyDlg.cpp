#include "ui/CopyDlg.h"

#include "ui/ShownText.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>

namespace velbrin {

// A gauge of separate boxes, lit from the left.
class TBoxGauge : public QWidget {
public:
    static constexpr int kBoxes = 30;

    explicit TBoxGauge(QWidget* parent) : QWidget(parent)
    {
        setObjectName(QStringLiteral("Gauge"));
        setFixedSize(kBoxes * 10 + 2, 16);
    }

    void SetProgress(int done, int total)
    {
        int lit = 0;
        if (total > 0)
            lit = static_cast<int>(static_cast<long long>(std::clamp(done, 0, total)) * kBoxes / total);
        if (lit != m_lit) {
            m_lit = lit;
            update();
        }
    }
    int Lit() const { return m_lit; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
        const QColor on = palette().color(QPalette::Highlight);
        for (int box = 0; box < m_lit; ++box)
            painter.fillRect(2 + box * 10, 2, 8, height() - 4, on);
    }

private:
    int m_lit = 0;
};

TCopyDlg::TCopyDlg(const QString& caption, const std::string& from, const std::string& to, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_file(new QLineEdit(this)),
      m_gauge(new TBoxGauge(this))
{
    setWindowTitle(caption);
    setModal(false);
    m_file->setObjectName(QStringLiteral("FileEdit"));
    m_file->setReadOnly(true);

    auto* fromLabel = new QLabel(ShownText(from), this);
    fromLabel->setObjectName(QStringLiteral("FromLabel"));
    auto* toLabel = new QLabel(ShownText(to), this);
    toLabel->setObjectName(QStringLiteral("ToLabel"));

    auto* form = new QFormLayout;
    form->addRow(tr("Copy from:"), fromLabel);
    form->addRow(tr("To:"), toLabel);
    form->addRow(tr("Files used:"), m_file);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_gauge, 0, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TCopyDlg::ShowProgress(const std::string& fileName, int done, int total)
{
    m_file->setText(ShownText(fileName));
    m_gauge->SetProgress(done, total);
}

QString TCopyDlg::FileShown() const { return m_file->text(); }
int TCopyDlg::BoxesLit() const { return m_gauge->Lit(); }

} // namespace velbrin
