#include "CommandLine.h"

#include <QFileInfo>

#include "FileList.h"

namespace plexifold::cli {

bool parseCommandLine(const QStringList& arguments, Options& options, QString& error) {
    bool onlyPaths = false;
    for (const QString& argument : arguments) {
        if (onlyPaths || !argument.startsWith(u'-') || argument == u"-") {
            options.paths.append(argument);
        } else if (argument == u"--") {
            onlyPaths = true;
        } else if (argument == u"--dry-run" || argument == u"-n") {
            options.dryRun = true;
        } else if (argument == u"--quiet" || argument == u"-q") {
            options.quiet = true;
        } else if (argument == u"--help" || argument == u"-h") {
            options.help = true;
        } else if (argument == u"--version") {
            options.version = true;
        } else {
            error = QStringLiteral("unknown option '%1'").arg(argument);
            return false;
        }
    }
    if (options.paths.isEmpty() && !options.help && !options.version) {
        error = QStringLiteral("no file or folder given");
        return false;
    }
    return true;
}

QString usageText() {
    return QStringLiteral(
        "Usage: plexifold-split [options] PATH...\n"
        "Writes each page of every TIFF file to a file of its own beside it:\n"
        "the pages of a 12-page doc.tif become doc_page_01.tif ... doc_page_12.tif.\n"
        "A PATH is a TIFF file, or a folder whose *.tif and *.tiff files are split.\n"
        "\n"
        "Options:\n"
        "  -n, --dry-run  print the page files that would be written, write nothing\n"
        "  -q, --quiet    print nothing but errors\n"
        "  -h, --help     show this help\n"
        "      --version  show the version\n"
        "\n"
        "Exit status: 0 every file split, 1 a file failed, 2 usage error, 130 interrupted.\n");
}

QStringList expandPaths(const QStringList& paths, QStringList& missing) {
    QStringList files;
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (info.isDir()) {
            FileList list;
            list.setPath(path);
            list.setPattern(QStringLiteral("*.tif;*.tiff"));
            for (qsizetype i = 0; i < list.count(); ++i)
                files.append(list.filePath(i));
        } else if (info.exists()) {
            files.append(path);
        } else {
            missing.append(path);
        }
    }
    return files;
}

} // namespace plexifold::cli
