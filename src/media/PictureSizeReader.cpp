#include "media/PictureSizeReader.h"

#include <QByteArray>
#include <QFile>
#include <QImageReader>
#include <QSize>

namespace velbrin {

namespace {

// Only the three kinds a captured Web lists as pictures: their header readers
// are small, and no other image plugin sees a file from the network.
bool IsListedFormat(const QByteArray& format)
{
    return format == "gif" || format == "jpeg" || format == "png";
}

} // namespace

TPictureSize ReadPictureSize(const std::string& fileName)
{
    QFile file(QFile::decodeName(QByteArray::fromStdString(fileName)));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray format = QImageReader::imageFormat(&file);
    if (!IsListedFormat(format))
        return {};
    file.seek(0);
    QImageReader reader(&file, format);
    reader.setDecideFormatFromContent(true);
    QSize size = reader.size();
    if (!size.isValid() || size.width() <= 0 || size.height() <= 0)
        return {};
    return {size.width(), size.height()};
}

} // namespace velbrin
