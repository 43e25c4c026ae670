#include "harness/json_object.h"

#include <gtest/gtest.h>

#include "harness/process.h"

namespace harness {
namespace {

// Prints name NUL value NUL for each member, the members of nested objects
// and arrays under their dotted paths ("items.0.name"), an array also under
// its own name with its length; fails on anything but valid JSON.
constexpr char kDecoder[] = R"(
import json, sys
class Members(list):
    pass
def members(pairs):
    names = [name for name, _ in pairs]
    if len(set(names)) != len(names):
        raise ValueError("duplicate names")
    return Members(pairs)
def refuse(constant):
    raise ValueError("not JSON: " + constant)
out = []
def put(name, value):
    if isinstance(value, bool):
        out.append((name, "b" + ("true" if value else "false")))
    elif isinstance(value, int):
        out.append((name, "n" + str(value)))
    elif isinstance(value, str):
        out.append((name, "s" + value))
    elif value is None:
        out.append((name, "null"))
    elif isinstance(value, Members):
        for member, inner in value:
            put(name + "." + member if name else member, inner)
    elif isinstance(value, list):
        out.append((name, "a" + str(len(value))))
        for index, inner in enumerate(value):
            put(name + "." + str(index), inner)
    else:
        raise ValueError("unexpected value for " + name)
top = json.loads(sys.stdin.buffer.read().decode("utf-8"), object_pairs_hook=members,
                 parse_constant=refuse)
if not isinstance(top, Members):
    raise ValueError("not an object")
put("", top)
sys.stdout.buffer.write(b"".join(n.encode("utf-8") + b"\0" + v.encode("utf-8") + b"\0"
                                 for n, v in out))
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
