// Start-up: the stored folder comes back, listed without any message.
#include "AppTestSupport.h"

using namespace plexifold;
using namespace plexifold::test;

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        clearSettings();
        m_prompts = {};
        m_folder.emplace();
        m_workingDir.emplace();
        QVERIFY(QDir::setCurrent(m_workingDir->path()));
    }

    void restoresTheStoredFolder_data() {
        QTest::addColumn<QString>("stored"); // null: nothing stored
        QTest::addColumn<QStringList>("folderFiles");
        QTest::addColumn<QStringList>("workingDirFiles");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QStringList>("listed");

        const QStringList images{"b.TIFF", "a.tif", "notes.txt", ".hidden.tif"};
        const QStringList sorted{"a.tif", "b.TIFF"};
        QTest::newRow("folder with images")
            << "<folder>" << images << QStringList{"w.tif"} << "<folder>" << sorted;
        QTest::newRow("folder with a trailing separator")
            << "<folder>/" << images << QStringList{} << "<folder>" << sorted;
        QTest::newRow("folder without images")
            << "<folder>" << QStringList{"notes.txt"} << QStringList{"w.tif"} << "<folder>"
            << QStringList{};
        QTest::newRow("folder gone, working dir with images")
            << "<folder>/gone" << images << QStringList{"w.tif"} << "<cwd>" << QStringList{"w.tif"};
        QTest::newRow("folder gone, working dir without images")
            << "<folder>/gone" << images << QStringList{} << "<cwd>" << QStringList{};
        QTest::newRow("nothing stored")
            << QString() << images << QStringList{"w.tif"} << "<cwd>" << QStringList{"w.tif"};
        QTest::newRow("empty text stored")
            << "" << images << QStringList{"w.tif"} << "<cwd>" << QStringList{"w.tif"};
        QTest::newRow("blanks stored")
            << "  " << images << QStringList{} << "<cwd>" << QStringList{};
        QTest::newRow("a file stored") << "<folder>/a.tif" << images << QStringList{"w.tif"}
                                       << "<cwd>" << QStringList{"w.tif"};
    }

    void restoresTheStoredFolder() {
        QFETCH(QString, stored);
        QFETCH(QStringList, folderFiles);
        QFETCH(QStringList, workingDirFiles);
        QFETCH(QString, shown);
        QFETCH(QStringList, listed);
        touchFiles(m_folder->path(), folderFiles);
        touchFiles(m_workingDir->path(), workingDirFiles);
        if (!stored.isNull())
            storeFolder(expand(stored));
        const QByteArray settingsBefore = settingsBytes();

        frmMain window(m_prompts.prompts());
        const Controls c(window);
        QCOMPARE(c.txtPath->text(), expand(shown));
        QCOMPARE(listedNames(window), listed);
        QCOMPARE(c.cmdConvert->isEnabled(), !listed.isEmpty());
        QCOMPARE(window.windowTitle(), QStringLiteral("Plexifold"));
        QVERIFY(m_prompts.messages.isEmpty());
        QVERIFY(m_prompts.pickerPrompts.isEmpty());

        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.close();
        QCOMPARE(settingsBytes(), settingsBefore);
    }

    // The root is the one folder shown with a separator at its end.
    void restoresTheRoot() {
        storeFolder(QStringLiteral("/"));
        frmMain window(m_prompts.prompts());
        QCOMPARE(Controls(window).txtPath->text(), QStringLiteral("/"));
        QCOMPARE(listedFolder(window), QStringLiteral("/"));
        QVERIFY(m_prompts.messages.isEmpty());
    }

    // Names in other scripts and a folder name with blanks and a comma survive the store.
    void restoresAFolderNamedInAnyScript() {
        const QString folder = m_folder->path() + QStringLiteral("/ Сканы, 扫描 ");
        QVERIFY(QDir().mkpath(folder));
        touchFiles(folder, {QStringLiteral("Überweisung.tif"), QStringLiteral("αβγ.TIF")});
        storeFolder(folder);
        frmMain window(m_prompts.prompts());
        QCOMPARE(Controls(window).txtPath->text(), folder);
        QCOMPARE(listedNames(window),
                 (QStringList{QStringLiteral("Überweisung.tif"), QStringLiteral("αβγ.TIF")}));
    }

private:
    QString expand(QString text) const {
        return text.replace(QStringLiteral("<folder>"), m_folder->path())
            .replace(QStringLiteral("<cwd>"), m_workingDir->path());
    }

    static QByteArray settingsBytes() {
        QFile file(settingsFilePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    std::optional<QTemporaryDir> m_folder;
    std::optional<QTemporaryDir> m_workingDir;
    ScriptedPrompts m_prompts;
};

PLEXIFOLD_TEST_MAIN(StartupTest)
#include "StartupTest.moc"
