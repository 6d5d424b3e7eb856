#pragma once

#include <QIcon>

namespace plexifold {

/// The program's icon in 16 x 16 and 32 x 32 pixels.
QIcon AppIcon();

} // namespace plexifold
