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

// Temporary files of a save are named path + kTemporaryInfix + six letters or
// digits; the writer holds an exclusive flock on the file while it exists.
inline constexpr char kTemporaryInfix[] = ".tmp-";
inline constexpr std::size_t kTemporarySuffixLength = 6;

// Writes bytes to a fresh temporary file beside path, flushes it to disk and
// renames it over path, so a failure never leaves a truncated file. Returns
// 0, or the errno of the step that failed (the old file is then untouched).
int replaceFileAtomically(const std::string& path, const std::string& text);

// Returns the bytes of the file at path, or an empty string when it cannot be
// read whole (missing, unreadable, larger than kMaxJsonFileBytes).
std::string readjsonFile(const std::string& path);

// Why a file gave no bytes. A file that is not a regular file (folder, FIFO,
// device) is never opened; a symbolic link loop is reported, not followed.
enum class FileState {
  Ok,          // bytes read whole
  Missing,     // no file at path
  Unreadable,  // there is something at path that cannot be opened or read
  NotRegular,  // a folder, FIFO, socket or device
  TooLarge,    // larger than the caller's limit; refused before reading
  Empty,       // a regular file without bytes
};
struct FileRead {
  FileState state = FileState::Missing;
  int error = 0;      // errno of the failing step, when there was one
  std::string bytes;  // the whole file when state is Ok
};
FileRead readFileChecked(const std::string& path, std::size_t maxBytes = kMaxJsonFileBytes);

// A document read with the reason it is unusable, if it is.
enum class DocumentState {
  Ok,        // parsed (the value may still have an unexpected shape)
  Missing,   // no file: nothing to keep
  Unusable,  // a file is there but gives no document: never overwrite it unkept
};
struct DocumentRead {
  DocumentState state = DocumentState::Missing;
  FileRead file;
  Json::Value document;  // null unless state is Ok
};
DocumentRead readJsonDocumentChecked(const std::string& path, std::size_t maxBytes = kMaxJsonFileBytes);

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
// Ends the process at once, as a kill would, at its n-th file replacement
// from now: before the rename or right after it. For tests that run the
// writes in a child process; n = 0 switches it off.
inline constexpr int kCrashExitCode = 86;
void crashAtWrite(int n, bool afterRename);
}  // namespace testing

}  // namespace kavro::profiles
