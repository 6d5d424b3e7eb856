#pragma once

#include <stdexcept>
#include <string>

namespace plexifold::imaging {

// A failure to read or write a TIFF file. what() is a reason a user can act on,
// such as "page 5: strip 3 lies past the end of the file".
class TiffError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The page in work was given up because a stop was asked for; nothing of it is left.
class StopRequested : public TiffError {
public:
    using TiffError::TiffError;
};

} // namespace plexifold::imaging
