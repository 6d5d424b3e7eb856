#pragma once

#include <QString>

// Names of the page files written beside a source file: the pages of a 12-page
// "/scans/doc.tif" are "/scans/doc_page_01.tif" ... "/scans/doc_page_12.tif".
namespace plexifold {

/// The file name after the last separator, or "" when the path ends in one or is empty.
QString FileTitleOf(const QString& path);

/// The path up to and including its last separator, or "" when it has no file name.
QString FolderOf(const QString& path);

/// The text after the first "." of the file name, or "" when the name has none.
QString ExtensionOf(const QString& path);

/// The file name before its first ".".
QString BaseNameOf(const QString& path);

/// The base name followed by "_page_".
QString PageSuffix(const QString& baseName);

/// `page` in decimal, zero-filled to as many digits as `total` has.
QString PageNumberText(qint32 total, qint32 page);

/// The full path of page `page` (from 1) of a `total`-page source file.
QString PageFilePath(const QString& path, qint32 total, qint32 page);

} // namespace plexifold
