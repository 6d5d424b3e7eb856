#include "FolderPicker.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QUrl>

namespace plexifold {
namespace {

// The dialog always opens at the top, whatever folder the window shows.
QString topFolder() {
    return QDir::rootPath();
}

} // namespace

QString BrowseForFolder(QWidget* owner, const QString& prompt) {
    // A platform dialog may still offer network places; their URLs are turned away below.
    const QUrl chosen =
        QFileDialog::getExistingDirectoryUrl(owner, prompt, QUrl::fromLocalFile(topFolder()),
                                             QFileDialog::ShowDirsOnly, {QStringLiteral("file")});
    return FileSystemFolderOf(chosen);
}

QString FileSystemFolderOf(const QUrl& chosen) {
    if (!chosen.isLocalFile())
        return {};
    const QString path = chosen.toLocalFile();
    const QFileInfo info(path);
    return info.isAbsolute() && info.isDir() ? path : QString();
}

} // namespace plexifold
