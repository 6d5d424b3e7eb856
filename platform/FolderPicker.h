#pragma once

#include <QString>

class QWidget;

namespace plexifold {

/// Shows a modal folder dialog over `owner` with `prompt` as its title, starting at
/// the top of the file system with nothing preselected. Returns the chosen folder's
/// full path, or "" when the user cancels.
QString BrowseForFolder(QWidget* owner, const QString& prompt);

} // namespace plexifold
