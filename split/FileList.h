#pragma once

#include <QString>
#include <QStringList>

namespace plexifold {

// The names of one folder's files that match a pattern such as "*.tif;*.tiff":
// files only, hidden ones left out, each once, sorted without regard to case.
// The disk is read only when the pattern or the folder is set.
class FileList {
public:
    FileList();

    /// Sets the ";"-separated wildcards (case-insensitive) and reads the folder afresh.
    void setPattern(const QString& pattern);
    QString pattern() const { return m_pattern; }

    /// Reads `folder` and holds it from then on. False when it names no existing
    /// folder: the list then keeps its folder and names.
    bool setPath(const QString& folder);

    /// The folder held, as an absolute path; it ends in "/" only for the root.
    /// Until a folder is set, the process's working directory.
    QString path() const { return m_path; }

    qsizetype count() const { return m_names.size(); }
    /// Name `index` (from 0), with its extension and without folder.
    QString name(qsizetype index) const { return m_names.value(index); }
    const QStringList& names() const { return m_names; }

    /// The full path of name `index`: the folder, one separator, the name.
    QString filePath(qsizetype index) const;

private:
    void read();

    QString m_pattern;
    QString m_path;
    QStringList m_names;
};

} // namespace plexifold
