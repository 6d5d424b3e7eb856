// What the window shows of the splitter's progress, down to the pixels of the bar.
#include <QScreen>

#include "AppTestSupport.h"
#include "BatchRun.h"

using namespace plexifold;
using namespace plexifold::test;

namespace {

// The middle row of the bar as the window really shows it.
QList<QRgb> shownBarRow(frmMain& window) {
    const QProgressBar* bar = Controls(window).ProgressBar1;
    const QImage shot = window.screen()->grabWindow(window.winId()).toImage();
    QList<QRgb> row;
    for (int x = bar->x() + 2; x < bar->x() + bar->width() - 2; ++x)
        row.append(shot.pixel(x, bar->y() + bar->height() / 2));
    return row;
}

// The share of `row` that differs from the empty bar's row.
double filledShare(const QList<QRgb>& row, const QList<QRgb>& emptyRow) {
    int filled = 0;
    for (qsizetype i = 0; i < row.size(); ++i)
        filled += row[i] != emptyRow[i];
    return double(filled) / double(row.size());
}

} // namespace

class ProgressTest : public QObject {
    Q_OBJECT

private slots:
    void init() { clearSettings(); }

    // The label overlaps the bar's top row; its repaints must not leave the bar behind.
    void barIsDrawnAsItAdvances() {
        frmMain window(ScriptedPrompts().prompts());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QList<QRgb> emptyRow = shownBarRow(window);
        Controls(window).lblProgress->show(); // as during a run
        auto* run = window.findChild<BatchRun*>();
        QVERIFY(run);
        BatchProgress progress{400, 0, {}};
        for (int page = 1; page <= 400; ++page) {
            progress.value = page;
            progress.text = QStringLiteral("Processing a.tif (%1 from 400)").arg(page);
            emit run->progressChanged(progress);
            QCoreApplication::processEvents();
            if (page % 100 == 0) {
                const double fill = filledShare(shownBarRow(window), emptyRow);
                QVERIFY2(qAbs(fill - page / 400.0) < 0.1, qPrintable(QString::number(fill)));
            }
        }
        progress.value = 1; // the file is done
        emit run->progressChanged(progress);
        QCoreApplication::processEvents();
        QCOMPARE(shownBarRow(window), emptyRow);
        QCOMPARE(window.windowTitle(), QStringLiteral("Processing a.tif (400 from 400)"));
    }
};

PLEXIFOLD_TEST_MAIN(ProgressTest)
#include "ProgressTest.moc"
