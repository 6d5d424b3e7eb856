#include "AppIcon.h"

namespace plexifold {

QIcon AppIcon() {
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/plexifold-16.png"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/icons/plexifold-32.png"), QSize(32, 32));
    return icon;
}

} // namespace plexifold
