// Reading a JSON object the way a browser would, with Python's strict reader
// rather than one of our own, so "valid JSON" is judged independently.
#ifndef TUNARO_TESTS_PROCESS_HARNESS_JSON_OBJECT_H_
#define TUNARO_TESTS_PROCESS_HARNESS_JSON_OBJECT_H_

#include <map>
#include <optional>
#include <string>

namespace harness {

// The members of the one object that `text` holds, each value spelt with its
// kind first: "s" and the decoded text (UTF-8) for a string, "n" and the
// number for a number, "b" and true or false for a boolean, "null". A nested
// object's members are there under their dotted path ("page.from"), an
// array's elements under their index ("items.0.name"), and the array itself
// as "a" and its length. Nothing (and a test failure naming the reason) when
// the text is not exactly one valid JSON object, in UTF-8, without duplicate
// names.
std::optional<std::map<std::string, std::string>> DecodeJsonObject(const std::string& text);

// The spellings DecodeJsonObject gives values.
inline std::string JsonText(const std::string& text) { return "s" + text; }
inline std::string JsonNumber(long long number) { return "n" + std::to_string(number); }
inline std::string JsonBool(bool value) { return value ? "btrue" : "bfalse"; }
inline std::string JsonArray(std::size_t length) { return "a" + std::to_string(length); }
inline constexpr char kJsonNull[] = "null";

}  // namespace harness

#endif  // TUNARO_TESTS_PROCESS_HARNESS_JSON_OBJECT_H_
