// The real message box the window shows, wired to "...".
#include <QTimer>

#include "AppTestSupport.h"

using namespace plexifold;
using namespace plexifold::test;

class MessageBoxTest : public QObject {
    Q_OBJECT

private slots:
    void init() { clearSettings(); }

    // The warning about a folder without images, through a real message box.
    void realMessageBox() {
        QTemporaryDir start;
        QTemporaryDir empty;
        touchFiles(start.path(), {"s.tif"});
        storeFolder(start.path());
        Prompts prompts = Prompts::standard();
        prompts.browseForFolder = [&](QWidget*, const QString&) {
            return QFile::encodeName(empty.path());
        };
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

PLEXIFOLD_TEST_MAIN(MessageBoxTest)
#include "MessageBoxTest.moc"
