#include "AppTestSupport.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <stdexcept>
#include <tiffio.h>

#include "PageNaming.h"
#include "PathText.h"
#include "TiffFixtures.h"
#include "TiffInspector.h"
#include <vector>

namespace plexifold::test {

QString settingsFilePath() {
    return QFile::decodeName(qgetenv("XDG_CONFIG_HOME")) +
           QStringLiteral("/Plexifold/Plexifold.conf");
}

void clearSettings() {
    QDir(QFileInfo(settingsFilePath()).path()).removeRecursively();
}

void storeFolder(const QString& folder) {
    QSettings settings(settingsFilePath(), QSettings::IniFormat);
    settings.setValue(QStringLiteral("DEFAULT_PATH"), folder);
}

QString storedFolder() {
    if (!QFile::exists(settingsFilePath()))
        return {};
    const QSettings settings(settingsFilePath(), QSettings::IniFormat);
    return settings.value(QStringLiteral("DEFAULT_PATH")).toString();
}

void touchFiles(const QString& folder, const QStringList& names) {
    for (const QString& name : names) {
        QFile file(folder + u'/' + name);
        if (!file.open(QIODevice::WriteOnly))
            throw std::runtime_error("cannot create " + file.fileName().toStdString());
    }
}

int tiffPageCount(const QString& path) {
    return plexifold::test::libtiffDirectoryCount(QFile::encodeName(path).toStdString());
}

QStringList pageFilesIn(const QString& folder) {
    return QDir(folder).entryList({QStringLiteral("*_page_*")}, QDir::Files, QDir::Name);
}

Prompts ScriptedPrompts::prompts() {
    Prompts prompts;
    prompts.browseForFolder = [this](QWidget* owner, const QString& prompt) {
        pickerPrompts.append(prompt);
        pickerOwner = owner;
        if (!pickerError.isEmpty())
            throw std::runtime_error(pickerError.toStdString());
        return folders.isEmpty() ? QString() : folders.takeFirst();
    };
    prompts.showMessage = [this](QWidget* owner, QMessageBox::Icon icon, const QString& text) {
        const auto* txtPath = owner->findChild<QLineEdit*>(QStringLiteral("txtPath"));
        messages.append({icon, text, txtPath->text()});
        if (whileMessageOpen)
            whileMessageOpen();
    };
    return prompts;
}

Controls::Controls(frmMain& window)
    : txtPath(window.findChild<QLineEdit*>(QStringLiteral("txtPath"))),
      cmdBrowse(window.findChild<QPushButton*>(QStringLiteral("cmdBrowse"))),
      cmdConvert(window.findChild<QPushButton*>(QStringLiteral("cmdConvert"))),
      ProgressBar1(window.findChild<QProgressBar*>(QStringLiteral("ProgressBar1"))),
      lblProgress(window.findChild<QLabel*>(QStringLiteral("lblProgress"))) {
    if (!txtPath || !cmdBrowse || !cmdConvert || !ProgressBar1 || !lblProgress)
        throw std::runtime_error("a control of the window is missing");
}

QStringList listedNames(frmMain& window) {
    QStringList names;
    for (const std::filesystem::path& name : window.rules().File1().names())
        names.append(QString::fromStdString(files::Utf8Of(name)));
    return names;
}

} // namespace plexifold::test
