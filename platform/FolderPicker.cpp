#include "FolderPicker.h"

#include <QDir>
#include <QFileDialog>
#include <QStandardPaths>

namespace plexifold {
namespace {

// The dialog always opens at the top, whatever folder the window shows.
QString topFolder() {
#ifdef Q_OS_WIN
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
#else
    return QDir::rootPath();
#endif
}

} // namespace

QString BrowseForFolder(QWidget* owner, const QString& prompt) {
    return QFileDialog::getExistingDirectory(owner, prompt, topFolder(), QFileDialog::ShowDirsOnly);
}

} // namespace plexifold
