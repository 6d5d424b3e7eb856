// What the window shows of the splitter's progress, down to the pixels of the bar.
#include <QScreen>

#include "AppTestSupport.h"

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
        app::ProgressState progress{{}, 1, 400, 0};
        for (int page = 1; page <= 400; ++page) {
            progress.value = page;
            progress.text = "Processing a.tif (" + std::to_string(page) + " from 400)";
            window.showProgress(progress);
            QCoreApplication::processEvents();
            if (page % 100 == 0) {
                const double fill = filledShare(shownBarRow(window), emptyRow);
                QVERIFY2(qAbs(fill - page / 400.0) < 0.1, qPrintable(QString::number(fill)));
            }
        }
        progress.value = 1; // the file is done
        window.showProgress(progress);
        QCoreApplication::processEvents();
        QCOMPARE(shownBarRow(window), emptyRow);
        QCOMPARE(window.windowTitle(), QStringLiteral("Processing a.tif (400 from 400)"));
    }

    // Names that look like markup, hold a title's "modified" mark or a "%1" are shown as they are.
    void namesAreShownAsText() {
        frmMain window(ScriptedPrompts().prompts());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QList<QRgb> emptyRow = shownBarRow(window);
        window.showProgress({"Processing <i>%1x[*]&y%2F.tif (1 from 1)", 1, 1, 1});
        QCoreApplication::processEvents();
        QVERIFY(filledShare(shownBarRow(window), emptyRow) > 0.9); // a one-page file: full
        const QString expected = QStringLiteral("Processing <i>%1x[*]&y%2F.tif (1 from 1)");
        QCOMPARE(window.windowHandle()->title(), expected);
        QCOMPARE(Controls(window).lblProgress->text(), expected);
        QCOMPARE(Controls(window).lblProgress->textFormat(), Qt::PlainText);
    }
};

PLEXIFOLD_TEST_MAIN(ProgressTest)
#include "ProgressTest.moc"
