// The window with a settings file it cannot use: unreadable, corrupt, or in a folder
// that cannot be made. It still starts, lists the working folder, splits and closes;
// the folder it could not store is simply not remembered.
#include <QDir>
#include <QFile>

#include "AppTestSupport.h"
#include "FileBytes.h"
#include "TiffFixtures.h"

using namespace plexifold;
using namespace plexifold::test;

namespace {

QString settingsFolder() {
    return QFileInfo(settingsFilePath()).path();
}

} // namespace

class SettingsFaultTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        clearSettings();
        QFile::remove(settingsFolder());
        m_workingDir.emplace();
        QVERIFY(QDir::setCurrent(m_workingDir->path()));
        writeMultipageTiff(QFile::encodeName(m_workingDir->filePath("doc.tif")).toStdString(), 3);
    }

    void windowRunsWithUnusableSettings_data() {
        QTest::addColumn<QString>("fault");
        QTest::newRow("settings file is a folder: unreadable") << "folder";
        QTest::newRow("settings file is garbage") << "garbage";
        QTest::newRow("settings file holds an unterminated section") << "cut";
        QTest::newRow("settings folder cannot be made") << "blocked";
    }

    void windowRunsWithUnusableSettings() {
        QFETCH(QString, fault);
        makeFault(fault);

        ScriptedPrompts prompts;
        {
            frmMain window(prompts.prompts());
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            const Controls c(window);
            QCOMPARE(c.txtPath->text(), QDir::toNativeSeparators(m_workingDir->path()));
            QCOMPARE(listedNames(window), QStringList{"doc.tif"});
            QVERIFY(c.cmdConvert->isEnabled());

            c.cmdConvert->click();
            QTRY_COMPARE_WITH_TIMEOUT(prompts.messages.size(), 1, 20000);
            QCOMPARE(prompts.messages[0].text, QStringLiteral("Done!"));
            QTRY_VERIFY(c.cmdConvert->isEnabled());
            window.close();
        }
        QCOMPARE(pageFilesIn(m_workingDir->path()),
                 (QStringList{"doc_page_1.tif", "doc_page_2.tif", "doc_page_3.tif"}));
        for (const QString& page : pageFilesIn(m_workingDir->path()))
            QCOMPARE(tiffPageCount(m_workingDir->filePath(page)), 1);
        expectFaultLeftAlone(fault);
    }

private:
    static void makeFault(const QString& fault) {
        if (fault == "folder")
            QVERIFY(QDir().mkpath(settingsFilePath()));
        else if (fault == "garbage")
            writeFileBytes(settingsFilePath().toStdString(),
                           std::string_view("\x00\xff\xfe[\x01=\x80\n=", 9));
        else if (fault == "cut")
            writeFileBytes(settingsFilePath().toStdString(),
                           "[General\nDEFAULT_PATH=/nowhere/at/all");
        else
            writeFileBytes(settingsFolder().toStdString(),
                           "a file where the settings folder belongs");
    }

    // A folder or file standing in the way is not removed to make room.
    static void expectFaultLeftAlone(const QString& fault) {
        if (fault == "folder")
            QVERIFY(QFileInfo(settingsFilePath()).isDir());
        else if (fault == "blocked")
            QVERIFY(QFileInfo(settingsFolder()).isFile());
    }

    std::optional<QTemporaryDir> m_workingDir;
};

PLEXIFOLD_TEST_MAIN(SettingsFaultTest)
#include "SettingsFaultTest.moc"
