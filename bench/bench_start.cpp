// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

// How soon a picture named on the command line is on screen: from starting the program to the
// picture's pixels on an X server of the bench's own (Xvfb), for the viewer, for feh and for a bare
// Qt Widgets program that only shows the picture (the floor the toolkit sets), measured in turn in
// the same run, medians of five. The screen is read with XGetImage every few milliseconds. Needs
// Xvfb (scripts/install-deps.sh --test) and feh (bench/setup.sh).

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include <xcb/xcb.h>

namespace {
constexpr QRgb Colour = 0xffc03090; // no program draws this colour of its own
constexpr int Width = 800, Height = 600, Step = 4;

[[noreturn]] void fail(const char* why) {
    std::fprintf(stderr, "bench_start: %s\n", why);
    std::exit(1);
}

// An X server of our own, gone with the bench.
struct Server {
    QProcess xvfb;
    QString display;
    Server() {
        xvfb.start("Xvfb", {"-displayfd", "1", "-screen", "0", "1280x1024x24", "-dpi", "96",
                            "-nolisten", "tcp"});
        if (!xvfb.waitForStarted() || !xvfb.waitForReadyRead(10000))
            fail("Xvfb could not be started (scripts/install-deps.sh --test installs it)");
        display = ":" + QString::fromLatin1(xvfb.readLine().trimmed());
    }
    ~Server() {
        xvfb.terminate();
        xvfb.waitForFinished();
    }
};

// How many of the picture's sample points show its colour on the screen.
int shownSamples(xcb_connection_t* x, xcb_window_t root) {
    const auto cookie = xcb_get_image(x, XCB_IMAGE_FORMAT_Z_PIXMAP, root, 0, 0, 1280, 1024, ~0u);
    std::unique_ptr<xcb_get_image_reply_t, decltype(&std::free)> image(
        xcb_get_image_reply(x, cookie, nullptr), &std::free);
    if (!image)
        return 0;
    const auto* pixels = reinterpret_cast<const quint32*>(xcb_get_image_data(image.get()));
    int found = 0;
    for (int y = 0; y < 1024; y += Step)
        for (int x0 = 0; x0 < 1280; x0 += Step)
            found += (pixels[y * 1280 + x0] & 0xffffff) == (Colour & 0xffffff);
    return found;
}

// Milliseconds from start until the picture is on screen: until 90 % of what the program shows
// of it in the end (a window smaller than the picture shows part of it) is there.
double timeToPicture(const QString& program, const QStringList& arguments, const QString& folder,
                     xcb_connection_t* x, xcb_window_t root) {
    QProcess shown;
    shown.setWorkingDirectory(folder);
    QElapsedTimer clock;
    clock.start();
    shown.start(program, arguments);
    if (!shown.waitForStarted())
        fail(qPrintable(program + " could not be started (bench/setup.sh installs feh)"));
    std::vector<std::pair<double, int>> seen; // (ms, samples)
    double steadySince = -1;
    while (clock.elapsed() < 10000 && (steadySince < 0 || clock.elapsed() - steadySince < 400)) {
        const int samples = shownSamples(x, root);
        const double ms = clock.nsecsElapsed() / 1e6;
        if (samples > 0 && (seen.empty() || seen.back().second != samples))
            steadySince = ms;
        seen.emplace_back(ms, samples);
        QThread::usleep(3000); // each look copies the screen: leave the programs the cores
    }
    shown.kill();
    shown.waitForFinished();
    if (seen.empty() || seen.back().second == 0)
        fail(qPrintable(program + " never showed the picture"));
    QThread::msleep(200); // the server forgets the window before the next start
    const int whole = seen.back().second;
    return std::find_if(seen.begin(), seen.end(),
                        [&](auto s) { return s.second * 10 >= whole * 9; })
        ->first;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}
} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QString build = QCoreApplication::applicationDirPath() + "/..";
    Server server;
    qputenv("DISPLAY", server.display.toLatin1());
    qunsetenv("QT_QPA_PLATFORM");
    // As on a desktop, where the session bus is known: Qt does not start one of its own.
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent");
    qputenv("TOVIK_DECODER_HELPER", QFile::encodeName(build + "/tovik-decoder"));
    qputenv("TOVIK_METAFILE_HELPER", QFile::encodeName(build + "/tovik-metafile"));
    xcb_connection_t* x = xcb_connect(server.display.toLatin1().constData(), nullptr);
    if (xcb_connection_has_error(x))
        fail("cannot reach the bench's own X server");
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;

    // The viewer runs from a folder of its own, so that it keeps its settings there.
    QTemporaryDir folder;
    const QString viewer = folder.filePath("tovik-viewer"), picture = folder.filePath("p.png");
    if (!QFile::copy(build + "/tovik-viewer", viewer) ||
        !QFile::copy(build + "/viewer.html", folder.filePath("viewer.html")))
        fail("run it from the build folder's bench/, beside tovik-viewer");
    QImage image(Width, Height, QImage::Format_RGB32);
    image.fill(Colour);
    image.save(picture);

    std::vector<double> ours, feh, floor;
    if (qEnvironmentVariableIsSet("BENCH_START_PROBE")) { // how a variant of the viewer fares
        for (int run = 0; run < 5; ++run)
            ours.push_back(timeToPicture(viewer, {picture}, folder.path(), x, root));
        std::printf("probe %.0f ms\n", median(ours));
        return 0;
    }
    const QString bare = QCoreApplication::applicationDirPath() + "/bench_start_floor";
    for (int run = 0; run < 5; ++run) {
        ours.push_back(timeToPicture(viewer, {picture}, folder.path(), x, root));
        feh.push_back(timeToPicture("feh", {picture}, folder.path(), x, root));
        floor.push_back(timeToPicture(bare, {picture}, folder.path(), x, root));
    }
    xcb_disconnect(x);
    const double a = median(ours), b = median(feh), c = median(floor);
    std::printf("start: an 800 x 600 PNG from the command line on screen, median of 5   ours %6.0f "
                "ms   feh %6.0f ms   ratio %.2f (target <= 1.25)\n",
                a, b, a / b);
    std::printf("start: the same in a bare Qt Widgets window (a label holding it)         "
                "bare %6.0f ms   feh %6.0f ms   ratio %.2f; ours to bare %.2f\n",
                c, b, c / b, a / c);
    return 0;
}
