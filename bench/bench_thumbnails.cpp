// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

// The sheet builder's own work (read, lay out, draw, write the sheet; no pauses) on 50 and 100
// real photographs, with one worker and with every core, against feh --montage making a sheet of
// the same files with the same thumbnail size, each run as a child process so that both peak
// memories are the process's own; and against the floor: libjpeg-turbo's own decode of the same
// files at an eighth, shared out over as many cores as the builder has workers.
// Usage: bench_thumbnails PHOTO_FOLDER   (bench/setup.sh installs feh and prints one)

#include "benchplatform.h"
#include "imaging/bitmap.h"
#include "imaging/pictures.h"
#include "thumbnails/frmthumbnails.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <cstdlib>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <turbojpeg.h>
#include <vector>

extern char** environ;

using namespace tovik;

namespace {
// Small enough that 200 photographs fit the sheet's 2000-pixel height limit.
constexpr float Scale = 0.04f;
constexpr int PaperWidth = 2000;

QStringList photos(const QString& folder, int count) {
    const QStringList all = QDir(folder).entryList({"*.jpg"}, QDir::Files, QDir::Name);
    QStringList out;
    for (int i = 0; i < count && !all.isEmpty(); ++i)
        out << QDir(folder).filePath(all[i % all.size()]);
    return out;
}

int buildOurs(const QStringList& files, const QString& out, int workers) {
    bench::BenchViewer viewer;
    frmShowTell& window = viewer.window;
    ViewerState& state = viewer.state;
    state.setPictureList(files);
    state.ThumbScale = Scale;
    state.ThumbPageWidth = PaperWidth;
    frmThumbnails builder(window);
    builder.Workers = workers;
    builder.Form_Load();
    QString error;
    return saveBitmap(window.imgThree.picture, 0, out, SafeFile::Kind::Durable, &error) ? 0 : 1;
}

struct Run {
    double ms = 0;
    double peakMB = 0;
};

Run runChild(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    QElapsedTimer timer;
    timer.start();
    pid_t pid = 0;
    int status = 0;
    rusage usage{};
    // A peer that is missing or fails gives no figure to compare with: the bench stops.
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0 ||
        wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "bench_thumbnails: %s could not be run or failed%s\n", argv[0],
                     args[0] == "feh" ? " (bench/setup.sh installs it)" : "");
        std::exit(1);
    }
    return {timer.nsecsElapsed() / 1e6, usage.ru_maxrss / 1024.0};
}

// The photographs here are 2560 x 1600 for the most part: 102 x 64 at 4 %.
std::vector<std::string> fehArgs(const QStringList& files, const QString& out) {
    std::vector<std::string> a = {
        "feh", "--montage",     "--thumb-width",           "102", "--thumb-height",
        "64",  "--limit-width", std::to_string(PaperWidth)};
    for (const QString& f : files)
        a.push_back(f.toStdString());
    a.insert(a.end(), {"--output-only", out.toStdString()});
    return a;
}
// The floor under any sheet of these files: libjpeg-turbo's own decode of each, reduced to an
// eighth while decoding (as the builder's reader does), on one core, files already read.
double bareDecodeMs(const QStringList& files) {
    tjhandle tj = tjInitDecompress();
    double total = 0;
    for (const QString& path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray jpeg = file.readAll();
        const auto* bytes = reinterpret_cast<const unsigned char*>(jpeg.constData());
        int w = 0, h = 0, sampling = 0, colours = 0;
        if (tjDecompressHeader3(tj, bytes, (unsigned long)jpeg.size(), &w, &h, &sampling,
                                &colours) != 0)
            continue;
        const tjscalingfactor eighth{1, 8};
        const int sw = TJSCALED(w, eighth), sh = TJSCALED(h, eighth);
        std::vector<unsigned char> pixels(std::size_t(sw) * sh * 4);
        total += bench::bestMs(1, [&] {
            tjDecompress2(tj, bytes, (unsigned long)jpeg.size(), pixels.data(), sw, 0, sh,
                          TJPF_BGRX, 0);
        });
    }
    tjDestroy(tj);
    return total;
}
} // namespace

int main(int argc, char* argv[]) {
    if (argc == 6 && QByteArray(argv[1]) == "--build") {
        QApplication app(argc, argv);
        return buildOurs(photos(argv[2], atoi(argv[3])), argv[4], atoi(argv[5]));
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s PHOTO_FOLDER\n", argv[0]);
        return 2;
    }
    QTemporaryDir out;
    const int cores = QThread::idealThreadCount();
    std::printf("sheet at %.0f %% on %d pixels; each build in a child process\n", Scale * 100,
                PaperWidth);
    for (int count : {50, 100}) {
        const QStringList files = photos(argv[1], count);
        const double floor = bareDecodeMs(files);
        const QString ours = out.filePath("ours.bmp"), theirs = out.filePath("feh.bmp");
        const Run feh = runChild(fehArgs(files, theirs));
        for (int workers : {1, cores}) {
            const Run a = runChild({argv[0], "--build", argv[1], std::to_string(count),
                                    ours.toStdString(), std::to_string(workers)});
            std::printf("%3d photos, %d worker%s:\n", count, workers, workers == 1 ? "" : "s");
            std::printf("  builder vs the floor (libjpeg-turbo at 1/8 on as many cores) %6.0f ms   "
                        "floor %6.0f ms   ratio %.2f (target <= 1.25)\n",
                        a.ms, floor / workers, a.ms / (floor / workers));
            std::printf(
                "  builder vs feh --montage %6.0f ms   feh %6.0f ms   ratio %.2f, %.1f x as "
                "fast (target >= 5)\n",
                a.ms, feh.ms, a.ms / feh.ms, feh.ms / a.ms);
            std::printf("  peak memory %6.1f MB   feh %6.1f MB   ratio %.2f (target <= 1)\n",
                        a.peakMB, feh.peakMB, a.peakMB / feh.peakMB);
        }
    }
    return 0;
}
