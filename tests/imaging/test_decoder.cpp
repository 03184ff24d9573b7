// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/decoding/canvas.h"
#include "imaging/decoding/route.h"
#include "imaging/helper/decoderclient.h"
#include "imaging/helper/protocol.h"
#include "imaging/openpicture.h"
#include "imaging/pictures.h"
#include "sandbox/sandbox.h"
#include "support/testmain.h"
#include "support/viewer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QtConcurrent/QtConcurrentRun>

#include <csignal>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tovik;
using namespace tovik::decoder;
using tovik::test::Viewer;

namespace {
// A PNG of noise: slow enough to decode that a helper can be ended while it works.
QImage noise(int side) {
    QImage picture(side, side, QImage::Format_RGB32);
    quint32 seed = 12345;
    for (int y = 0; y < side; ++y) {
        auto* row = reinterpret_cast<quint32*>(picture.scanLine(y));
        for (int x = 0; x < side; ++x)
            row[x] = 0xff000000u | (seed = seed * 1664525u + 1013904223u) >> 8;
    }
    return picture;
}

// The decoding helpers this process started that are still there.
QList<int> decodingHelpers() {
    QList<int> helpers;
    for (const QString& entry : QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat("/proc/" + entry + "/stat");
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        const qsizetype after = line.lastIndexOf(')');
        const QList<QByteArray> fields = line.mid(after + 2).split(' ');
        if (line.contains("(tovik-decoder)") && fields.value(1).toInt() == ::getpid())
            helpers << entry.toInt();
    }
    return helpers;
}

// Whether a thread of this process waits in poll(): the viewer's side of a request, sent, waits
// for its answer there.
bool aThreadWaitsInPoll() {
    QList<long> calls{SYS_ppoll};
#ifdef SYS_poll
    calls << SYS_poll;
#endif
    for (const QString& task :
         QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile syscall("/proc/self/task/" + task + "/syscall");
        if (syscall.open(QIODevice::ReadOnly) &&
            calls.contains(syscall.readAll().split(' ').first().toLong()))
            return true;
    }
    return false;
}

char processState(int pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray line = stat.readAll();
    const qsizetype after = line.lastIndexOf(')'); // the name may hold anything
    return after >= 0 && after + 2 < line.size() ? line[after + 2] : 0;
}

QString seccompMode(int pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("Seccomp:"))
            return QString::fromLatin1(line.mid(8).trimmed());
    return {};
}
} // namespace

class TestDecoder : public QObject {
    Q_OBJECT
private slots:
    // The helper decodes behind seccomp: a path is refused, a socket or a program ends it, and
    // the next picture gets a new helper.
    void theHelperIsWalledIn() {
        const int pid = idleHelper();
        QVERIFY(pid > 0);
        QCOMPARE(seccompMode(pid), QString("2"));
        QCOMPARE(askOddly(Kind::TryOpen).claimed.width(), EACCES);
        for (const Kind kind : {Kind::TrySocket, Kind::TryExec}) {
            QCOMPARE(askOddly(kind).error, PictureError::NotAPicture);
            QCOMPARE(lastEndingSignal(), SIGSYS);
        }
        QVERIFY(idleHelper() != pid);
    }

    // The drawing helper's wall (its libraries read fonts as they draw): files may be read, none
    // written or created, no socket made; starting a program ends it.
    void theDrawingHelperIsWalledIn() {
        const pid_t child = fork();
        if (child == 0) {
            if (!enterSandbox(qint64(4) << 30, Opening::ReadOnly))
                _exit(10);
            if (::open(TOVIK_TESTDATA "/photo.jpg", O_RDONLY) < 0)
                _exit(11);
            if (::open("/tmp/tovik-walled-in", O_WRONLY | O_CREAT, 0600) >= 0)
                _exit(12);
            if (::socket(AF_UNIX, SOCK_STREAM, 0) >= 0)
                _exit(13);
            execl("/bin/true", "true", nullptr);
            _exit(14);
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY2(WIFSIGNALED(status), qPrintable(QString::number(WEXITSTATUS(status))));
        QCOMPARE(WTERMSIG(status), SIGSYS);
        QVERIFY(!QFile::exists("/tmp/tovik-walled-in"));
    }

    // A helper that dies while it decodes (killed, or crashed) gives "Invalid Picture Format",
    // the previous picture stays, and the next picture opens.
    void aHelperThatDiesIsReplaced() {
        Viewer v;
        QVERIFY(noise(1500).save(v.fake.file("noise.png")));
        for (const int signal : {SIGKILL, SIGSEGV}) {
            // Every helper that could take the request is held, and killed only once the request
            // is sent: caught in the middle, whichever helper took it, whatever the machine's
            // speed.
            idleHelper(); // one is waiting at least
            const QList<int> helpers = decodingHelpers();
            for (const int pid : helpers)
                ::kill(pid, SIGSTOP);
            QFuture<PictureLoad> load =
                QtConcurrent::run([&] { return loadPicture(v.fake.file("noise.png")); });
            QTRY_VERIFY(aThreadWaitsInPoll());
            for (const int pid : helpers) {
                ::kill(pid, signal);
                ::kill(pid, SIGCONT);
            }
            QCOMPARE(load.result().error, PictureError::NotAPicture);
            // AddressSanitizer reports a crash itself, then aborts
            QVERIFY(lastEndingSignal() == signal ||
                    (signal == SIGSEGV && lastEndingSignal() == SIGABRT));
        }
        QCOMPARE(loadPicture(v.fake.file("noise.png")).image.size(), QSize(1500, 1500));
        // A helper that dies while it waits is replaced before it is given anything.
        const int idle = idleHelper();
        ::kill(idle, SIGSEGV);
        while (processState(idle) != 'Z') // dead, not yet reaped by the pool
            QThread::yieldCurrentThread();
        QCOMPARE(loadPicture(v.fake.file("noise.png")).image.size(), QSize(1500, 1500));
        v.open({"static.gif"});
        QCOMPARE(v.w().imgThree.picture.size(), QSize(160, 120));
        QVERIFY(v.fake.messages.shown.isEmpty());
    }

    // animated.gif: red, lime, blue. Whichever helper is asked for a frame gives that frame,
    // though another one gave the frames before it.
    void anAnimationsFramesComeInTurnFromAnyHelper() {
        Viewer v;
        const QString path = v.fake.copySamples({"animated.gif"}).first();
        const OpenPicture file(path);
        int delay = 0;
        for (const quint32 number : {2u, 2u, 4u, 3u})
            QCOMPARE(decodeRoute().frame(file.fd(), number, &delay).pixel(10, 10) & 0xffffff,
                     number % 3 == 2   ? 0x0000ffu
                     : number % 3 == 1 ? 0x00ff00u
                                       : 0xff0000u);
    }

    // An answer is read within its own bounds: pixels larger than the room or than the memory
    // they are in, of a form never sent, or where none were asked for, are no picture.
    // The memory of a large picture let go goes to the helper with the next request, which
    // decodes a picture of its size into it: it comes back where it was mapped, with its own
    // pixels. A picture still held is never given.
    void aLargePictureLetGoIsDecodedIntoAgain() {
        QTemporaryDir folder;
        const auto written = [&](const char* name, QRgb colour) {
            QImage picture(1600, 1400, QImage::Format_RGB32); // past LargePictureBytes
            picture.fill(colour);
            const QString path = folder.filePath(name);
            picture.save(path, "png");
            return path;
        };
        const QString red = written("red.png", 0xffff0000), blue = written("blue.png", 0xff0000ff),
                      green = written("green.png", 0xff00ff00);
        const uchar* first = nullptr;
        {
            const QImage shown = loadPicture(red).image;
            QCOMPARE(shown.pixel(5, 5), 0xffff0000u);
            first = shown.constBits();
        }
        const QImage next = loadPicture(blue).image;
        QCOMPARE(next.constBits(), first);
        QCOMPARE(next.pixel(0, 0), 0xff0000ffu);
        QCOMPARE(next.pixel(1599, 1399), 0xff0000ffu);
        const QImage held = loadPicture(green).image;
        QVERIFY(held.constBits() != next.constBits());
        QCOMPARE(next.pixel(800, 700), 0xff0000ffu);
        QCOMPARE(held.pixel(800, 700), 0xff00ff00u);
    }

    void answersBeyondTheirBoundsAreRefused() {
        const int memory = sealedMemory(400 * 100);
        QVERIFY(memory >= 0);
        Request load;
        load.room = 400 * 100;
        Answer answer;
        answer.width = 100, answer.height = 100, answer.bytesPerLine = 400;
        answer.format = QImage::Format_RGB32;
        QCOMPARE(answeredLoad(answer, memory, load)->image.size(), QSize(100, 100));
        const auto refused = [&](Answer changed, const Request& asked) {
            return !answeredLoad(changed, memory, asked).has_value();
        };
        Answer wide = answer;
        wide.height = 101; // more than the memory holds
        QVERIFY(refused(wide, Request{Magic, Kind::Scaled, 0, 100, 101}));
        Request small = load;
        small.room = 400 * 99;
        QVERIFY(refused(answer, small));
        Answer huge = answer;
        huge.width = huge.height = 1 << 30, huge.bytesPerLine = 1 << 30;
        QVERIFY(refused(huge, load));
        Answer indexed = answer;
        indexed.format = QImage::Format_Indexed8;
        QVERIFY(refused(indexed, load));
        Request size;
        size.kind = Kind::Size;
        QVERIFY(refused(answer, size)); // pixels where only a size was asked
        Answer bad = answer;
        bad.error = 99;
        QVERIFY(refused(bad, load));
        ::close(memory);
        // Memory that its sender could still shrink would take the viewer down as it is read.
        const int shrinkable = memfd_create("answer", 0);
        QVERIFY(shrinkable >= 0 && ftruncate(shrinkable, 400 * 100) == 0);
        QVERIFY(!answeredLoad(answer, shrinkable, load).has_value());
        ::close(shrinkable);
    }
};

TOVIK_REGISTER_TEST(TestDecoder)
#include "test_decoder.moc"
