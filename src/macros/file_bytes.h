#pragma once
// Whole-file byte copies for macro import and export: the bytes are moved
// unchanged, and the target is replaced atomically so a failed copy never
// leaves a half-written file.
#include <cstddef>
#include <optional>
#include <string>

namespace kavro::macros {

// The file's bytes (possibly none), or nothing when it is missing, not a
// regular file, unreadable or larger than maxBytes.
std::optional<std::string> readFileBytes(const std::string& path, std::size_t maxBytes);

// Replaces the file at path with bytes (temporary file beside it, flush,
// rename). Returns false, leaving any old file intact, when that fails.
bool writeFileBytes(const std::string& path, const std::string& bytes);

namespace testing {
// Makes the next byte writes fail before anything is renamed into place.
void setByteWriteFailure(bool fail);
}  // namespace testing

}  // namespace kavro::macros
