// The folder picker, answered through the real dialog.
#include <QApplication>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <filesystem>
#include <functional>

#include "FolderPicker.h"

using namespace plexifold;

namespace {

const QString kPrompt = QStringLiteral("Select a folder with '.TIF' files");

struct Seen {
    QString title;
    QString directory;
    bool modal = false;
    QWidget* parent = nullptr;
    QFileDialog::FileMode mode = QFileDialog::AnyFile;
    bool dirsOnly = false;
};

// Runs BrowseForFolder over `owner` and lets `answer` deal with the dialog once it is up.
QString browse(QWidget* owner, Seen& seen, const std::function<void(QFileDialog*)>& answer) {
    QTimer timer;
    timer.setInterval(20);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        timer.stop();
        seen = {dialog->windowTitle(), dialog->directory().absolutePath(),
                dialog->isModal(),     dialog->parentWidget(),
                dialog->fileMode(),    dialog->testOption(QFileDialog::ShowDirsOnly)};
        answer(dialog);
    });
    timer.start();
    return BrowseForFolder(owner, kPrompt);
}

} // namespace

class FolderPickerTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(QDir(m_folder.path()).mkdir(QStringLiteral("sub")));
        QVERIFY(QFile(m_folder.filePath(QStringLiteral("a.tif"))).open(QIODevice::WriteOnly));
    }

    void cancelGivesEmpty() {
        QWidget owner;
        owner.show();
        Seen seen;
        const QString result = browse(&owner, seen, [](QFileDialog* d) { d->reject(); });
        QVERIFY(result.isEmpty());
        QCOMPARE(seen.title, kPrompt);
        QVERIFY(seen.modal);
        QCOMPARE(seen.parent, &owner);
        QCOMPARE(seen.mode, QFileDialog::Directory);
        QVERIFY(seen.dirsOnly);
    }

    // The dialog starts at the top whatever the working directory is.
    void startsAtTheTopAndGivesTheChosenFolder() {
        QTemporaryDir folder;
        QDir::setCurrent(folder.path());
        QWidget owner;
        owner.show();
        Seen seen;
        const QString result = browse(&owner, seen, [&](QFileDialog* d) {
            d->setDirectory(folder.path());
            static_cast<QDialog*>(d)->accept(); // QFileDialog hides it
        });
        QCOMPARE(seen.directory, QDir::rootPath());
        QCOMPARE(result, folder.path());
    }

    // A folder that is gone by the time the user presses OK is no folder.
    void folderGoneOnOkGivesEmpty() {
        QTemporaryDir folder;
        QWidget owner;
        owner.show();
        Seen seen;
        const QString result = browse(&owner, seen, [&](QFileDialog* d) {
            d->setDirectory(folder.path());
            QObject::connect(d, &QDialog::finished, [&] { folder.remove(); });
            static_cast<QDialog*>(d)->accept();
        });
        QCOMPARE(result, QString());
    }

    void onlyExistingLocalFolders_data() {
        QTest::addColumn<QUrl>("chosen");
        QTest::addColumn<bool>("kept");
        const QString here = m_folder.path();
        QTest::newRow("local folder") << QUrl::fromLocalFile(here) << true;
        QTest::newRow("root") << QUrl::fromLocalFile(QDir::rootPath()) << true;
        QTest::newRow("network place") << QUrl(QStringLiteral("smb://server/share")) << false;
        QTest::newRow("web address") << QUrl(QStringLiteral("https://example.org/scans")) << false;
        QTest::newRow("file") << QUrl::fromLocalFile(here + QStringLiteral("/a.tif")) << false;
        QTest::newRow("gone") << QUrl::fromLocalFile(here + QStringLiteral("/gone")) << false;
        QTest::newRow("relative") << QUrl::fromLocalFile(QStringLiteral("sub")) << false;
        QTest::newRow("nothing") << QUrl() << false;
    }

    void onlyExistingLocalFolders() {
        QFETCH(QUrl, chosen);
        QFETCH(bool, kept);
        QVERIFY(QDir::setCurrent(m_folder.path()));
        QCOMPARE(FileSystemFolderOf(chosen),
                 kept ? QFile::encodeName(chosen.toLocalFile()) : QByteArray());
    }

    // A folder whose name is not UTF-8 comes back in its own bytes.
    void keepsBytesThatAreNotUtf8() {
        const QByteArray folder = QFile::encodeName(m_folder.path()) + "/scans-\xff\xfe";
        std::filesystem::create_directory(folder.toStdString());
        const QUrl chosen = QUrl::fromEncoded("file://" + folder.toPercentEncoding("/"));
        QCOMPARE(FileSystemFolderOf(chosen), folder);
        std::filesystem::remove(folder.toStdString()); // Qt cannot name it to remove it
    }

private:
    QTemporaryDir m_folder;
};

QTEST_MAIN(FolderPickerTest)
#include "FolderPickerTest.moc"
