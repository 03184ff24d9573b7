// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QImage>
#include <QImageIOHandler>
#include <QImageIOPlugin>

namespace tovik {

// What a library-decoded format will allocate, read from its headers alone: its picture size
// (upright, as shown) and what each pixel costs across the decoder's buffers and ours.
struct FormatCost {
    QSize size;
    int bytesPerPixel = 0;
    qint64 bytes() const { return qint64(size.width()) * size.height() * bytesPerPixel; }
};

// A picture file whose library decodes it whole, turned upright by the library itself.
struct WholeFileFormat {
    // The format name for a file starting with head, or an empty name when it is not one.
    QByteArray (*sniff)(const QByteArray& head);
    // Invalid size when the headers cannot be read.
    FormatCost (*cost)(const QByteArray& file);
    // Null when the file is broken or its picture would pass the reader's allocation limit.
    QImage (*decode)(const QByteArray& file);
    // Where the library makes a smaller picture for less: one of at least size (as stored, not
    // turned), which the handler scales to size. None: decoded whole, then scaled.
    QImage (*decodeNear)(const QByteArray& file, QSize size) = nullptr;
    // Where the library does not turn the picture: how it is turned upright.
    QImageIOHandler::Transformations (*turn)(const QByteArray& file) = nullptr;
    // Its files start as another format's do (a TIFF's): read only when asked for by name.
    bool byNameOnly = false;
};

// Reads a file once and decodes it once, however often Qt asks for its size and picture.
class WholeFileHandler : public QImageIOHandler {
public:
    explicit WholeFileHandler(const WholeFileFormat& format) : m_format(format) {}
    bool canRead() const override;
    bool read(QImage* image) override;
    QVariant option(ImageOption option) const override;
    bool supportsOption(ImageOption option) const override;
    void setOption(ImageOption option, const QVariant& value) override;

private:
    const QByteArray& file() const;
    const WholeFileFormat& m_format;
    mutable bool m_read = false;
    mutable QByteArray m_file;
    QSize m_scaled;
};

// Whether the allocation limit Qt's readers share (QImageReader::allocationLimit) allows cost.
bool withinAllocationLimit(const FormatCost& cost);

// The plugin for one such format: keys are the names it answers to.
class WholeFilePlugin : public QImageIOPlugin {
public:
    WholeFilePlugin(const WholeFileFormat& format, QList<QByteArray> keys)
        : m_format(format), m_keys(std::move(keys)) {}
    Capabilities capabilities(QIODevice* device, const QByteArray& format) const override;
    QImageIOHandler* create(QIODevice* device, const QByteArray& format) const override;

private:
    const WholeFileFormat& m_format;
    QList<QByteArray> m_keys;
};

} // namespace tovik
