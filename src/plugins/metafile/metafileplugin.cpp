// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "plugins/metafile/metafileplugin.h"

#include "plugins/metafile/metafileimage.h"
#include "plugins/metafile/metafilerender.h"

#include <QImage>
#include <QVariant>

namespace tovik {

namespace {
const unsigned char* bytes(const QByteArray& data) {
    return reinterpret_cast<const unsigned char*>(data.constData());
}
} // namespace

bool MetafileHandler::canRead(QIODevice* device, QByteArray* format) {
    if (!device)
        return false;
    const QByteArray head = device->peek(88);
    const auto* p = bytes(head);
    if (metafile::looksLikeEmf(p, std::size_t(head.size()))) {
        *format = "emf";
        return true;
    }
    if (metafile::looksLikeWmf(p, std::size_t(head.size()))) {
        *format = "wmf";
        return true;
    }
    return false;
}

bool MetafileHandler::canRead() const {
    QByteArray found;
    if (!canRead(device(), &found))
        return false;
    const_cast<MetafileHandler*>(this)->setFormat(found);
    return true;
}

bool MetafileHandler::load() const {
    if (m_loaded)
        return !m_image.isNull();
    m_loaded = true;
    QByteArray found;
    if (!canRead(device(), &found))
        return false;
    // Drawn by a helper process: the libraries cannot be bounded, and their crash or endless
    // loop must not take the viewer with it.
    m_image = renderMetafileOutside(device()->read(MaxMetafileBytes));
    return !m_image.isNull();
}

bool MetafileHandler::read(QImage* image) {
    if (!load())
        return false;
    *image = m_image;
    return true;
}

bool MetafileHandler::supportsOption(ImageOption option) const {
    return option == Size;
}

QVariant MetafileHandler::option(ImageOption option) const {
    if (option == Size && load())
        return m_image.size();
    return {};
}

QImageIOPlugin::Capabilities MetafilePlugin::capabilities(QIODevice* device,
                                                          const QByteArray& format) const {
    if (format == "wmf" || format == "emf")
        return CanRead;
    QByteArray found;
    if (format.isEmpty() && device && device->isReadable() &&
        MetafileHandler::canRead(device, &found))
        return CanRead;
    return {};
}

QImageIOHandler* MetafilePlugin::create(QIODevice* device, const QByteArray& format) const {
    auto* handler = new MetafileHandler;
    handler->setDevice(device);
    handler->setFormat(format);
    return handler;
}

} // namespace tovik
