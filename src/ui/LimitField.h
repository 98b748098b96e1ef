#pragma once

#include <QString>

#include <cstdint>

class QCheckBox;
class QSpinBox;
class QWidget;

namespace velbrin {

// A limit of the capture options: a check box "<Name>Check" and its field
// "<Name>Edit". The box is ticked when the value is above 0; the field is
// enabled exactly while the box is ticked; a clear box stands for 0.
struct TLimitField {
    QCheckBox* Check = nullptr;
    QSpinBox* Edit = nullptr;

    // Both controls, children of parent, the field taking 0 .. kOptionMax.
    static TLimitField Make(QWidget* parent, const QString& caption, const QString& name);

    void Show(std::int32_t value) const;
    std::int32_t Value() const;
};

// A field for a whole number from minimum to maximum, named name.
QSpinBox* MakeNumberField(QWidget* parent, const QString& name, int minimum, int maximum);

} // namespace velbrin
