#include "platform/metafile/metafileplugin.h"

#include "platform/metafile/metafilerender.h"

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QVariant>

#include <emf2svg.h>

#include <cstdlib>
#include <cstring>

namespace tovik {

namespace {
// Metafiles are a few megabytes at most; a larger file is not one.
constexpr qint64 MaxMetafileBytes = 64 * 1024 * 1024;

const unsigned char* bytes(const QByteArray& data) {
    return reinterpret_cast<const unsigned char*>(data.constData());
}

QImage wmfImage(const QByteArray& data) {
    std::vector<unsigned char> png;
    if (!metafile::renderWmf(bytes(data), std::size_t(data.size()), png))
        return {};
    return QImage::fromData(png.data(), int(png.size()), "PNG");
}

QImage emfImage(const QByteArray& data) {
    int width = 0, height = 0;
    if (!metafile::emfSize(bytes(data), std::size_t(data.size()), width, height) ||
        !metafile::emfWithinBudget(bytes(data), std::size_t(data.size())))
        return {};
    generatorOptions options{};
    options.nameSpace = const_cast<char*>("svg");
    options.svgDelimiter = true;
    options.imgWidth = width;
    options.imgHeight = height;
    char* svg = nullptr;
    std::size_t svgLength = 0;
    QByteArray input = data; // the converter takes a non-const buffer
    const int ok = emf2svg(input.data(), std::size_t(input.size()), &svg, &svgLength, &options);
    const QByteArray document = ok && svg ? QByteArray(svg, qsizetype(svgLength)) : QByteArray();
    std::free(svg);
    QSvgRenderer renderer(document);
    if (!renderer.isValid())
        return {};
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return {};
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
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
    const QByteArray data = device()->read(MaxMetafileBytes);
    m_image = found == "emf" ? emfImage(data) : wmfImage(data);
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
