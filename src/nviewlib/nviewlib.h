// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QImage>
#include <QString>
#include <QtGlobal>

#include <memory>

namespace tovik {

// The JPEG library: NViewLibLoad makes a bitmap file its current picture, NViewLibSaveAsJPG
// writes that picture as a JPEG at a quality of 0 (smallest file) to 100 (best). The picture is
// kept between the two calls. Both return 1 on success and 0 on failure, with lastError() saying
// why; the destination is written only once the whole JPEG is encoded, and replaced atomically.
class NViewLib {
public:
    NViewLib();
    ~NViewLib();
    NViewLib(const NViewLib&) = delete;
    NViewLib& operator=(const NViewLib&) = delete;

    qint32 NViewLibLoad(const QString& fileName, qint32 reserved);
    qint16 NViewLibSaveAsJPG(qint16 quality, const QString& fileName);

    // The picture a bitmap file is being written of, taken as NViewLibLoad takes that file.
    void NViewLibLoad(const QImage& picture);
    // NViewLibSaveAsJPG in its two halves: the current picture encoded (empty on failure), and
    // those bytes written as fileName (0 on failure).
    QByteArray encodeJPG(qint16 quality);
    qint16 writeJPG(const QByteArray& jpeg, const QString& fileName);

    QString lastError() const { return m_error; }

private:
    struct Picture;
    std::unique_ptr<Picture> m_picture;
    QString m_error;
};

} // namespace tovik
