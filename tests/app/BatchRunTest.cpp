// "&Execute": every listed file is split, with progress, and the run ends with a box.
#include "BatchRun.h"
#include "AppTestSupport.h"
#include "TiffFixtures.h"

using namespace plexifold;
using namespace plexifold::test;

namespace {

// What the window shows at one moment of a run.
struct Snapshot {
    QString caption;
    QString label;
    bool labelVisible = false;
    bool anyInputEnabled = false;
    QString stored;

    static Snapshot of(frmMain& window) {
        const Controls c(window);
        return {window.windowTitle(), c.lblProgress->text(), c.lblProgress->isVisible(),
                c.cmdConvert->isEnabled() || c.txtPath->isEnabled() || c.cmdBrowse->isEnabled(),
                storedFolder()};
    }
};

void writeTiff(const QString& path, int pages) {
    writeMultipageTiff(QFile::encodeName(path).toStdString(), pages);
}

} // namespace

class BatchRunTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        clearSettings();
        m_prompts = {};
        m_pages.clear();
        m_barValues.clear();
        m_whileBoxOpen.clear();
        m_folder.emplace();
        m_prompts.whileMessageOpen = [this] { m_whileBoxOpen.append(Snapshot::of(*m_window)); };
    }

    void cleanup() { m_window.reset(); }

    void splitsEveryListedFile() {
        writeTiff(path("c.tif"), 12);
        writeTiff(path("a.tif"), 3);
        writeTiff(path("b.TIFF"), 1);
        runOnce();

        QCOMPARE(m_prompts.messages.size(), 1);
        QCOMPARE(m_prompts.messages[0].icon, QMessageBox::Information);
        QCOMPARE(m_prompts.messages[0].text, QStringLiteral("Done!"));
        QStringList expected{"a_page_1.tif", "a_page_2.tif", "a_page_3.tif", "b_page_1.TIFF"};
        for (int page = 1; page <= 12; ++page)
            expected.append(QStringLiteral("c_page_%1.tif").arg(page, 2, 10, QChar(u'0')));
        QCOMPARE(pageFilesIn(m_folder->path()), expected);
        for (const QString& name : expected)
            QCOMPARE(tiffPageCount(path(name)), 1);

        // Pages were shown in list order, at most one a frame, ending with the last page,
        // with the inputs off and the folder stored.
        QStringList all;
        for (const auto& [file, count] : {std::pair{"a.tif", 3}, {"b.TIFF", 1}, {"c.tif", 12}})
            for (int page = 1; page <= count; ++page)
                all.append(
                    QStringLiteral("Processing %1 (%2 from %3)").arg(file).arg(page).arg(count));
        QVERIFY(!m_pages.isEmpty());
        qsizetype next = 0;
        for (const Snapshot& page : std::as_const(m_pages)) {
            next = all.indexOf(page.caption, next) + 1;
            QVERIFY2(next > 0, qPrintable(page.caption));
            QCOMPARE(page.label, page.caption);
            QVERIFY(page.labelVisible);
            QVERIFY(!page.anyInputEnabled);
            QCOMPARE(page.stored, m_folder->path());
        }
        QCOMPARE(m_pages.last().caption, all.last());
        for (int value : std::as_const(m_barValues))
            QVERIFY(value >= 1 && value <= 12);

        // While the box is open: caption reset, label still there, inputs still off.
        QCOMPARE(m_whileBoxOpen.size(), 1);
        QCOMPARE(m_whileBoxOpen[0].caption, QStringLiteral("Plexifold"));
        QCOMPARE(m_whileBoxOpen[0].label, QStringLiteral("Processing c.tif (12 from 12)"));
        QVERIFY(m_whileBoxOpen[0].labelVisible);
        QVERIFY(!m_whileBoxOpen[0].anyInputEnabled);

        // After it: back to idle, the bar at its minimum.
        const Controls c(*m_window);
        QVERIFY(!c.lblProgress->isVisible());
        QVERIFY(c.cmdConvert->isEnabled() && c.txtPath->isEnabled() && c.cmdBrowse->isEnabled());
        QCOMPARE(c.ProgressBar1->value(), c.ProgressBar1->minimum());
        QCOMPARE(c.ProgressBar1->maximum(), 12);
    }

    void failingFilesAreNamedAndTheOthersSplit() {
        writeTiff(path("a.tif"), 2);
        writeFileBytes(path("bad.tif").toStdString(),
                       {'n', 'o', 't', ' ', 'a', ' ', 'T', 'I', 'F'});
        writeTiff(path("c.tif"), 3);
        QVERIFY(QDir(m_folder->path()).mkdir("c_page_2.tif")); // stands where page 2 must go
        writeTiff(path("d.tif"), 2);
        runOnce();

        QCOMPARE(m_prompts.messages.size(), 1);
        const auto& box = m_prompts.messages[0];
        QCOMPARE(box.icon, QMessageBox::Warning);
        const QStringList lines = box.text.split(u'\n');
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines[0], QStringLiteral("Done!"));
        QCOMPARE(lines[1], QString());
        QCOMPARE(lines[2], QStringLiteral("2 of 4 files could not be split:"));
        QVERIFY2(lines[3].startsWith("bad.tif: ") && lines[3].size() > 9, qPrintable(lines[3]));
        QVERIFY2(lines[4].startsWith("c.tif: page 2 of 3 not written: "), qPrintable(lines[4]));
        QCOMPARE(pageFilesIn(m_folder->path()),
                 (QStringList{"a_page_1.tif", "a_page_2.tif", "c_page_1.tif", "c_page_3.tif",
                              "d_page_1.tif", "d_page_2.tif"}));
        QVERIFY(QFileInfo(path("c_page_2.tif")).isDir());
        QVERIFY(Controls(*m_window).cmdConvert->isEnabled());
    }

    // The page files of a run are not in the list; a second run splits the same names.
    void secondRunSplitsTheSameNames() {
        writeTiff(path("a.tif"), 2);
        writeTiff(path("b.tif"), 3);
        runOnce();
        m_pages.clear();
        QTest::mouseClick(Controls(*m_window).cmdConvert, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(m_prompts.messages.size(), 2, 20000);
        QCOMPARE(m_pages.last().caption, QStringLiteral("Processing b.tif (3 from 3)"));
        QCOMPARE(m_prompts.messages[1].text, QStringLiteral("Done!"));
        QCOMPARE(pageFilesIn(m_folder->path()).size(), 5);
    }

    // Many small pages: the window shows the run at most once a frame and keeps up with it.
    void manyPagesAreShownOnceAFrame() {
        for (int i = 0; i < 300; ++i)
            writeTiff(path(QStringLiteral("f%1.tif").arg(i, 3, 10, QChar(u'0'))), 2);
        QElapsedTimer clock;
        clock.start();
        runOnce();
        const qint64 frames = clock.elapsed() / BatchRun::kProgressInterval + 2;
        QVERIFY2(
            m_pages.size() <= frames,
            qPrintable(QStringLiteral("%1 states in %2 frames").arg(m_pages.size()).arg(frames)));
        QCOMPARE(m_pages.last().caption, QStringLiteral("Processing f299.tif (2 from 2)"));
        QCOMPARE(pageFilesIn(m_folder->path()).size(), 600);
    }

    // Names that look like markup, hold a title's "modified" mark or a "%1" are shown as they are.
    void namesAreShownAsText() {
        const QString name = QStringLiteral("<i>%1x[*]&y%2F.tif");
        writeTiff(path(name), 1);
        QString shownTitle;
        openWindow();
        connect(m_window.get(), &QWidget::windowTitleChanged, this, [&] {
            if (shownTitle.isEmpty())
                shownTitle = m_window->windowHandle()->title();
        });
        QTest::mouseClick(Controls(*m_window).cmdConvert, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(m_prompts.messages.size(), 1, 20000);
        const QString expected = QStringLiteral("Processing <i>%1x[*]&y%2F.tif (1 from 1)");
        QCOMPARE(shownTitle, expected);
        QCOMPARE(m_pages.first().label, expected);
        QCOMPARE(Controls(*m_window).lblProgress->textFormat(), Qt::PlainText);
        QCOMPARE(pageFilesIn(m_folder->path()), QStringList{"<i>%1x[*]&y%2F_page_1.tif"});
    }

    // A folder box holding only blanks starts nothing and stores nothing.
    void blankFolderBoxDoesNothing() {
        writeTiff(path("a.tif"), 2);
        openWindow();
        const Controls c(*m_window);
        c.txtPath->setText(QStringLiteral("   "));
        QVERIFY(c.cmdConvert->isEnabled());
        QTest::mouseClick(c.cmdConvert, Qt::LeftButton);
        QCoreApplication::processEvents();
        QVERIFY(c.cmdConvert->isEnabled() && c.txtPath->isEnabled());
        QVERIFY(!c.lblProgress->isVisible());
        QVERIFY(m_prompts.messages.isEmpty());
        QCOMPARE(storedFolder(), m_folder->path());
        QVERIFY(pageFilesIn(m_folder->path()).isEmpty());
    }

    // After a failed choice the box holds the prompt while the list keeps its names:
    // the run stores that text and splits the names.
    void runAfterAFailedChoice() {
        writeTiff(path("a.tif"), 2);
        m_prompts.pickerError = QStringLiteral("no dialog");
        openWindow();
        QTest::mouseClick(Controls(*m_window).cmdBrowse, Qt::LeftButton);
        QTest::mouseClick(Controls(*m_window).cmdConvert, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(m_prompts.messages.size(), 1, 20000);
        QCOMPARE(storedFolder(), QStringLiteral("Select a folder with '.TIF' files"));
        QCOMPARE(pageFilesIn(m_folder->path()).size(), 2);
    }

    // Closing the window mid-run stops after the page in work and shows no box.
    void closingDuringARunStops() {
        for (int i = 0; i < 400; ++i)
            writeTiff(path(QStringLiteral("f%1.tif").arg(i, 3, 10, QChar(u'0'))), 2);
        openWindow();
        connect(m_window.get(), &QWidget::windowTitleChanged, m_window.get(), [this] {
            if (m_window->isVisible())
                m_window->close();
        });
        QTest::mouseClick(Controls(*m_window).cmdConvert, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!m_window->isVisible(), 20000);
        const QStringList written = pageFilesIn(m_folder->path());
        QCoreApplication::processEvents();
        QCOMPARE(pageFilesIn(m_folder->path()), written);
        QVERIFY2(written.size() < 800, qPrintable(QString::number(written.size())));
        for (const QString& name : written)
            QVERIFY2(tiffReadsCompletely(path(name)), qPrintable(name));
        QVERIFY(m_prompts.messages.isEmpty());
        QCOMPARE(storedFolder(), m_folder->path());
    }

private:
    QString path(const QString& name) const { return m_folder->filePath(name); }

    void openWindow() {
        storeFolder(m_folder->path());
        m_window = std::make_unique<frmMain>(m_prompts.prompts());
        connect(m_window.get(), &QWidget::windowTitleChanged, this, [this](const QString& title) {
            if (title.startsWith(QStringLiteral("Processing ")))
                m_pages.append(Snapshot::of(*m_window));
        });
        connect(Controls(*m_window).ProgressBar1, &QProgressBar::valueChanged, this,
                [this](int value) { m_barValues.append(value); });
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void runOnce() {
        openWindow();
        QTest::mouseClick(Controls(*m_window).cmdConvert, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(m_prompts.messages.size(), 1, 20000);
    }

    static QStringList captions(const QList<Snapshot>& pages) {
        QStringList result;
        for (const Snapshot& page : pages)
            result.append(page.caption);
        return result;
    }

    std::optional<QTemporaryDir> m_folder;
    std::unique_ptr<frmMain> m_window;
    ScriptedPrompts m_prompts;
    QList<Snapshot> m_pages;        // one per page shown, in order
    QList<int> m_barValues;         // every value the bar took
    QList<Snapshot> m_whileBoxOpen; // one per box
};

PLEXIFOLD_TEST_MAIN(BatchRunTest)
#include "BatchRunTest.moc"
