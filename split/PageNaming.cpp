#include "PageNaming.h"

namespace plexifold {
namespace {

// Longest file title we hand out; longer names are refused as unnamable.
constexpr qsizetype kMaxTitleLength = 499;

qsizetype lastSeparator(const QString& path) {
#ifdef Q_OS_WIN
    return std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'));
#else
    return path.lastIndexOf(u'/');
#endif
}

} // namespace

QString FileTitleOf(const QString& path) {
    const QString title = path.mid(lastSeparator(path) + 1);
    return title.size() > kMaxTitleLength ? QString() : title;
}

QString FolderOf(const QString& path) {
    if (FileTitleOf(path).isEmpty())
        return {};
    return path.left(lastSeparator(path) + 1);
}

QString ExtensionOf(const QString& path) {
    const QString title = FileTitleOf(path);
    const qsizetype dot = title.indexOf(u'.');
    return dot < 0 ? QString() : title.mid(dot + 1);
}

QString BaseNameOf(const QString& path) {
    const QString title = FileTitleOf(path);
    return title.left(title.indexOf(u'.') < 0 ? title.size() : title.indexOf(u'.'));
}

QString PageSuffix(const QString& baseName) {
    return baseName + QStringLiteral("_page_");
}

QString PageNumberText(qint32 total, qint32 page) {
    const auto digits = QString::number(static_cast<qint64>(total)).remove(u'-').size();
    return QString::number(page).rightJustified(digits, u'0');
}

QString PageFilePath(const QString& path, qint32 total, qint32 page) {
    const QString extension = ExtensionOf(path);
    QString name = FolderOf(path) + PageSuffix(BaseNameOf(path)) + PageNumberText(total, page);
    if (!extension.isEmpty())
        name += u'.' + extension;
    return name;
}

} // namespace plexifold
