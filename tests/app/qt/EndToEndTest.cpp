// The real program in a real X server: start it, press Alt+E, close the box, find the pages.
#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "TiffFixtures.h"
#include "TiffInspector.h"
#include <tiffio.h>

namespace {

int tiffPages(const QString& path) {
    return plexifold::test::libtiffDirectoryCount(QFile::encodeName(path).toStdString());
}

} // namespace

class EndToEndTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        m_xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        m_xdotool = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
        if (m_xvfb.isEmpty() || m_xdotool.isEmpty())
            QSKIP("Xvfb and xdotool are not installed: the end-to-end test of the window is "
                  "skipped");
        startServer();
    }

    void cleanupTestCase() {
        for (QProcess* process : {&m_program, &m_server}) {
            process->terminate();
            if (!process->waitForFinished(5000))
                process->kill();
            process->waitForFinished(5000);
        }
    }

    void splitsTheStoredFolderWithAltE() {
        QTemporaryDir folder, config;
        for (const auto& [name, pages] : {std::pair{"a.tif", 3}, std::pair{"b.tif", 2}})
            plexifold::test::writeMultipageTiff(
                QFile::encodeName(folder.filePath(name)).toStdString(), pages);
        QSettings(config.filePath("Plexifold/Plexifold.conf"), QSettings::IniFormat)
            .setValue("DEFAULT_PATH", folder.path());
        startProgram(config.path());

        const QStringList windows = waitForWindows(1);
        QCOMPARE(windows.size(), 1);
        xdotool({"windowfocus", "--sync", windows[0]});
        xdotool({"key", "--clearmodifiers", "alt+e"});

        const QStringList withBox = waitForWindows(2);
        QCOMPARE(withBox.size(), 2);
        const QString box = withBox[0] == windows[0] ? withBox[1] : withBox[0];
        xdotool({"windowfocus", "--sync", box});
        xdotool({"key", "Return"});
        QCOMPARE(waitForWindows(1), windows);

        QCOMPARE(QDir(folder.path()).entryList({"*_page_*"}, QDir::Files, QDir::Name),
                 (QStringList{"a_page_1.tif", "a_page_2.tif", "a_page_3.tif", "b_page_1.tif",
                              "b_page_2.tif"}));
        for (const QString& name : QDir(folder.path()).entryList({"*_page_*"}))
            QCOMPARE(tiffPages(folder.filePath(name)), 1);
        QVERIFY(m_program.state() == QProcess::Running);
    }

private:
    void startServer() {
        m_server.start(m_xvfb,
                       {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
        QVERIFY2(m_server.waitForStarted(10000), "Xvfb does not start");
        QTRY_VERIFY_WITH_TIMEOUT(m_server.canReadLine(), 15000);
        m_display = QStringLiteral(":") + QString::fromLatin1(m_server.readLine()).trimmed();
        m_environment = QProcessEnvironment::systemEnvironment();
        m_environment.insert("DISPLAY", m_display);
        m_environment.insert("QT_QPA_PLATFORM", "xcb");
    }

    void startProgram(const QString& configHome) {
        QProcessEnvironment environment = m_environment;
        environment.insert("XDG_CONFIG_HOME", configHome);
        // Under AddressSanitizer: libxkbcommon-x11 hands strndup a bound longer than its
        // string, which strict string checks take for an overflow. Not ours to fix.
        if (environment.contains("ASAN_OPTIONS"))
            environment.insert("ASAN_OPTIONS",
                               environment.value("ASAN_OPTIONS") + ":strict_string_checks=0");
        m_program.setProcessEnvironment(environment);
        m_program.setProcessChannelMode(QProcess::ForwardedChannels);
        m_program.start(QStringLiteral(PLEXIFOLD_APP_BINARY), {});
        QVERIFY2(m_program.waitForStarted(10000), "plexifold does not start");
    }

    QString xdotool(const QStringList& arguments) {
        QProcess process;
        process.setProcessEnvironment(m_environment);
        process.start(m_xdotool, arguments);
        if (!process.waitForFinished(10000))
            process.kill();
        return QString::fromLatin1(process.readAllStandardOutput());
    }

    // The visible windows titled "Plexifold", once there are `count` of them (20 s at most).
    QStringList waitForWindows(int count) {
        QStringList windows;
        QElapsedTimer clock;
        clock.start();
        do {
            windows = xdotool({"search", "--onlyvisible", "--name", "^Plexifold$"})
                          .split(u'\n', Qt::SkipEmptyParts);
            if (windows.size() == count)
                break;
            QTest::qWait(100);
        } while (clock.elapsed() < 20000);
        windows.sort();
        return windows;
    }

    QString m_xvfb, m_xdotool, m_display;
    QProcess m_server, m_program;
    QProcessEnvironment m_environment;
};

QTEST_GUILESS_MAIN(EndToEndTest)
#include "EndToEndTest.moc"
