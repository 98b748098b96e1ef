#pragma once

#include <QWidget>

namespace velbrin {

class TWEB;

// "&URL": the place of the Web's link list.
class TUrlTab : public QWidget {
    Q_OBJECT
public:
    explicit TUrlTab(QWidget* parent = nullptr);

    void WebToControls(const TWEB& web);
    void ControlsToWeb(TWEB& web) const;
};

} // namespace velbrin
