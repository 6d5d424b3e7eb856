#pragma once

#include <QByteArray>
#include <QString>

class QUrl;
class QWidget;

namespace plexifold {

/// Shows a modal folder dialog over `owner` with `prompt` as its title, starting at
/// the top of the file system with nothing preselected. Returns the chosen folder's
/// full path in the system's bytes, or "" when the user cancels or the choice is no
/// existing local folder.
QByteArray BrowseForFolder(QWidget* owner, const QString& prompt);

/// The local path of `chosen`, byte for byte, when it names an existing folder, else ""
/// (a network place, a file, a folder that is gone, nothing at all).
QByteArray FileSystemFolderOf(const QUrl& chosen);

} // namespace plexifold
