#include "harness/json_object.h"

#include <gtest/gtest.h>

#include "harness/process.h"

namespace harness {
namespace {

// Prints name NUL value NUL for each member; fails on anything but a flat
// object of strings, numbers and booleans.
constexpr char kDecoder[] = R"(
import json, sys
def members(pairs):
    names = [name for name, _ in pairs]
    if len(set(names)) != len(names):
        raise ValueError("duplicate names")
    return pairs
def refuse(constant):
    raise ValueError("not JSON: " + constant)
pairs = json.loads(sys.stdin.buffer.read().decode("utf-8"), object_pairs_hook=members,
                   parse_constant=refuse)
if not isinstance(pairs, list):
    raise ValueError("not an object")
out = b""
for name, value in pairs:
    if isinstance(value, bool):
        text = "b" + ("true" if value else "false")
    elif isinstance(value, int):
        text = "n" + str(value)
    elif isinstance(value, str):
        text = "s" + value
    else:
        raise ValueError("unexpected value for " + name)
    out += name.encode("utf-8") + b"\0" + text.encode("utf-8") + b"\0"
sys.stdout.buffer.write(out)
)";

}  // namespace

std::optional<std::map<std::string, std::string>> DecodeJsonObject(const std::string& text) {
  ProcessOptions options;
  options.argv = {FindOnPath("python3"), "-c", kDecoder};
  options.environment = InheritedEnvironment();
  options.input_pieces = {text};
  options.timeout = std::chrono::seconds(20);
  const ProcessResult result = RunProcess(options);
  if (result.exit_code != 0) {
    ADD_FAILURE() << "not a valid JSON object: " << text << "\n" << result.errors;
    return std::nullopt;
  }
  std::map<std::string, std::string> members;
  std::size_t start = 0;
  while (start < result.output.size()) {
    const std::size_t name_end = result.output.find('\0', start);
    const std::size_t value_end = result.output.find('\0', name_end + 1);
    members[result.output.substr(start, name_end - start)] =
        result.output.substr(name_end + 1, value_end - name_end - 1);
    start = value_end + 1;
  }
  return members;
}

}  // namespace harness
