#pragma once

#include "ui/LimitField.h"
#include "ui/MimeGrid.h"

#include <QWidget>

namespace velbrin {

class TWEB;

// "F&ile": the "Limits" group (MaxFileCountCheck/Edit, MinFileSizeCheck/Edit,
// MaxFileSizeCheck/Edit, MaxDiskSizeCheck/Edit) and, above it, the Web's MIME
// table in its grid.
class TFileTab : public QWidget {
    Q_OBJECT
public:
    explicit TFileTab(QWidget* parent = nullptr);

    void WebToControls(const TWEB& web);
    // A limit whose check box is clear is stored as 0.
    void ControlsToWeb(TWEB& web) const;

    // The area of the MIME type grid and its buttons.
    QWidget* MimeArea() const { return m_mimeArea; }
    TMimeGrid* MimeGrid() const { return m_mimeGrid; }

private:
    TLimitField m_maxFileCount, m_minFileSize, m_maxFileSize, m_maxDiskSize;
    QWidget* m_mimeArea = nullptr;
    TMimeGrid* m_mimeGrid = nullptr;
};

} // namespace velbrin
