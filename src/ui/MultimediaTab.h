#pragma once

#include <QWidget>

namespace velbrin {

class TWEB;

// "&Multimedia": the place of the list of captured pictures, videos and sounds.
class TMultimediaTab : public QWidget {
    Q_OBJECT
public:
    explicit TMultimediaTab(QWidget* parent = nullptr);

    void WebToControls(const TWEB& web);
    void ControlsToWeb(TWEB& web) const;
};

} // namespace velbrin
