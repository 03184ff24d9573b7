// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QImageIOHandler>
#include <QImageIOPlugin>

namespace tovik {

// Reads WMF (libwmf) and EMF (libemf2svg, drawn with Qt SVG) so that QImageReader opens them
// like any other picture.
class MetafileHandler : public QImageIOHandler {
public:
    bool canRead() const override;
    bool read(QImage* image) override;
    QVariant option(ImageOption option) const override;
    bool supportsOption(ImageOption option) const override;

    static bool canRead(QIODevice* device, QByteArray* format);

private:
    bool load() const;
    mutable bool m_loaded = false;
    mutable QImage m_image;
};

class MetafilePlugin : public QImageIOPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QImageIOHandlerFactoryInterface_iid FILE "metafile.json")
public:
    Capabilities capabilities(QIODevice* device, const QByteArray& format) const override;
    QImageIOHandler* create(QIODevice* device, const QByteArray& format) const override;
};

} // namespace tovik
