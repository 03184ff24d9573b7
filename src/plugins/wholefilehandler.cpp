// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "plugins/wholefilehandler.h"

#include <QBuffer>
#include <QImageReader>
#include <QVariant>

namespace tovik {

namespace {
constexpr qint64 HeadBytes = 64;
// No picture file is longer; whatever a device holds, no more is read.
constexpr qint64 MostFileBytes = qint64(512) << 20;

QByteArray sniffed(const WholeFileFormat& format, QIODevice* device) {
    if (!device || !device->isReadable())
        return {};
    return format.sniff(device->peek(HeadBytes));
}
} // namespace

bool withinAllocationLimit(const FormatCost& cost) {
    const qint64 limit = qint64(QImageReader::allocationLimit()) << 20;
    return cost.size.isValid() &&
           (limit <= 0 ||
            double(cost.size.width()) * cost.size.height() * cost.bytesPerPixel <= double(limit));
}

bool WholeFileHandler::canRead() const {
    const QByteArray found = sniffed(m_format, device());
    if (found.isEmpty())
        return false;
    const_cast<WholeFileHandler*>(this)->setFormat(found);
    return true;
}

const QByteArray& WholeFileHandler::file() const {
    // A file already whole in memory is shared, not copied: a camera's RAW runs to 100 MB.
    const auto* buffer = qobject_cast<const QBuffer*>(device());
    if (!m_read && buffer && buffer->pos() == 0 && !sniffed(m_format, device()).isEmpty())
        m_file = buffer->data().left(MostFileBytes);
    else if (!m_read && !sniffed(m_format, device()).isEmpty())
        m_file = device()->read(MostFileBytes);
    m_read = true;
    return m_file;
}

bool WholeFileHandler::read(QImage* image) {
    if (file().isEmpty())
        return false;
    if (m_scaled.isValid() && m_format.decodeNear) {
        *image = m_format.decodeNear(file(), m_scaled);
        if (!image->isNull() && image->size() != m_scaled)
            *image = image->scaled(m_scaled, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    } else {
        *image = m_format.decode(file());
    }
    m_file.clear(); // one picture a file: its bytes are no longer needed
    return !image->isNull();
}

bool WholeFileHandler::supportsOption(ImageOption option) const {
    return option == Size || (option == ScaledSize && m_format.decodeNear) ||
           (option == ImageTransformation && m_format.turn);
}

void WholeFileHandler::setOption(ImageOption option, const QVariant& value) {
    if (option == ScaledSize)
        m_scaled = value.toSize();
}

QVariant WholeFileHandler::option(ImageOption option) const {
    if (option == ImageTransformation && m_format.turn && !file().isEmpty())
        return int(m_format.turn(file()));
    if (option != Size || file().isEmpty())
        return {};
    const QSize size = m_format.cost(file()).size;
    return size.isValid() ? QVariant(size) : QVariant();
}

QImageIOPlugin::Capabilities WholeFilePlugin::capabilities(QIODevice* device,
                                                           const QByteArray& format) const {
    if (m_keys.contains(format))
        return CanRead;
    if (format.isEmpty() && !m_format.byNameOnly && !sniffed(m_format, device).isEmpty())
        return CanRead;
    return {};
}

QImageIOHandler* WholeFilePlugin::create(QIODevice* device, const QByteArray& format) const {
    auto* handler = new WholeFileHandler(m_format);
    handler->setDevice(device);
    handler->setFormat(format);
    return handler;
}

} // namespace tovik
