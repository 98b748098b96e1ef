#pragma once

#include "net/SocketChannel.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace velbrin {

// Tells whether the host of an address is known to the name service, before a
// Web is created for it. The answer comes in the event loop; a host that has
// not resolved within kTimeoutSecs counts as unknown.
class TAddressCheck {
public:
    using TDone = std::function<void(bool reachable)>;

    static constexpr std::int32_t kTimeoutSecs = 20;
    static constexpr std::string_view kCaption = "Check actual web presence";

    // Look-ups go to resolver; without one, to DefaultHostResolver().
    explicit TAddressCheck(std::shared_ptr<THostResolver> resolver = nullptr);

    // Starts checking the host of url (a check in progress is dropped); done
    // runs once, unless Cancel or the destructor comes first.
    void Start(std::string_view url, TDone done);
    void Cancel();

    const std::string& Host() const { return m_host; }
    // "Please wait, checking <host>..."
    std::string WaitText() const;
    // "Web <host> : connection possible", or "<host> : cannot connect to this Web".
    std::string ResultText(bool reachable) const;

private:
    void Finish(bool reachable);

    std::unique_ptr<TSCX> m_channel;
    std::string m_host;
    TDone m_done;
    std::uint32_t m_generation = 0;
};

} // namespace velbrin
