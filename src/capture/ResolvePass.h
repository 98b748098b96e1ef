#pragma once

#include "core/Pump.h"
#include "index/ImageIndex.h"

#include <string>

namespace velbrin {

class TWEB;
struct TSommaireParam;

// What the link resolution pass shows while it runs, and how it is cancelled.
class TResolveView {
public:
    virtual ~TResolveView() = default;
    // The host of the site in hand ("Recherche..." while the sites are collected).
    virtual void ShowSite(const std::string& /*site*/) {}
    // The page being rewritten.
    virtual void ShowFile(const std::string& /*fileName*/) {}
    // Progress of the gauge: done out of total.
    virtual void ShowProgress(int /*done*/, int /*total*/) {}
    // Asked after every record and site; true ends the pass there.
    virtual bool Cancelled() { return false; }
};

inline constexpr int kResolveDone = 1;
inline constexpr int kResolveCancelled = 2;

// After a capture: rewrites every stored page of the Web site by site so that
// links to captured files lead to the local copies (the map files first, the
// map entries of pages with server-side maps built on the way), generates the
// index pages of every site and recomputes the Web's TotalSize. Returns
// kResolveDone, or kResolveCancelled when the view cancelled it (TotalSize is
// then left alone). Pictures are measured with readSize. Problems writing a
// page or an index page are logged in the Web's log; the pass goes on.
// The pages are rewritten by rewriteWorkers threads (0: one per core, up to
// 4); the view, the pump and the Web are only used on the caller's thread,
// and the results are the same whatever their number.
int ResolveLinks(TWEB& web, const TSommaireParam& params, const TPictureSizeReader& readSize, TResolveView& view,
                 const TPump& pump = {}, int rewriteWorkers = 0);

} // namespace velbrin
