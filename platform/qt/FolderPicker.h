#pragma once

#include <QString>

class QUrl;
class QWidget;

namespace plexifold {

/// Shows a modal folder dialog over `owner` with `prompt` as its title, starting at
/// the top of the file system with nothing preselected. Returns the chosen folder's
/// full path, or "" when the user cancels or the choice is no existing local folder.
QString BrowseForFolder(QWidget* owner, const QString& prompt);

/// The local path of `chosen` when it names an existing folder, else "" (a network
/// place, a file, a folder that is gone, nothing at all).
QString FileSystemFolderOf(const QUrl& chosen);

} // namespace plexifold
