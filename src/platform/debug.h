#pragma once
// The program's debug lines. They are written to stderr when KAVRO_DEBUG=1 or
// --debug is given and dropped cheaply otherwise; tests can capture them.
#include <cstdarg>
#include <functional>
#include <string>

namespace kavro::dbg {

// Turns output on or off (the start-up code reads KAVRO_DEBUG and --debug).
void setEnabled(bool on);
bool enabled();

// Reads KAVRO_DEBUG from the environment; called once at start-up.
void initFromEnvironment();

// Writes one debug line exactly as given (no newline is added, as the
// system's own lines carry theirs where they have one).
void write(const std::string& text);
void printf(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// A capture receives every line written while it is installed, whether or not
// output to stderr is on. Installing an empty function removes it.
using Sink = std::function<void(const std::string&)>;
void setCapture(Sink sink);

// Start-up timing: milliseconds since the program was loaded, and a line
// "start-up <ms> ms: <stage>" that marks a stage as done (written like
// every debug line, so only with debug output or a capture on).
double sinceStartMs();
void stage(const char* name);

// Formats like printf into a std::string.
std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string vformat(const char* fmt, va_list ap);

}  // namespace kavro::dbg
