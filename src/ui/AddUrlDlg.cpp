#include "ui/AddUrlDlg.h"

#include "browser/BrowserDde.h"
#include "config/Param.h"
#include "core/Url.h"
#include "ui/ShownText.h"
#include "ui/UrlVerifDlg.h"

#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace velbrin {

namespace {

constexpr std::size_t kBrowserTextMax = 255;

// TAddUrlDlg: one address; OK is refused while it has no host.
class TAddUrlDlg : public QDialog {
public:
    TAddUrlDlg(const QString& caption, const std::string& initial, const TParam& settings, QWidget* parent)
        : QDialog(parent), m_settings(settings), m_url(new QLineEdit(ShownText(initial), this))
    {
        setWindowTitle(caption.isEmpty() ? tr("Add URL to the web") : caption);
        m_url->setObjectName(QStringLiteral("UrlEdit"));
        m_url->setMaxLength(255);
        m_url->setMinimumWidth(320);

        auto* check = new QPushButton(tr("&Check..."), this);
        check->setObjectName(QStringLiteral("CheckButton"));
        auto* domain = new QPushButton(tr("Navigator's current domain"), this);
        domain->setObjectName(QStringLiteral("BrowserDomainButton"));
        auto* page = new QPushButton(tr("Navigator's URL"), this);
        page->setObjectName(QStringLiteral("BrowserUrlButton"));
        auto* ok = new QPushButton(tr("&OK"), this);
        ok->setObjectName(QStringLiteral("OkButton"));
        ok->setDefault(true);
        auto* cancel = new QPushButton(tr("&Cancel"), this);
        cancel->setObjectName(QStringLiteral("CancelButton"));

        auto* group = new QGroupBox(tr(" Internet address"), this);
        auto* grid = new QGridLayout(group);
        grid->addWidget(m_url, 0, 0, 1, 2);
        grid->addWidget(check, 0, 2);
        grid->addWidget(domain, 1, 0);
        grid->addWidget(page, 1, 1);

        auto* buttons = new QHBoxLayout;
        buttons->addStretch(1);
        buttons->addWidget(ok);
        buttons->addWidget(cancel);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(group);
        layout->addLayout(buttons);
        layout->setSizeConstraint(QLayout::SetFixedSize);

        connect(ok, &QPushButton::clicked, this, &QDialog::accept);
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
        connect(check, &QPushButton::clicked, this, [this] {
            TUrlVerifDlg dlg(Address(), this);
            dlg.exec();
        });
        connect(page, &QPushButton::clicked, this, [this] {
            std::string address;
            if (AskBrowser(address))
                m_url->setText(ShownText(address));
        });
        connect(domain, &QPushButton::clicked, this, [this] {
            std::string address;
            if (AskBrowser(address))
                m_url->setText(ShownText("http://" + GetHost(address) + "/"));
        });
    }

    std::string Address() const { return StoredText(m_url->text().trimmed()); }

    void done(int result) override
    {
        if (result == QDialog::Accepted && GetHost(Address()).empty())
            return;
        QDialog::done(result);
    }

private:
    // The browser's current page; false when the browser does not answer, and
    // then the field stays as it is.
    bool AskBrowser(std::string& address) const
    {
        std::string title;
        return GetBrowserWindowInfo(m_settings.ExeName, address, kBrowserTextMax, title, kBrowserTextMax);
    }

    const TParam& m_settings;
    QLineEdit* m_url;
};

} // namespace

std::optional<std::string> AskAddress(QWidget* parent, const QString& caption, const std::string& initial,
                                      const TParam& settings)
{
    TAddUrlDlg dlg(caption, initial, settings, parent);
    if (dlg.exec() != QDialog::Accepted)
        return std::nullopt;
    return dlg.Address();
}

} // namespace velbrin
