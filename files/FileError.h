#pragma once

#include <stdexcept>
#include <string>

namespace plexifold::files {

// A failure of the system to open, read or write a file. what() names the file and the
// system's reason, such as "cannot write /scans/doc_page_1.tif: No space left on device".
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace plexifold::files
