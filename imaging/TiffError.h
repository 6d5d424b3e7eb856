#pragma once

#include <stdexcept>
#include <string>

#include "FileError.h"

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

/// Runs `work`, the file layer's failures (FileError) becoming TiffError with their reason.
template <class Work> decltype(auto) withTiffErrors(Work&& work) {
    try {
        return work();
    } catch (const files::FileError& error) {
        throw TiffError(error.what());
    }
}

} // namespace plexifold::imaging
