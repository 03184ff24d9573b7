// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>

namespace tovik {

// A file written beside its destination and moved over it only once every byte has reached the
// disk, so that a full disk, a quota or a crash never leaves the destination shorter than it was.
// Every write is checked where it happens (nothing is buffered behind the caller's back); on any
// failure the temporary file is removed and the destination is left as it was.
//
// The destination is the file at the end of a chain of links (a dangling link names a new file
// at its target). A file that is there already keeps its mode, its owner and group (as far as
// this process may set them) and its extended attributes, ACLs among them; one this process may
// not write is refused, as an ordinary open for writing would be.
//
// Durable files (pictures the user saves, the settings) are flushed to the device before the
// rename and the folder after it; a failure of either is reported. Work files, which live only as
// long as the program, skip the flushes: their content is still checked whole before it replaces
// anything.
class SafeFile {
public:
    enum class Kind { Durable, WorkFile };

    SafeFile(const QString& path, Kind kind);
    ~SafeFile(); // removes the temporary file unless committed
    SafeFile(const SafeFile&) = delete;
    SafeFile& operator=(const SafeFile&) = delete;

    bool open();
    bool write(const char* data, qint64 size);
    bool write(const QByteArray& data) { return write(data.constData(), data.size()); }
    // Flushes, closes and moves the file into place. False, with errorString(), on any failure.
    bool commit();

    // The system's reason for the failure ("No space left on device"); empty while none failed.
    QString errorString() const { return m_error; }

    // The prefix of this program's temporary files beside path; what follows it is the writing
    // process's id, a dash and a random part, so that a leftover's owner can be told.
    static QString temporaryPrefix(const QString& path);

    // Told of every flush to the device that succeeded, with the file or folder flushed (a seam
    // for tests, which check that and when it happens).
    static void setSyncObserver(std::function<void(const QString& synced)> observer);

private:
    bool fail(int error);
    bool prepareDestination();
    bool sync(int fd, const QString& what);

    QString m_path;
    QString m_temporary;
    Kind m_kind;
    int m_fd = -1;
    int m_linkError = 0;
    QString m_error;
};

// Writes data to path through a SafeFile; false with error set on failure.
bool writeFileSafely(const QString& path, const QByteArray& data, SafeFile::Kind kind,
                     QString* error);

} // namespace tovik
