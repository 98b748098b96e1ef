#pragma once

#include "index/PageIndex.h"

namespace velbrin {

// The list of a site's other stored files ("_IxO"): description, file, MIME
// type and size on disk. It takes every stored file; the home page offers it
// what the picture and HTML lists left.
class TOtherIndex final : public TPageIndex {
public:
    TOtherIndex(const TWebDescription& web, std::int32_t rowsPerPage, std::string templateDir);

    bool OfferFile(const TWebFile& file) override;
    bool Accepts(const TWebFile& file) const override;
};

} // namespace velbrin
