#pragma once

#include <QString>
#include <QtGlobal>

namespace tovik {

// A file written beside its destination and moved over it only once every byte has reached the
// disk, so that a full disk, a quota or a crash never leaves the destination shorter than it was.
// Every write is checked where it happens (nothing is buffered behind the caller's back); on any
// failure the temporary file is removed and the destination is left as it was.
//
// Durable files (pictures the user saves, the settings) are flushed to the device before the
// rename and the folder after it. Work files, which live only as long as the program, skip the
// flushes: their content is still checked whole before it replaces anything.
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

    // The prefix of this program's temporary files beside path, for tidying after a crash.
    static QString temporaryPrefix(const QString& path);

private:
    bool fail(int error);

    QString m_path;
    QString m_temporary;
    Kind m_kind;
    int m_fd = -1;
    QString m_error;
};

// Writes data to path through a SafeFile; false with error set on failure.
bool writeFileSafely(const QString& path, const QByteArray& data, SafeFile::Kind kind,
                     QString* error);

} // namespace tovik
