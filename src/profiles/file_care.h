#pragma once
// Care of the files in the user's data folders: a copy is kept of a file that
// cannot be used before anything replaces it, and the temporary files that
// interrupted saves leave behind are removed.
#include <string>
#include <string_view>

namespace kavro::profiles {

inline constexpr char kDamagedSuffix[] = ".damaged";
// Copies kept of one file: ".damaged", ".damaged-2" ... ".damaged-9". When
// all are taken the last one is replaced, so repeated damage cannot fill the
// folder.
inline constexpr int kMaxDamagedCopies = 9;
// Temporaries younger than this are left alone even when no save holds their
// lock: a save takes well under a second, so an older one belongs to no save
// still running.
inline constexpr int kStaleTemporaryAgeSeconds = 120;

// The name of the n-th copy (n from 1) kept of path.
std::string damagedCopyName(const std::string& path, int n);

// Keeps what is at path before it is replaced. With the bytes read from it a
// copy of those bytes is written; without them (the file could not be read:
// permissions, a FIFO, a link loop, too large) the file itself is renamed,
// which needs no reading. Returns the copy's path, empty when nothing could
// be kept (the caller must then leave path alone).
std::string keepDamagedCopy(const std::string& path, const std::string& bytes);

// True for the name our saves give their temporaries: a file name followed
// by ".tmp-" and six letters or digits.
bool isTemporaryFileName(std::string_view name);

// Removes from folder (not its sub-folders) the temporaries of our naming
// that are regular files, older than minAgeSeconds and not locked by a save
// in progress. Links are never followed. Returns how many were removed.
int removeStaleTemporaries(const std::string& folder, int minAgeSeconds = kStaleTemporaryAgeSeconds);

}  // namespace kavro::profiles
