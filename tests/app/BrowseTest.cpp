// "...": the folder picker, the warning about a folder without images, the prompt.
#include "AppTestSupport.h"

using namespace plexifold;
using namespace plexifold::test;

namespace {
const QString kPrompt = QStringLiteral("Select a folder with '.TIF' files");
const QString kWarning = QStringLiteral("This folder does not contain '.TIF' files");
} // namespace

class BrowseTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        clearSettings();
        m_prompts = {};
        m_start.emplace();
        m_chosen.emplace();
        touchFiles(m_start->path(), {"s.tif"});
        storeFolder(m_start->path());
    }

    void choosingAFolder_data() {
        QTest::addColumn<QStringList>("chosenFiles");
        QTest::addColumn<QString>("answer"); // what the picker returns
        QTest::addColumn<QString>("shown");  // in the folder box afterwards
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<bool>("warned");

        QTest::newRow("cancel") << QStringList{"c.tif"} << ""
                                << "<start>" << QStringList{"s.tif"} << false;
        QTest::newRow("blanks") << QStringList{"c.tif"} << "   "
                                << "<start>" << QStringList{"s.tif"} << false;
        QTest::newRow("folder with images")
            << QStringList{"c.TIF", "b.tiff", "a.txt"} << "<chosen>"
            << "<chosen>" << QStringList{"b.tiff", "c.TIF"} << false;
        QTest::newRow("trailing separator") << QStringList{"c.tif"} << "<chosen>/"
                                            << "<chosen>" << QStringList{"c.tif"} << false;
        QTest::newRow("folder without images")
            << QStringList{"a.txt"} << "<chosen>" << kPrompt << QStringList{} << true;
        // A folder that cannot be listed leaves the list where it was.
        QTest::newRow("folder gone") << QStringList{} << "<chosen>/gone"
                                     << "<start>" << QStringList{"s.tif"} << false;
    }

    void choosingAFolder() {
        QFETCH(QStringList, chosenFiles);
        QFETCH(QString, answer);
        QFETCH(QString, shown);
        QFETCH(QStringList, listed);
        QFETCH(bool, warned);
        touchFiles(m_chosen->path(), chosenFiles);
        m_prompts.folders = {expand(answer)};
        frmMain window(m_prompts.prompts());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const Controls c(window);
        QSignalSpy changes(c.txtPath, &QLineEdit::textChanged);

        QTest::mouseClick(c.cmdBrowse, Qt::LeftButton);

        QCOMPARE(m_prompts.pickerPrompts, QStringList{kPrompt});
        QCOMPARE(m_prompts.pickerOwner, static_cast<QWidget*>(&window));
        QCOMPARE(c.txtPath->text(), expand(shown));
        QCOMPARE(listedNames(window), listed);
        QCOMPARE(c.cmdConvert->isEnabled(), !listed.isEmpty());
        QCOMPARE(m_prompts.messages.size(), warned ? 1 : 0);
        if (warned) {
            QCOMPARE(m_prompts.messages[0].icon, QMessageBox::Warning);
            QCOMPARE(m_prompts.messages[0].text, kWarning);
            // The prompt replaces the folder only once the warning is closed.
            QCOMPARE(m_prompts.messages[0].txtPathWhileOpen, expand(answer));
        }
        if (answer.trimmed().isEmpty())
            QCOMPARE(changes.count(), 0);
        QCOMPARE(storedFolder(), m_start->path());
    }

    // A picker that fails leaves the prompt, and the list as it was.
    void failingPicker() {
        m_prompts.pickerError = QStringLiteral("no dialog");
        frmMain window(m_prompts.prompts());
        const Controls c(window);
        QTest::mouseClick(c.cmdBrowse, Qt::LeftButton);
        QCOMPARE(c.txtPath->text(), kPrompt);
        QCOMPARE(listedNames(window), QStringList{"s.tif"});
        QVERIFY(c.cmdConvert->isEnabled());
        QVERIFY(m_prompts.messages.isEmpty());
    }

    // After a folder without images, a good folder brings "&Execute" back.
    void choosingAgainAfterTheWarning() {
        touchFiles(m_chosen->path(), {"c.tif"});
        QTemporaryDir empty;
        m_prompts.folders = {empty.path(), m_chosen->path()};
        frmMain window(m_prompts.prompts());
        const Controls c(window);
        QTest::mouseClick(c.cmdBrowse, Qt::LeftButton);
        QCOMPARE(c.txtPath->text(), kPrompt);
        QVERIFY(!c.cmdConvert->isEnabled());
        QTest::mouseClick(c.cmdBrowse, Qt::LeftButton);
        QCOMPARE(c.txtPath->text(), m_chosen->path());
        QVERIFY(c.cmdConvert->isEnabled());
        QCOMPARE(m_prompts.messages.size(), 1);
    }

    // The list is read when the folder is chosen, not later.
    void listIsReadWhenChosen() {
        m_prompts.folders = {m_chosen->path(), m_chosen->path()};
        touchFiles(m_chosen->path(), {"c.tif"});
        frmMain window(m_prompts.prompts());
        QTest::mouseClick(Controls(window).cmdBrowse, Qt::LeftButton);
        touchFiles(m_chosen->path(), {"d.tif"});
        QCOMPARE(listedNames(window), QStringList{"c.tif"});
        QTest::mouseClick(Controls(window).cmdBrowse, Qt::LeftButton);
        QCOMPARE(listedNames(window), (QStringList{"c.tif", "d.tif"}));
    }

private:
    QString expand(QString text) const {
        return text.replace(QStringLiteral("<start>"), m_start->path())
            .replace(QStringLiteral("<chosen>"), m_chosen->path());
    }

    std::optional<QTemporaryDir> m_start; // the stored folder the window starts with
    std::optional<QTemporaryDir> m_chosen;
    ScriptedPrompts m_prompts;
};

PLEXIFOLD_TEST_MAIN(BrowseTest)
#include "BrowseTest.moc"
