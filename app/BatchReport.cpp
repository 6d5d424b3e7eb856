#include "BatchReport.h"

namespace plexifold {
namespace {

// Beyond this many failures the box only counts the rest.
constexpr qsizetype kListedFailures = 10;

} // namespace

QString BatchReport::messageText() const {
    QString text = QStringLiteral("Done!");
    if (failures.isEmpty())
        return text;
    text += QStringLiteral("\n\n%1 of %2 %3 could not be split:")
                .arg(failures.size())
                .arg(fileCount)
                .arg(fileCount == 1 ? QStringLiteral("file") : QStringLiteral("files"));
    for (qsizetype i = 0; i < failures.size() && i < kListedFailures; ++i)
        text += QStringLiteral("\n%1: %2").arg(failures[i].name, failures[i].reason);
    if (failures.size() > kListedFailures)
        text += QStringLiteral("\n\u2026 and %1 more").arg(failures.size() - kListedFailures);
    return text;
}

QMessageBox::Icon BatchReport::messageIcon() const {
    return failures.isEmpty() ? QMessageBox::Information : QMessageBox::Warning;
}

} // namespace plexifold
