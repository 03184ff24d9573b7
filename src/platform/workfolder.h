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
    explicit WorkFolder(const QString& appFolder);
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    QString path() const { return m_path; }
    bool ownsAppFolder() const { return m_private == nullptr; }

private:
    QLockFile m_lock;
    std::unique_ptr<QTemporaryDir> m_private;
    QString m_path;
};

// Removes the work files and the settings file's temporary copies that a killed run left in
// folder.
void tidyLeftovers(const QString& folder);

} // namespace tovik
