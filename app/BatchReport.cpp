#include "BatchReport.h"

namespace plexifold::app {
namespace {

// Beyond this many failures the box only counts the rest.
constexpr std::size_t kListedFailures = 10;

} // namespace

std::string BatchReport::messageText() const {
    std::string text = "Done!";
    if (failures.empty())
        return text;
    // Names and reasons are appended as they are, never read as a pattern.
    text += "\n\n" + std::to_string(failures.size()) + " of " + std::to_string(fileCount) +
            (fileCount == 1 ? " file" : " files") + " could not be split:";
    for (std::size_t i = 0; i < failures.size() && i < kListedFailures; ++i)
        text += "\n" + failures[i].name + ": " + failures[i].reason;
    if (failures.size() > kListedFailures)
        text += "\n\u2026 and " + std::to_string(failures.size() - kListedFailures) + " more";
    return text;
}

MessageIcon BatchReport::messageIcon() const {
    return failures.empty() ? MessageIcon::Information : MessageIcon::Warning;
}

} // namespace plexifold::app
