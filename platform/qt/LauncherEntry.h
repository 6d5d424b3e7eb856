#pragma once

namespace plexifold {

/// Shows `share` (0 to 1) of a run on the program's entry in the desktop's launcher or dock,
/// through the launcher-entry signal on the session bus; `urgent` asks for the user's
/// attention. With `visible` false the share is taken away. Nothing happens where there
/// is no session bus or no one listens.
void ShowLauncherProgress(bool visible, double share, bool urgent);

} // namespace plexifold
