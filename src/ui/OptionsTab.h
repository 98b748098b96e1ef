#pragma once

#include <QWidget>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace velbrin {

class TWEB;

// "&Options": the depth, path, time-out, credential and page options of the
// Web. The "External webs" group is greyed while the external web depth is
// below 1. Object names: InternalPathLimitCheck, InternalLinkDepthEdit,
// ExternalWebDepthEdit, ExternalWebsGroup, ExternalPathLimitCheck,
// ExternalLinkDepthLabel, ExternalLinkDepthEdit, MaxTimeCheck, MaxTimeEdit,
// UsernameEdit, PasswordEdit, RealLinkCheck, SuppressLinkCheck, RefLimitCheck,
// BackgroundOnlyCheck.
class TOptionsTab : public QWidget {
    Q_OBJECT
public:
    explicit TOptionsTab(QWidget* parent = nullptr);

    void WebToControls(const TWEB& web);
    // A time-out whose check box is clear is stored as 0.
    void ControlsToWeb(TWEB& web) const;

private:
    void UpdateExternalWebs();

    QCheckBox* m_internalPathLimit = nullptr;
    QSpinBox* m_internalLinkDepth = nullptr;
    QSpinBox* m_externalWebDepth = nullptr;
    QGroupBox* m_externalWebs = nullptr;
    QCheckBox* m_externalPathLimit = nullptr;
    QLabel* m_externalLinkDepthLabel = nullptr;
    QSpinBox* m_externalLinkDepth = nullptr;
    QCheckBox* m_maxTimeCheck = nullptr;
    QSpinBox* m_maxTime = nullptr;
    QLineEdit* m_username = nullptr;
    QLineEdit* m_password = nullptr;
    QCheckBox* m_realLink = nullptr;
    QCheckBox* m_suppressLink = nullptr;
    QCheckBox* m_refLimit = nullptr;
    QCheckBox* m_backgroundOnly = nullptr;
};

} // namespace velbrin
