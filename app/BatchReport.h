#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "WindowView.h"

namespace plexifold::app {

struct FileFailure {
    std::string name;   // the file's name, without folder
    std::string reason; // why it could not be split
};

// How a batch run went: what the box at its end tells the user.
struct BatchReport {
    std::size_t fileCount = 0;
    std::vector<FileFailure> failures;
    bool stopped = false; // the run was asked to stop before its end

    /// "Done!", followed, when files failed, by how many and why.
    std::string messageText() const;
    /// Information when every file went through, warning otherwise.
    MessageIcon messageIcon() const;
};

} // namespace plexifold::app
