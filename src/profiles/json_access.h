#pragma once
// Access to JSON values read from files without trusting their shape.
//
// JsonCpp throws (Json::LogicError) when a value is used as a type it does not
// have, e.g. asInt() on an object or operator[] on a string. Every read of
// file content goes through these helpers instead, so a wrong type reads as
// the usual fallback (0, false, "", null) and writes turn a wrong-typed slot
// into the expected container.
#include <cstdint>
#include <string>

#include <json/json.h>

namespace kavro::profiles::json {

// Array positions the program is willing to write. Indices taken from file
// content are checked against this before they create array elements.
inline constexpr Json::ArrayIndex kMaxWriteIndex = 4096;

// The member key of an object, or a null value for anything else.
const Json::Value& member(const Json::Value& v, const char* key);
// Element i of an array, or a null value for anything else.
const Json::Value& element(const Json::Value& v, Json::ArrayIndex i);
// Number of elements when v is an array, else 0.
Json::ArrayIndex arraySize(const Json::Value& v);
// True when v is an object holding key with a non-null value.
bool has(const Json::Value& v, const char* key);

// Numbers read as integers; booleans as 0/1; everything else as 0. Values
// outside the 64-bit range and non-finite reals read as 0.
std::int64_t toInt64(const Json::Value& v);
int toInt(const Json::Value& v);  // saturated to the int range
std::uint32_t toUInt32(const Json::Value& v);  // low 32 bits
std::uint16_t toUInt16(const Json::Value& v);  // low 16 bits
std::uint8_t toByte(const Json::Value& v);     // low 8 bits
// Non-zero numbers and true read as true.
bool toBool(const Json::Value& v);
// Strings read as valid UTF-8 (bad sequences become U+FFFD); others as "".
std::string toString(const Json::Value& v);

// Replaces every invalid UTF-8 sequence of text with U+FFFD.
std::string sanitizeUtf8(const std::string& text);

// The member slot key of v, turning v into an object first if it is not one.
Json::Value& slot(Json::Value& v, const char* key);
// The element slot i of v, turning v into an array first if it is not one.
Json::Value& slot(Json::Value& v, Json::ArrayIndex i);

}  // namespace kavro::profiles::json
