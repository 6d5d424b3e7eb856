// The per-user settings store: one string value, read back exactly, "" for anything else.
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include "FileBytes.h"
#include "SettingsStore.h"

using namespace plexifold;

namespace {

const QString kKey = QStringLiteral("SOFTWARE\\Plexifold");
const QString kValue = QStringLiteral("DEFAULT_PATH");

QString configHome() {
    return QFile::decodeName(qgetenv("XDG_CONFIG_HOME"));
}

QString settingsFile() {
    return configHome() + QStringLiteral("/Plexifold/Plexifold.conf");
}

QString read() {
    return ReadRegistryString(RegistryRoot::CurrentUser, kKey, kValue);
}

void write(const QString& text) {
    WriteRegistryString(RegistryRoot::CurrentUser, kKey, kValue, text);
}

} // namespace

class SettingsStoreTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        const QString folder = configHome() + QStringLiteral("/Plexifold");
        QFile::remove(folder);
        QDir(folder).removeRecursively();
    }

    void firstWriteCreatesTheFile() {
        write(QStringLiteral("/scans"));
        QVERIFY(QFile::exists(settingsFile()));
        const QSettings stored(settingsFile(), QSettings::IniFormat);
        QCOMPARE(stored.value(kValue), QVariant(QStringLiteral("/scans")));
        QCOMPARE(read(), QStringLiteral("/scans"));
    }

    void keyPathNamesTheFile() {
        WriteRegistryString(RegistryRoot::CurrentUser, QStringLiteral("SOFTWARE\\Vendor\\Tool"),
                            kValue, QStringLiteral("x"));
        QVERIFY(QFile::exists(configHome() + QStringLiteral("/Vendor/Tool.conf")));
        QDir(configHome() + QStringLiteral("/Vendor")).removeRecursively();
    }

    void roundTrip_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("folder") << QStringLiteral("/home/u/scans");
        QTest::newRow("blanks kept") << QStringLiteral("  /scans \t ");
        QTest::newRow("comma") << QStringLiteral("/a, b");
        QTest::newRow("quotes and backslash") << QStringLiteral("/\"a\"\\b;c=d#e");
        QTest::newRow("other scripts") << QStringLiteral("/tmp/Сканы/扫描/γ");
        QTest::newRow("prompt text") << QStringLiteral("Select a folder with '.TIF' files");
        QTest::newRow("long") << QStringLiteral("/d").repeated(20000);
    }

    void roundTrip() {
        QFETCH(QString, text);
        write(QStringLiteral("/earlier"));
        write(text);
        QCOMPARE(read(), text);
    }

    void readsEmpty_data() {
        QTest::addColumn<QByteArray>("content"); // null: no file at all
        QTest::newRow("no file") << QByteArray();
        QTest::newRow("no value") << QByteArray("[General]\nOTHER=/x\n");
        QTest::newRow("empty value") << QByteArray("[General]\nDEFAULT_PATH=\n");
        QTest::newRow("list") << QByteArray("[General]\nDEFAULT_PATH=/a, /b\n");
        QTest::newRow("number") << QByteArray(
            "[General]\nDEFAULT_PATH=@Variant(\\0\\0\\0\\x2\\0\\0\\0*)\n");
        QTest::newRow("bytes") << QByteArray("[General]\nDEFAULT_PATH=@ByteArray(/x)\n");
        QTest::newRow("invalid") << QByteArray("[General]\nDEFAULT_PATH=@Invalid()\n");
        QTest::newRow("unknown type")
            << QByteArray("[General]\nDEFAULT_PATH=@Variant(\\0\\x7f\\xff\\xff\\0)\n");
        static const char garbage[] = "\x01\xff\xfe\0\0[[[==\n\x80";
        QTest::newRow("binary garbage") << QByteArray(garbage, sizeof garbage - 1);
    }

    void readsEmpty() {
        QFETCH(QByteArray, content);
        if (!content.isNull())
            test::writeFileBytes(settingsFile().toStdString(), content.toStdString());
        QCOMPARE(read(), QString());
        QVERIFY(read().isEmpty());
    }

    // Qt salvages what it can of a damaged file; every read then gives the same.
    void damagedFileReadsTheSameEveryTime() {
        test::writeFileBytes(settingsFile().toStdString(), "[General\nDEFAULT_PATH=/x\n");
        const QString first = read();
        QCOMPARE(read(), first);
        QCOMPARE(read(), first);
    }

    void readCreatesNothing() {
        QCOMPARE(read(), QString());
        QVERIFY(!QFileInfo::exists(configHome() + QStringLiteral("/Plexifold")));
    }

    // A directory where the file belongs: nothing can be read or written, nothing fails.
    void unusableStoreIsSilent() {
        QVERIFY(QDir().mkpath(settingsFile()));
        write(QStringLiteral("/scans"));
        QCOMPARE(read(), QString());
        QVERIFY(QFileInfo(settingsFile()).isDir());
    }

    void unwritableFolderIsSilent() {
        test::writeFileBytes((configHome() + QStringLiteral("/Plexifold")).toStdString(),
                             "a file, not a folder");
        write(QStringLiteral("/scans"));
        QCOMPARE(read(), QString());
    }

    void writeOverACorruptFileStoresTheValue() {
        test::writeFileBytes(settingsFile().toStdString(), "[General\nDEFAULT_PATH=/x\n");
        write(QStringLiteral("/new"));
        QCOMPARE(read(), QStringLiteral("/new"));
    }
};

int main(int argc, char** argv) {
    QTemporaryDir config; // the settings of a user of our own
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    QCoreApplication app(argc, argv);
    SettingsStoreTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "SettingsStoreTest.moc"
