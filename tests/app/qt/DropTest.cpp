// Folders dropped onto the window or chosen, whatever their names.
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>

#include <filesystem>

#include "AppTestSupport.h"
#include "TiffFixtures.h"

using namespace plexifold;
using namespace plexifold::test;

namespace {

// Drags `urls` over the window and drops them; true when the window took the drag.
bool dragAndDrop(frmMain& window, const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    const QPoint middle = window.rect().center();
    QDragEnterEvent enter(middle, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(middle, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &drop);
    return true;
}

} // namespace

class DropTest : public QObject {
    Q_OBJECT

private slots:
    void init() { clearSettings(); }

    void droppedFolderIsChosen() {
        QTemporaryDir start, dropped;
        touchFiles(start.path(), {"s.tif"});
        touchFiles(dropped.path(), {"b.tif", "a.TIFF"});
        storeFolder(start.path());
        ScriptedPrompts prompts;
        frmMain window(prompts.prompts());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const Controls c(window);

        QVERIFY(!dragAndDrop(window, {QUrl("https://example.org/scans/")}));
        QVERIFY(dragAndDrop(window, {QUrl("https://example.org/scans/"),
                                     QUrl::fromLocalFile(dropped.filePath("b.tif"))}));
        QCOMPARE(c.txtPath->text(), dropped.path());
        QCOMPARE(listedNames(window), (QStringList{"a.TIFF", "b.tif"}));
        QVERIFY(c.cmdConvert->isEnabled());
        QVERIFY(prompts.messages.isEmpty());
    }

    // A folder whose name is not UTF-8 is shown with replacement characters, and listed,
    // split and stored in its own bytes.
    void folderNamedInBytesThatAreNotUtf8() {
        QTemporaryDir parent;
        const QByteArray folder = QFile::encodeName(parent.path()) + "/scans-\xff\xfe";
        std::filesystem::create_directory(folder.toStdString());
        writeMultipageTiff((folder + "/a.tif").toStdString(), 2);
        ScriptedPrompts prompts;
        prompts.folderBytes = {folder};
        {
            frmMain window(prompts.prompts());
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            const Controls c(window);
            c.cmdBrowse->click();
            QCOMPARE(c.txtPath->text(), QString::fromUtf8(folder));
            QCOMPARE(listedNames(window), QStringList{"a.tif"});
            c.cmdConvert->click();
            QTRY_COMPARE_WITH_TIMEOUT(prompts.messages.size(), 1, 20000);
            QCOMPARE(prompts.messages[0].text, QStringLiteral("Done!"));
        }
        QVERIFY(std::filesystem::exists((folder + "/a_page_2.tif").toStdString()));
        frmMain again(prompts.prompts()); // the stored folder is the same folder
        QCOMPARE(Controls(again).txtPath->text(), QString::fromUtf8(folder));
        QCOMPARE(listedNames(again), (QStringList{"a.tif", "a_page_1.tif", "a_page_2.tif"}));
        std::filesystem::remove_all(folder.toStdString()); // Qt cannot name it to remove it
    }

    // An error that escapes a handler is shown, and the program ends with status 1.
    void escapingErrorClosesTheProgram() {
        QTemporaryDir empty;
        ScriptedPrompts prompts;
        prompts.whileMessageOpen = [&] {
            if (prompts.messages.size() == 1)
                throw 42; // the warning about the folder without images fails
        };
        frmMain window(prompts.prompts());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        int exitCode = -1;
        QTimer::singleShot(5000, [] { QCoreApplication::exit(2); });
        QVERIFY(dragAndDrop(window, {QUrl::fromLocalFile(empty.path())}));
        QEventLoop loop;
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, &loop, &QEventLoop::quit);
        exitCode = loop.exec();
        QCOMPARE(prompts.messages.size(), 2);
        QCOMPARE(prompts.messages[1].icon, QMessageBox::Critical);
        QCOMPARE(prompts.messages[1].text,
                 QStringLiteral("Plexifold has to close: an unknown error"));
        QVERIFY(!window.isVisible());
        QCOMPARE(exitCode, 1);
    }
};

PLEXIFOLD_TEST_MAIN(DropTest)
#include "DropTest.moc"
