#include "net/AddressCheck.h"

#include "core/Text.h"
#include "core/Url.h"

namespace velbrin {

TAddressCheck::TAddressCheck(std::shared_ptr<THostResolver> resolver)
    : m_channel(std::make_unique<TSCX>())
{
    m_channel->SetResolver(std::move(resolver));
    m_channel->OnOkHost = [this](TSCX&) { Finish(true); };
    m_channel->OnNoHost = [this](TSCX&) { Finish(false); };
    m_channel->OnFail = [this](TSCX&) { Finish(false); };
}

void TAddressCheck::Start(std::string_view url, TDone done)
{
    Cancel();
    m_done = std::move(done);
    m_host = GetHost(url);
    if (m_channel->Go(m_host, std::to_string(GetPort(url)), kTimeoutSecs) != 0)
        return;
    // Refused at once (no host): answer from the event loop all the same.
    std::uint32_t generation = m_generation;
    QTimer::singleShot(0, m_channel.get(), [this, generation] {
        if (generation == m_generation)
            Finish(false);
    });
}

void TAddressCheck::Cancel()
{
    ++m_generation;
    m_channel->Abort();
    m_done = nullptr;
}

std::string TAddressCheck::WaitText() const
{
    std::string text = "Please wait, checking %1...";
    ReplaceFirst(text, "%1", m_host);
    return text;
}

std::string TAddressCheck::ResultText(bool reachable) const
{
    return reachable ? "Web " + m_host + " : connection possible" : m_host + " : cannot connect to this Web";
}

void TAddressCheck::Finish(bool reachable)
{
    // Only the name matters: the connection itself is not needed.
    ++m_generation;
    m_channel->Abort();
    TDone done = std::move(m_done);
    m_done = nullptr;
    if (done)
        done(reachable);
}

} // namespace velbrin
