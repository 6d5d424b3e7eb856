#pragma once

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QProgressBar>
#include <QPushButton>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <optional>

#include "Prompts.h"
#include "frmMain.h"

// Helpers shared by the window's tests.
namespace plexifold::test {

/// The settings file of the user that the tests pretend to be.
QString settingsFilePath();
/// Removes every stored setting.
void clearSettings();
/// Stores `folder` as the last folder used, as an earlier run would have.
void storeFolder(const QString& folder);
/// The stored folder, read from the settings file directly; null when none.
QString storedFolder();

/// Creates empty files with the given names in `folder`.
void touchFiles(const QString& folder, const QStringList& names);
/// The number of pages libtiff finds in `path`, or -1 when it cannot open it.
int tiffPageCount(const QString& path);
/// The names the window's hidden file list holds.
QStringList listedNames(frmMain& window);
/// The names in `folder` that match "*_page_*", sorted.
QStringList pageFilesIn(const QString& folder);

// Stands in for the user in front of the window's modal questions.
class ScriptedPrompts {
public:
    struct Message {
        QMessageBox::Icon icon;
        QString text;
        QString txtPathWhileOpen; // what the folder box showed while the message was open
    };

    QStringList folders;                    // the picker's answers, in order; "" cancels
    QByteArrayList folderBytes;             // answers in bytes, given before `folders`
    QString pickerError;                    // when set, the picker fails with this
    QList<Message> messages;                // every message shown, in order
    QStringList pickerPrompts;              // the prompt of each picker call
    QWidget* pickerOwner = nullptr;         // the window the picker was shown over
    std::function<void()> whileMessageOpen; // runs while a message is open

    Prompts prompts();
};

// The window's controls, found by name.
struct Controls {
    explicit Controls(frmMain& window);
    QLineEdit* txtPath;
    QPushButton* cmdBrowse;
    QPushButton* cmdConvert;
    QProgressBar* ProgressBar1;
    QLabel* lblProgress;
};

} // namespace plexifold::test

// Like QTEST_MAIN, but first points the user's settings at a folder of its own,
// so that no test ever reads or writes the real ones.
#define PLEXIFOLD_TEST_MAIN(TestObject)                                                            \
    int main(int argc, char** argv) {                                                              \
        QTemporaryDir config;                                                                      \
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));                              \
        QApplication app(argc, argv);                                                              \
        QApplication::setApplicationName(QStringLiteral("Plexifold"));                             \
        TestObject test;                                                                           \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
