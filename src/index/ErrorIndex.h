#pragma once

#include "index/PageIndex.h"

namespace velbrin {

// The list of a site's links that failed ("_IxE"): description, address and
// whether the link was given up after errors or not found.
class TErrorIndex final : public TPageIndex {
public:
    TErrorIndex(const TWebDescription& web, std::int32_t rowsPerPage, std::string templateDir);

    bool OfferFile(const TWebFile& file) override;
    bool Accepts(const TWebFile& file) const override;
};

} // namespace velbrin
