#include "ui/ByteField.h"

#include "ui/ShownText.h"

#include <QByteArray>
#include <QLineEdit>
#include <QVariant>

namespace velbrin {

namespace {
constexpr const char* kBytesProperty = "velbrinBytes";
}

void ShowBytes(QLineEdit* field, const std::string& bytes)
{
    field->setProperty(kBytesProperty, QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    field->setText(ShownText(bytes));
    field->setCursorPosition(0);
}

std::string FieldBytes(const QLineEdit* field)
{
    const QByteArray shown = field->property(kBytesProperty).toByteArray();
    std::string bytes(shown.constData(), static_cast<std::size_t>(shown.size()));
    if (field->text() == ShownText(bytes))
        return bytes;
    return StoredText(field->text());
}

} // namespace velbrin
