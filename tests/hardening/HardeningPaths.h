#pragma once

#include <string>

// Where the programs under test live, and how much memory they may take.
namespace plexifold::test {

inline const std::string kSplitBinary = PLEXIFOLD_SPLIT_BINARY;

/// The most resident memory the command-line program may use on any one file.
inline constexpr long kMemoryBoundKiB = 64 * 1024;

/// Sanitizers multiply memory use, so peak memory is only checked without them.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kMemoryIsMeasurable = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kMemoryIsMeasurable = false;
#else
inline constexpr bool kMemoryIsMeasurable = true;
#endif
#else
inline constexpr bool kMemoryIsMeasurable = true;
#endif

} // namespace plexifold::test
