#include <QApplication>

#include "AppIcon.h"
#include "frmMain.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Plexifold"));
    QApplication::setApplicationVersion(QStringLiteral(PLEXIFOLD_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("org.plexifold.Plexifold"));
    QApplication::setWindowIcon(plexifold::AppIcon());

    plexifold::frmMain window;
    if (!window.hasFailed())
        window.show();
    return QApplication::exec();
}
