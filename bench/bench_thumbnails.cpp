// The sheet builder's own work (measure, lay out, decode, draw, write the sheet; no pauses) on 50
// and 200 real photographs, against ImageMagick's montage making an equivalent sheet from the
// same files, each run as a child process so that both peak memories are the process's own.
// Usage: bench_thumbnails PHOTO_FOLDER   (bench/get-photos.sh prints one)

#include "benchplatform.h"
#include "platform/pictures.h"
#include "thumbnails/frmthumbnails.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
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

int buildOurs(const QStringList& files, const QString& out) {
    bench::BenchViewer viewer;
    frmShowTell& window = viewer.window;
    ViewerState& state = viewer.state;
    state.setPictureList(files);
    state.ThumbScale = Scale;
    state.ThumbPageWidth = PaperWidth;
    frmThumbnails builder(window);
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
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return {};
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    return {timer.nsecsElapsed() / 1e6, usage.ru_maxrss / 1024.0};
}

std::vector<std::string> montageArgs(const QStringList& files, const QString& out) {
    // Each file reduced while it is read ("[4%]"), montage's own way of keeping memory down.
    std::vector<std::string> a = {
        "montage",   "-font",  "Liberation-Sans", "-pointsize", "8",           "-label", "%f",
        "-geometry", "+20+20", "-tile",           "16x",        "-background", "white"};
    for (const QString& f : files)
        a.push_back(f.toStdString() + "[4%]");
    a.push_back(("bmp3:" + out).toStdString());
    return a;
}
} // namespace

int main(int argc, char* argv[]) {
    if (argc == 5 && QByteArray(argv[1]) == "--build") {
        QApplication app(argc, argv);
        return buildOurs(photos(argv[2], atoi(argv[3])), argv[4]);
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s PHOTO_FOLDER\n", argv[0]);
        return 2;
    }
    QTemporaryDir out;
    std::printf("sheet at %.0f %% on %d pixels; each build in a child process\n", Scale * 100,
                PaperWidth);
    for (int count : {50, 200}) {
        const QStringList files = photos(argv[1], count);
        const QString ours = out.filePath("ours.bmp"), theirs = out.filePath("montage.bmp");
        const Run a =
            runChild({argv[0], "--build", argv[1], std::to_string(count), ours.toStdString()});
        const Run b = runChild(montageArgs(files, theirs));
        std::printf("%3d photos: builder %8.0f ms %7.1f MB peak   montage %8.0f ms %7.1f MB peak"
                    "   speed-up %.1f x (target >= 3), memory ratio %.2f (target <= 1)\n",
                    count, a.ms, a.peakMB, b.ms, b.peakMB, a.ms > 0 ? b.ms / a.ms : 0.0,
                    b.peakMB > 0 ? a.peakMB / b.peakMB : 0.0);
    }
    return 0;
}
