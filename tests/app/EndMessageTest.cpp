// The box at the end of a run, and the real message box the window shows.
#include <QTimer>

#include "AppTestSupport.h"

using namespace plexifold;
using namespace plexifold::test;

namespace {

BatchReport reportOf(qsizetype files, int failed) {
    BatchReport report;
    report.fileCount = files;
    for (int i = 1; i <= failed; ++i)
        report.failures.append(
            {QStringLiteral("f%1.tif").arg(i), QStringLiteral("reason %1").arg(i)});
    return report;
}

QString failureLines(int from, int to) {
    QString lines;
    for (int i = from; i <= to; ++i)
        lines += QStringLiteral("\nf%1.tif: reason %1").arg(i);
    return lines;
}

} // namespace

class EndMessageTest : public QObject {
    Q_OBJECT

private slots:
    void init() { clearSettings(); }

    void text_data() {
        QTest::addColumn<int>("files");
        QTest::addColumn<int>("failed");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QMessageBox::Icon>("icon");
        const QString head = QStringLiteral("Done!\n\n");
        QTest::newRow("all through") << 5 << 0 << "Done!" << QMessageBox::Information;
        QTest::newRow("no files") << 0 << 0 << "Done!" << QMessageBox::Information;
        QTest::newRow("two of five")
            << 5 << 2 << head + "2 of 5 files could not be split:" + failureLines(1, 2)
            << QMessageBox::Warning;
        QTest::newRow("the only file")
            << 1 << 1 << head + "1 of 1 file could not be split:" + failureLines(1, 1)
            << QMessageBox::Warning;
        QTest::newRow("ten listed")
            << 10 << 10 << head + "10 of 10 files could not be split:" + failureLines(1, 10)
            << QMessageBox::Warning;
        QTest::newRow("one more") << 11 << 11
                                  << head + "11 of 11 files could not be split:" +
                                         failureLines(1, 10) + QStringLiteral("\n\u2026 and 1 more")
                                  << QMessageBox::Warning;
        QTest::newRow("many more")
            << 40000 << 12345
            << head + "12345 of 40000 files could not be split:" + failureLines(1, 10) +
                   QStringLiteral("\n\u2026 and 12335 more")
            << QMessageBox::Warning;
    }

    void text() {
        QFETCH(int, files);
        QFETCH(int, failed);
        QFETCH(QString, text);
        QFETCH(QMessageBox::Icon, icon);
        const BatchReport report = reportOf(files, failed);
        QCOMPARE(report.messageText(), text);
        QCOMPARE(report.messageIcon(), icon);
    }

    // The warning about a folder without images, through a real message box.
    void realMessageBox() {
        QTemporaryDir start;
        QTemporaryDir empty;
        touchFiles(start.path(), {"s.tif"});
        storeFolder(start.path());
        Prompts prompts = Prompts::standard();
        prompts.browseForFolder = [&](QWidget*, const QString&) { return empty.path(); };
        frmMain window(prompts);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        struct Seen {
            QString title, text, folderBox;
            QMessageBox::Icon icon = QMessageBox::NoIcon;
            QList<QAbstractButton*> buttons;
            bool modal = false;
            QWidget* parent = nullptr;
            Qt::TextFormat format = Qt::AutoText;
        } seen;
        QTimer answer;
        answer.setInterval(20);
        connect(&answer, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            answer.stop();
            seen = {box->windowTitle(),  box->text(),      Controls(window).txtPath->text(),
                    box->icon(),         box->buttons(),   box->isModal(),
                    box->parentWidget(), box->textFormat()};
            QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
        });
        answer.start();
        QTest::mouseClick(Controls(window).cmdBrowse, Qt::LeftButton);

        QCOMPARE(seen.title, QStringLiteral("Plexifold"));
        QCOMPARE(seen.text, QStringLiteral("This folder does not contain '.TIF' files"));
        QCOMPARE(seen.icon, QMessageBox::Warning);
        QCOMPARE(seen.buttons.size(), 1);
        QVERIFY(seen.modal);
        QCOMPARE(seen.parent, static_cast<QWidget*>(&window));
        QCOMPARE(seen.folderBox, empty.path());
        QCOMPARE(seen.format, Qt::PlainText); // file names in the end box stay text
        QCOMPARE(Controls(window).txtPath->text(),
                 QStringLiteral("Select a folder with '.TIF' files"));
    }
};

PLEXIFOLD_TEST_MAIN(EndMessageTest)
#include "EndMessageTest.moc"
