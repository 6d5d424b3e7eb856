#include "FileList.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace plexifold {

FileList::FileList() : m_pattern(QStringLiteral("*")), m_path(QDir::currentPath()) {}

void FileList::setPattern(const QString& pattern) {
    m_pattern = pattern;
    read();
}

bool FileList::setPath(const QString& folder) {
    if (folder.isEmpty())
        return false;
    const QFileInfo info(folder);
    if (!info.isDir())
        return false;
    m_path = QDir::cleanPath(info.absoluteFilePath());
    read();
    return true;
}

QString FileList::filePath(qsizetype index) const {
    const QString separator = m_path.endsWith(u'/') ? QString() : QStringLiteral("/");
    return m_path + separator + name(index);
}

void FileList::read() {
    QDir dir(m_path);
    dir.setFilter(QDir::Files);
    dir.setNameFilters(m_pattern.split(u';', Qt::SkipEmptyParts));
    dir.setSorting(QDir::Unsorted);
    m_names = dir.entryList();
    std::sort(m_names.begin(), m_names.end(), [](const QString& a, const QString& b) {
        const int order = a.compare(b, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a < b;
    });
}

} // namespace plexifold
