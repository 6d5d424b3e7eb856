// Times the window's batch run on a folder: the window starts with FOLDER as the
// user's last folder, "&Execute" is clicked, and the clock stops when the closing
// message comes. Prints the seconds from the click to the message.
#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>
#include <QWindow>
#include <cstdio>

#include "SettingsStore.h"
#include "frmMain.h"

using namespace plexifold;

namespace {

// Waits until the window system shows the window, as a user would before clicking.
bool waitUntilExposed(QWidget& window) {
    QElapsedTimer waited;
    waited.start();
    while (!window.windowHandle()->isExposed() && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    QCoreApplication::processEvents();
    return window.windowHandle()->isExposed();
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Plexifold"));
    if (argc != 2) {
        std::fprintf(stderr, "usage: window_run FOLDER\n");
        return 2;
    }
    WriteRegistryString(RegistryRoot::CurrentUser, QString::fromUtf8(app::kSettingsKey),
                        QString::fromUtf8(app::kSettingsValue), QString::fromLocal8Bit(argv[1]));

    QElapsedTimer clock;
    double seconds = -1;
    QString message;
    Prompts prompts;
    prompts.browseForFolder = [](QWidget*, const QString&) { return QByteArray(); };
    prompts.showMessage = [&](QWidget*, QMessageBox::Icon, const QString& text) {
        seconds = double(clock.nsecsElapsed()) / 1e9;
        message = text;
        QTimer::singleShot(0, &app, &QApplication::quit);
    };
    frmMain window(prompts);
    window.show();
    auto* execute = window.findChild<QPushButton*>(QStringLiteral("cmdConvert"));
    if (!waitUntilExposed(window) || !execute || !execute->isEnabled()) {
        std::fprintf(stderr, "window_run: the window did not come up ready to split\n");
        return 1;
    }
    clock.start();
    execute->click();
    QApplication::exec();
    if (message != QStringLiteral("Done!")) {
        std::fprintf(stderr, "window_run: %s\n", qPrintable(message));
        return 1;
    }
    std::printf("%.6f\n", seconds);
    return 0;
}
