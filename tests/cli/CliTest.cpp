#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <tiffio.h>

#include "TiffFixtures.h"

namespace {

struct CliRun {
    int status = -1;
    QString out;
    QString err;
};

CliRun runCli(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(PLEXIFOLD_SPLIT_BINARY), arguments);
    process.waitForFinished(60000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

bool isSinglePageTiff(const QString& path) {
    return plexifold::test::countDirectories(path.toStdString()) == 1;
}

TEST(Cli, AnswersHelpVersionAndUsageErrors) {
    struct Case {
        QStringList arguments;
        int status;
        const char* expected;
    };
    for (const Case& c :
         {Case{{"--help"}, 0, "Usage: plexifold-split [options] PATH..."},
          Case{{"--version"}, 0, "plexifold-split 1.00"}, Case{{}, 2, "no file or folder given"},
          Case{{"--frobnicate", "x.tif"}, 2, "unknown option '--frobnicate'"}}) {
        const CliRun run = runCli(c.arguments);
        EXPECT_EQ(run.status, c.status) << c.expected;
        EXPECT_TRUE((run.out + run.err).contains(QString::fromUtf8(c.expected)))
            << run.out.toStdString() << run.err.toStdString();
    }
}

class CliFolder : public testing::Test {
protected:
    void SetUp() override {
        plexifold::test::writeMultipageTiff(path("a.tif").toStdString(), 3);
        plexifold::test::writeMultipageTiff(path("B.TIFF").toStdString(), 12);
        plexifold::test::writeMultipageTiff(path(".hidden.tif").toStdString(), 2);
        plexifold::test::writeFileBytes(path("bad.tif").toStdString(), {'n', 'o', 'p', 'e'});
        plexifold::test::writeFileBytes(path("notes.txt").toStdString(), {'x'});
    }
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QStringList files() const { return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden); }

    QTemporaryDir m_dir;
};

TEST_F(CliFolder, SplitsEveryListedFileAndReportsTheBadOne) {
    const CliRun run = runCli({m_dir.path()});

    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.contains("3 files, 15 pages written, 1 failed")) << run.out.toStdString();
    EXPECT_TRUE(run.err.contains("plexifold-split: " + path("bad.tif") + ": not a TIFF file"))
        << run.err.toStdString();
    for (int page = 1; page <= 3; ++page)
        EXPECT_TRUE(isSinglePageTiff(path(QStringLiteral("a_page_%1.tif").arg(page))));
    for (int page = 1; page <= 12; ++page)
        EXPECT_TRUE(
            isSinglePageTiff(path(QStringLiteral("B_page_%1.TIFF").arg(page, 2, 10, QChar(u'0')))));
    EXPECT_FALSE(files().contains(".hidden_page_1.tif"));
    EXPECT_EQ(files().size(), 5 + 15);
}

TEST_F(CliFolder, FilesGivenOneByOneSucceed) {
    const CliRun run = runCli({"--quiet", path("a.tif"), path("B.TIFF")});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_EQ(files().size(), 5 + 15);
}

TEST_F(CliFolder, DryRunNamesThePagesAndWritesNothing) {
    const CliRun run = runCli({"--dry-run", path("a.tif")});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, path("a_page_1.tif") + "\n" + path("a_page_2.tif") + "\n" +
                           path("a_page_3.tif") + "\n");
    EXPECT_EQ(files().size(), 5);
}

TEST_F(CliFolder, MissingPathFailsAndTheRestIsSplit) {
    const CliRun run = runCli({path("gone.tif"), path("a.tif")});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains(path("gone.tif") + ": no such file or folder"));
    EXPECT_TRUE(run.out.contains("2 files, 3 pages written, 1 failed")) << run.out.toStdString();
}

TEST(CliInterrupt, StopsAfterThePageInWork) {
    QTemporaryDir dir;
    const QString source = dir.filePath("long.tif");
    plexifold::test::writeMultipageTiff(source.toStdString(), 3000);
    QProcess process;
    process.start(QStringLiteral(PLEXIFOLD_SPLIT_BINARY), {source});
    ASSERT_TRUE(process.waitForStarted());
    QElapsedTimer clock;
    clock.start();
    while (!QFile::exists(dir.filePath("long_page_0001.tif")) && clock.elapsed() < 30000 &&
           !process.waitForFinished(1)) {
    }
    ASSERT_EQ(process.state(), QProcess::Running) << "the run ended before the interrupt";
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    process.waitForFinished(60000);
    EXPECT_EQ(process.exitCode(), 130);
    const QStringList pages = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    EXPECT_LT(pages.size(), 3001);
    for (const QString& page : pages) {
        ASSERT_FALSE(page.startsWith('.')) << "temporary file left: " << page.toStdString();
        if (page != "long.tif") {
            EXPECT_TRUE(isSinglePageTiff(dir.filePath(page))) << page.toStdString();
        }
    }
}

} // namespace
