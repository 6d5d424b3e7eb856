#include <QCoreApplication>
#include <QDir>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <unistd.h>

#include "CommandLine.h"
#include "PageNaming.h"
#include "SplitFile.h"
#include "TerminalProgress.h"

using namespace plexifold;
using namespace plexifold::cli;

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitInterrupted = 130;

std::atomic<bool> g_stopRequested{false};

extern "C" void requestStop(int) {
    g_stopRequested.store(true);
}

void installStopHandlers() {
    struct sigaction action = {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void print(std::FILE* out, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), out);
    std::fputc('\n', out);
    std::fflush(out);
}

void reportFailure(const QString& file, const QString& reason) {
    print(stderr,
          QStringLiteral("plexifold-split: %1: %2").arg(QDir::toNativeSeparators(file), reason));
}

QString counted(qint64 count, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

struct Totals {
    qsizetype files = 0;
    qsizetype failed = 0;
    qint64 pages = 0;
};

// Silent stand-in for runs that show no progress line.
class NoProgress : public SplitProgress {
public:
    void begin(qint32) override {}
    void page(const QString&, qint32) override {}
    void end() override {}
};

bool splitOne(const QString& file, SplitProgress& progress, const Options& options,
              Totals& totals) {
    SplitOutcome outcome;
    const bool ok = SplitFile(file, progress, &outcome, &g_stopRequested);
    totals.pages += outcome.pagesWritten;
    if (g_stopRequested.load())
        return false;
    if (!ok) {
        ++totals.failed;
        reportFailure(file, outcome.reason);
    } else if (!options.quiet && !isatty(STDOUT_FILENO)) {
        print(stdout,
              QStringLiteral("%1: %2").arg(file, counted(outcome.pagesWritten, "page", "pages")));
    }
    return true;
}

int splitAll(const QStringList& files, const Options& options, Totals& totals) {
    const bool live = !options.quiet && isatty(STDOUT_FILENO);
    TerminalProgress terminal(stdout, files.size());
    NoProgress silent;
    SplitProgress& progress = live ? static_cast<SplitProgress&>(terminal) : silent;
    for (qsizetype i = 0; i < files.size(); ++i) {
        terminal.startFile(i, FileTitleOf(files[i]));
        const bool goOn = splitOne(files[i], progress, options, totals);
        terminal.clear();
        if (!goOn)
            break;
    }
    if (!options.quiet)
        print(
            stdout,
            QStringLiteral("%1, %2 written, %3 failed%4")
                .arg(counted(totals.files, "file", "files"), counted(totals.pages, "page", "pages"))
                .arg(totals.failed)
                .arg(g_stopRequested.load() ? QStringLiteral(", interrupted") : QString()));
    if (g_stopRequested.load())
        return kExitInterrupted;
    return totals.failed > 0 ? kExitFailed : 0;
}

int planAll(const QStringList& files, Totals& totals) {
    for (const QString& file : files) {
        QStringList pages;
        QString reason;
        if (!PlanPageFiles(file, pages, &reason)) {
            ++totals.failed;
            reportFailure(file, reason);
            continue;
        }
        for (const QString& page : pages)
            print(stdout, page);
    }
    return totals.failed > 0 ? kExitFailed : 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();

    Options options;
    QString error;
    if (!parseCommandLine(arguments, options, error)) {
        print(stderr,
              QStringLiteral("plexifold-split: %1\nTry 'plexifold-split --help'.").arg(error));
        return kExitUsage;
    }
    if (options.help || options.version) {
        std::fputs(options.help ? usageText().toLocal8Bit().constData()
                                : "plexifold-split " PLEXIFOLD_VERSION "\n",
                   stdout);
        return 0;
    }

    installStopHandlers();
    QStringList missing;
    const QStringList files = expandPaths(options.paths, missing);
    Totals totals;
    totals.files = files.size() + missing.size();
    totals.failed = missing.size();
    for (const QString& path : missing)
        reportFailure(path, QStringLiteral("no such file or folder"));

    const int status = options.dryRun ? planAll(files, totals) : splitAll(files, options, totals);
    return status == 0 && !missing.isEmpty() ? kExitFailed : status;
}
