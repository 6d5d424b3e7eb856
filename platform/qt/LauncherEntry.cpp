#include "LauncherEntry.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>

namespace plexifold {

void ShowLauncherProgress(bool visible, double share, bool urgent) {
    QDBusMessage update = QDBusMessage::createSignal(
        QStringLiteral("/org/plexifold/Plexifold"),
        QStringLiteral("com.canonical.Unity.LauncherEntry"), QStringLiteral("Update"));
    // The launcher finds the program by its desktop file's name.
    update << QStringLiteral("application://org.plexifold.Plexifold.desktop")
           << QVariantMap{{QStringLiteral("progress"), share},
                          {QStringLiteral("progress-visible"), visible},
                          {QStringLiteral("urgent"), urgent}};
    QDBusConnection::sessionBus().send(update);
}

} // namespace plexifold
