#include "FolderPicker.h"

#include <QDir>
#include <QFileDialog>
#include <QUrl>
#include <filesystem>

namespace plexifold {
namespace {

// The dialog always opens at the top, whatever folder the window shows.
QString topFolder() {
    return QDir::rootPath();
}

} // namespace

QByteArray BrowseForFolder(QWidget* owner, const QString& prompt) {
    // A platform dialog may still offer network places; their URLs are turned away below.
    const QUrl chosen =
        QFileDialog::getExistingDirectoryUrl(owner, prompt, QUrl::fromLocalFile(topFolder()),
                                             QFileDialog::ShowDirsOnly, {QStringLiteral("file")});
    return FileSystemFolderOf(chosen);
}

QByteArray FileSystemFolderOf(const QUrl& chosen) {
    if (!chosen.isLocalFile() || !chosen.host().isEmpty())
        return {};
    // The URL's encoded path keeps bytes that are not UTF-8, which its text would turn
    // into replacement characters.
    const QByteArray path =
        QByteArray::fromPercentEncoding(chosen.path(QUrl::FullyEncoded).toLatin1());
    const std::filesystem::path folder(path.toStdString());
    std::error_code error;
    return folder.is_absolute() && std::filesystem::is_directory(folder, error) ? path
                                                                                : QByteArray();
}

} // namespace plexifold
