#pragma once

#include <QLockFile>
#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace tovik {

// Where this running viewer keeps its work files (tempnail.bmp, ~temp.bmp). The first viewer
// started over an application folder claims it, keeps its work files there as always, and tidies
// what a run that was killed left behind (work files, half-written settings). A viewer started
// while another holds the folder gets a private folder of its own, removed when it ends, so that
// neither deletes nor overwrites the other's sheet.
class WorkFolder {
public:
    // workBase is where the first viewer keeps its work files; settingsFolder holds viewer.ini.
    WorkFolder(const QString& workBase, const QString& settingsFolder);
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    QString path() const { return m_path; }
    bool ownsAppFolder() const { return m_private == nullptr; }

private:
    QLockFile m_lock;
    std::unique_ptr<QTemporaryDir> m_private;
    QString m_path;
};

// Removes the work files a killed run left in workFolder and the settings file's temporary
// copies in settingsFolder.
void tidyLeftovers(const QString& workFolder, const QString& settingsFolder);

} // namespace tovik
