#include "library/picturedecode.h"

#include <QBuffer>
#include <QImageReader>

namespace velka {

QImage DecodePicture(const QByteArray& Bytes, const char* Format, int64_t MaxPixelBytes, QString& Error)
{
    QBuffer Buffer;
    Buffer.setData(Bytes);
    Buffer.open(QIODevice::ReadOnly);
    QImageReader Reader(&Buffer, Format);
    Reader.setAllocationLimit(int(MaxPixelBytes >> 20));  // in megabytes
    QImage Picture;
    if (!Reader.read(&Picture) || Picture.isNull()) {
        Error = Reader.errorString();
        return QImage();
    }
    return Picture;
}

}  // namespace velka
