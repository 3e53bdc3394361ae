#pragma once
// Whole-file JSON helpers used by every data file of the program.
//
// Files are UTF-8. Reading never throws: a missing, empty, oversized, damaged
// or too deeply nested file reads as a null document. Writing replaces the
// file atomically (temporary file in the same folder, flush, fsync, rename),
// so a failed write leaves the previous file as it was.
#include <cstddef>
#include <string>

#include <json/json.h>

namespace kavro::profiles {

// Files larger than this are refused as damaged; no data file comes close.
inline constexpr std::size_t kMaxJsonFileBytes = 16u * 1024u * 1024u;
// Deepest nesting the reader accepts; deeper input is treated as damaged.
inline constexpr unsigned kMaxJsonNesting = 200;

// Returns the bytes of the file at path, or an empty string when it cannot be
// read whole (missing, unreadable, larger than kMaxJsonFileBytes).
// Writes bytes to a fresh temporary file beside path, flushes it to disk and
// renames it over path, so a failure never leaves a truncated file. Returns
// 0, or the errno of the step that failed (the old file is then untouched).
int replaceFileAtomically(const std::string& path, const std::string& text);

std::string readjsonFile(const std::string& path);

// Parses JSON text (comments allowed). Damaged or hostile text gives a null
// value; never throws.
Json::Value parseJsonText(const std::string& text);

// Reads and parses the document at path; null when missing or damaged.
Json::Value readJsonDocument(const std::string& path);

// The indented text the files are written in, ending in one newline.
std::string styledJsonText(const Json::Value& document);

// Writes the document to path. Returns 0 on success and 1 when the file could
// not be written; in that case the old file, if any, is left intact.
int wirtejsonFile(const std::string& path, const Json::Value& document);

namespace testing {
// Lets tests make the next writes fail at a chosen step.
enum class WriteFault { None, Create, Write, Sync, Rename };
void setWriteFault(WriteFault fault);
}  // namespace testing

}  // namespace kavro::profiles
