// The window as it is first shown: size, frame, controls, states, focus.
#include "AppTestSupport.h"
#include "TiffFixtures.h"

using namespace plexifold;
using namespace plexifold::test;

class WindowLayoutTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        clearSettings();
        m_prompts = {};
        m_folder.emplace();
        QVERIFY(m_folder->isValid());
    }

    void clientAreaIsFixedAndCentred() {
        frmMain window(m_prompts.prompts());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.size(), QSize(313, 73));
        QCOMPARE(window.minimumSize(), QSize(313, 73));
        QCOMPARE(window.maximumSize(), QSize(313, 73));
        const QPoint screenCentre = window.screen()->availableGeometry().center();
        QVERIFY((window.frameGeometry().center() - screenCentre).manhattanLength() <= 2);
    }

    void frameHasTitleMenuAndCloseBoxOnly() {
        frmMain window(m_prompts.prompts());
        const Qt::WindowFlags flags = window.windowFlags();
        QVERIFY(window.isWindow());
        QVERIFY(flags.testFlags(Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                Qt::WindowCloseButtonHint));
        QVERIFY(!flags.testAnyFlags(Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                                    Qt::WindowContextHelpButtonHint));
        QCOMPARE(window.windowTitle(), QStringLiteral("Plexifold"));
        QCOMPARE(window.windowIcon().availableSizes(), (QList<QSize>{{16, 16}, {32, 32}}));
        QCOMPARE(window.font(), QApplication::font());
    }

    void controls_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("visible");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("cmdBrowse") << "cmdBrowse" << QRect(280, 8, 25, 19) << "..." << true << true;
        QTest::newRow("txtPath") << "txtPath" << QRect(8, 8, 265, 19) << "" << true << true;
        QTest::newRow("cmdConvert")
            << "cmdConvert" << QRect(216, 40, 89, 25) << "&Execute" << true << false;
        QTest::newRow("ProgressBar1")
            << "ProgressBar1" << QRect(8, 56, 201, 9) << "" << true << true;
        QTest::newRow("lblProgress")
            << "lblProgress" << QRect(8, 40, 201, 17) << "Progress" << false << true;
    }

    // An empty working directory: nothing to list, "&Execute" stays off.
    void controls() {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QFETCH(QString, text);
        QFETCH(bool, visible);
        QFETCH(bool, enabled);
        QDir::setCurrent(m_folder->path());
        frmMain window(m_prompts.prompts());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* control = window.findChild<QWidget*>(name);
        QVERIFY(control);
        QCOMPARE(control->geometry(), geometry);
        QCOMPARE(control->isVisible(), visible);
        QCOMPARE(control->isEnabled(), enabled);
        QCOMPARE(control->font(), QApplication::font());
        if (auto* button = qobject_cast<QPushButton*>(control)) {
            QCOMPARE(button->text(), text);
            QVERIFY(!button->isDefault() && !button->autoDefault());
        }
        if (auto* label = qobject_cast<QLabel*>(control)) {
            QCOMPARE(label->text(), text);
            QCOMPARE(label->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
            QCOMPARE(label->frameShape(), QFrame::NoFrame);
        }
    }

    // The bar's top row covers the label's last one.
    void barLiesOverTheLabel() {
        frmMain window(m_prompts.prompts());
        const Controls c(window);
        c.lblProgress->show();
        QCOMPARE(window.childAt(100, 56), c.ProgressBar1);
        QCOMPARE(window.childAt(100, 55), c.lblProgress);
    }

    void progressBarStartsEmpty() {
        frmMain window(m_prompts.prompts());
        const Controls c(window);
        QCOMPARE(c.ProgressBar1->minimum(), 0);
        QCOMPARE(c.ProgressBar1->maximum(), 100);
        QCOMPARE(c.ProgressBar1->value(), 0);
        QVERIFY(!c.ProgressBar1->isTextVisible());
    }

    void folderBoxIsReadOnly() {
        QDir::setCurrent(m_folder->path());
        frmMain window(m_prompts.prompts());
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        const Controls c(window);
        const QString before = c.txtPath->text();
        QSignalSpy edits(c.txtPath, &QLineEdit::textChanged);
        c.txtPath->setFocus();
        QTest::keyClicks(c.txtPath, QStringLiteral("abc"));
        QTest::keyClick(c.txtPath, Qt::Key_Backspace);
        QTest::keyClick(c.txtPath, Qt::Key_Delete);
        QCOMPARE(c.txtPath->text(), before);
        QCOMPARE(edits.count(), 0);
        QVERIFY(c.txtPath->focusPolicy() & Qt::TabFocus);
    }

    void focus_data() {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("firstFocus");
        QTest::addColumn<QStringList>("tabOrder");
        QTest::newRow("with files") << QStringList{"a.tif"} << "cmdConvert"
                                    << QStringList{"txtPath", "cmdBrowse", "cmdConvert"};
        QTest::newRow("without files")
            << QStringList{} << "txtPath" << QStringList{"cmdBrowse", "txtPath", "cmdBrowse"};
    }

    // Tab walks "&Execute", the folder box, "...", skipping what is disabled.
    void focus() {
        QFETCH(QStringList, files);
        QFETCH(QString, firstFocus);
        QFETCH(QStringList, tabOrder);
        touchFiles(m_folder->path(), files);
        storeFolder(m_folder->path());
        frmMain window(m_prompts.prompts());
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QCOMPARE(QApplication::focusWidget()->objectName(), firstFocus);
        for (const QString& next : tabOrder) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(), next);
        }
    }

    // After a run the focus is back on the first input enabled again.
    void focusReturnsAfterARun() {
        writeMultipageTiff(QFile::encodeName(m_folder->filePath("a.tif")).toStdString(), 2);
        storeFolder(m_folder->path());
        frmMain window(m_prompts.prompts());
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        const Controls c(window);
        QTest::keyClick(c.cmdConvert, Qt::Key_E, Qt::AltModifier);
        QTRY_COMPARE(m_prompts.messages.size(), 1);
        QTRY_VERIFY(c.cmdConvert->isEnabled());
        QCOMPARE(QApplication::focusWidget(), c.cmdConvert);
    }

    void enterAndEscapeDoNothing() {
        touchFiles(m_folder->path(), {"a.tif"});
        storeFolder(m_folder->path());
        frmMain window(m_prompts.prompts());
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        const Controls c(window);
        c.txtPath->setFocus();
        QSignalSpy clicks(c.cmdConvert, &QPushButton::clicked);
        QTest::keyClick(c.txtPath, Qt::Key_Return);
        QTest::keyClick(c.txtPath, Qt::Key_Escape);
        QCOMPARE(clicks.count(), 0);
        QVERIFY(window.isVisible());
        QVERIFY(m_prompts.messages.isEmpty());
    }

    void closingWhenIdleStoresNothing() {
        QDir::setCurrent(m_folder->path());
        {
            frmMain window(m_prompts.prompts());
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            QVERIFY(window.close());
        }
        QVERIFY(!QFile::exists(settingsFilePath()));
    }

private:
    std::optional<QTemporaryDir> m_folder; // a fresh, empty folder for each case
    ScriptedPrompts m_prompts;
};

PLEXIFOLD_TEST_MAIN(WindowLayoutTest)
#include "WindowLayoutTest.moc"
