#pragma once

#include <QList>
#include <QMessageBox>
#include <QString>

namespace plexifold {

struct FileFailure {
    QString name;   // the file's name, without folder
    QString reason; // why it could not be split
};

// How a batch run went: what the box at its end tells the user.
struct BatchReport {
    qsizetype fileCount = 0;
    QList<FileFailure> failures;
    bool stopped = false; // the run was asked to stop before its end

    /// "Done!", followed, when files failed, by how many and why.
    QString messageText() const;
    /// Information when every file went through, warning otherwise.
    QMessageBox::Icon messageIcon() const;
};

} // namespace plexifold
