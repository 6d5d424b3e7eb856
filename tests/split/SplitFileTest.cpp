#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <tiffio.h>

#include "SplitFile.h"
#include "TiffFixtures.h"

using namespace plexifold;

namespace {

// Records every report of the splitter.
struct RecordingProgress : SplitProgress {
    qint32 pageCount = -1;
    QStringList texts;
    QList<qint32> values;
    int ends = 0;

    void begin(qint32 count) override { pageCount = count; }
    void page(const QString& text, qint32 value) override {
        texts.append(text);
        values.append(value);
    }
    void end() override { ++ends; }
};

int directoriesIn(const QString& path) {
    return test::countDirectories(path.toStdString());
}

class SplitFileTest : public testing::Test {
protected:
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QStringList entries() const {
        return QDir(m_dir.path())
            .entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }
};

TEST_F(SplitFileTest, WritesEveryPageAndReportsEachOne) {
    test::writeMultipageTiff(path("doc.tif").toStdString(), 12);
    RecordingProgress progress;
    SplitOutcome outcome;

    ASSERT_TRUE(SplitFile(path("doc.tif"), progress, &outcome)) << outcome.reason.toStdString();

    EXPECT_EQ(progress.pageCount, 12);
    EXPECT_EQ(progress.texts.first(), "Processing doc.tif (1 from 12)");
    EXPECT_EQ(progress.texts.last(), "Processing doc.tif (12 from 12)");
    EXPECT_EQ(progress.values, (QList<qint32>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    EXPECT_EQ(progress.ends, 1);
    EXPECT_EQ(outcome.pagesWritten, 12);
    EXPECT_TRUE(outcome.reason.isEmpty());
    for (int page = 1; page <= 12; ++page)
        EXPECT_EQ(
            directoriesIn(path(QStringLiteral("doc_page_%1.tif").arg(page, 2, 10, QChar(u'0')))),
            1);
    EXPECT_EQ(entries().size(), 13);
}

TEST_F(SplitFileTest, SinglePageKeepsTheExtension) {
    test::writeMultipageTiff(path("one.TIFF").toStdString(), 1);
    RecordingProgress progress;
    ASSERT_TRUE(SplitFile(path("one.TIFF"), progress));
    EXPECT_EQ(directoriesIn(path("one_page_1.TIFF")), 1);
    EXPECT_EQ(progress.texts, QStringList{"Processing one.TIFF (1 from 1)"});
}

TEST_F(SplitFileTest, RefusedFileWritesNothingAndShowsNoProgress) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
    };
    for (const Case& c : {Case{"empty.tif", {}}, Case{"text.tif", {'h', 'e', 'l', 'l', 'o', '\n'}},
                          Case{"magic.tif", {'I', 'I', 42, 0}},
                          Case{"nopages.tif", {'I', 'I', 42, 0, 0, 0, 0, 0}}}) {
        test::writeFileBytes(path(c.name).toStdString(), c.bytes);
        RecordingProgress progress;
        SplitOutcome outcome;
        EXPECT_FALSE(SplitFile(path(c.name), progress, &outcome)) << c.name;
        EXPECT_FALSE(outcome.reason.isEmpty()) << c.name;
        EXPECT_EQ(progress.pageCount, -1) << c.name;
        EXPECT_TRUE(progress.texts.isEmpty()) << c.name;
    }
    EXPECT_EQ(entries().size(), 4);
}

TEST_F(SplitFileTest, FailureAtPageFiveKeepsTheEarlierPagesAndNothingElse) {
    test::writeMultipageTiff(path("doc.tif").toStdString(), 12);
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("doc_page_05.tif"));
    RecordingProgress progress;
    SplitOutcome outcome;

    EXPECT_FALSE(SplitFile(path("doc.tif"), progress, &outcome));

    EXPECT_EQ(outcome.pagesWritten, 4);
    ASSERT_FALSE(progress.values.isEmpty());
    EXPECT_TRUE(outcome.reason.contains("doc_page_05.tif")) << outcome.reason.toStdString();
    EXPECT_EQ(progress.values.last(), 5);
    EXPECT_EQ(progress.texts.last(), "Processing doc.tif (5 from 12)");
    EXPECT_EQ(progress.ends, 0);
    for (int page = 1; page <= 4; ++page)
        EXPECT_EQ(directoriesIn(path(QStringLiteral("doc_page_0%1.tif").arg(page))), 1);
    EXPECT_EQ(entries(), (QStringList{"doc.tif", "doc_page_01.tif", "doc_page_02.tif",
                                      "doc_page_03.tif", "doc_page_04.tif", "doc_page_05.tif"}));
    EXPECT_TRUE(QFileInfo(path("doc_page_05.tif")).isDir());
}

TEST_F(SplitFileTest, StopRequestEndsBeforeTheNextPage) {
    test::writeMultipageTiff(path("doc.tif").toStdString(), 3);
    struct StopAfterFirst : RecordingProgress {
        std::atomic<bool> stop{false};
        void saved(qint32, quint64) override { stop = true; }
    } progress;
    SplitOutcome outcome;
    EXPECT_FALSE(SplitFile(path("doc.tif"), progress, &outcome, &progress.stop));
    EXPECT_EQ(outcome.pagesWritten, 1);
    EXPECT_EQ(entries(), (QStringList{"doc.tif", "doc_page_1.tif"}));
}

TEST_F(SplitFileTest, PlanNamesThePagesWithoutWriting) {
    test::writeMultipageTiff(path("scan.tif").toStdString(), 10);
    QStringList pages;
    ASSERT_TRUE(PlanPageFiles(path("scan.tif"), pages));
    ASSERT_EQ(pages.size(), 10);
    EXPECT_EQ(pages.first(), path("scan_page_01.tif"));
    EXPECT_EQ(pages.last(), path("scan_page_10.tif"));
    EXPECT_EQ(entries(), QStringList{"scan.tif"});
}

} // namespace
