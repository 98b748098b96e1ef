#include "ui/LimitField.h"

#include "config/Options.h"

#include <QCheckBox>
#include <QSpinBox>

namespace velbrin {

QSpinBox* MakeNumberField(QWidget* parent, const QString& name, int minimum, int maximum)
{
    auto* field = new QSpinBox(parent);
    field->setObjectName(name);
    field->setRange(minimum, maximum);
    field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 28);
    return field;
}

TLimitField TLimitField::Make(QWidget* parent, const QString& caption, const QString& name)
{
    TLimitField limit;
    limit.Check = new QCheckBox(caption, parent);
    limit.Check->setObjectName(name + QStringLiteral("Check"));
    limit.Edit = MakeNumberField(parent, name + QStringLiteral("Edit"), kOptionMin, kOptionMax);
    limit.Edit->setEnabled(false);
    QSpinBox* edit = limit.Edit;
    QObject::connect(limit.Check, &QCheckBox::toggled, edit, &QWidget::setEnabled);
    return limit;
}

void TLimitField::Show(std::int32_t value) const
{
    const std::int32_t shown = ClampOption(value);
    Edit->setValue(shown);
    Check->setChecked(shown > 0);
    Edit->setEnabled(shown > 0);
}

std::int32_t TLimitField::Value() const
{
    return Check->isChecked() ? ClampOption(Edit->value()) : 0;
}

} // namespace velbrin
