#pragma once

#include <QString>
#include <QStringList>

namespace plexifold::cli {

struct Options {
    QStringList paths;
    bool dryRun = false;
    bool quiet = false;
    bool help = false;
    bool version = false;
};

/// Reads the arguments after the program name. False, with `error` set, on a usage error.
bool parseCommandLine(const QStringList& arguments, Options& options, QString& error);

/// The text --help prints.
QString usageText();

/// The files named by `paths`: a file as given, a folder's "*.tif;*.tiff" files as
/// the window lists them. A path that is neither goes to `missing`.
QStringList expandPaths(const QStringList& paths, QStringList& missing);

} // namespace plexifold::cli
