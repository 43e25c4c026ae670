// The paths a request names in the music folders, the check that a path lies
// inside a folder, and the fold and order of names.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_input.h"
#include "library/confinement.h"
#include "library/library_path.h"
#include "library/music_folders.h"
#include "library/natural_order.h"
#include "library/text_fold.h"
#include "library/utf8_text.h"

namespace {

// A path the rules let through names only what it says, under its folder.
void CheckAccepted(std::string_view text, const tunaro::LibraryPath& path) {
  FUZZ_CHECK(tunaro::LibraryPathText(path) == text);
  FUZZ_CHECK(path.folder < 9999);
  std::string joined = "C:\\Music";
  for (const std::string& name : path.names) {
    FUZZ_CHECK(!name.empty() && name != ".." && name.back() != '.' && name.back() != ' ');
    FUZZ_CHECK(name.find_first_of("\\/:*?\"<>|") == std::string::npos);
    FUZZ_CHECK(tunaro::CheckName(name) == tunaro::PathFault::kNone);
    for (char c : name) FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);
    joined = tunaro::JoinPath(joined, name);
  }
  FUZZ_CHECK(tunaro::IsValidUtf8(text));
  FUZZ_CHECK(tunaro::IsInsideFolder(joined, "C:\\Music"));
  FUZZ_CHECK(tunaro::IsInsideFolder("\\\\?\\" + joined, "c:\\music\\"));
  FUZZ_CHECK(!tunaro::IsInsideFolder(joined, "C:\\Mus"));
}

// Whether a path (its "\\?\" taken off) has a "." or ".." name.
bool HasDotName(const std::string& path) {
  const std::string plain = tunaro::WithoutVerbatimPrefix(path);
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = plain.find_first_of("\\/", start);
    const std::string name = plain.substr(start, end - start);
    if (name == "." || name == "..") return true;
    if (end == std::string::npos) return false;
    start = end + 1;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string_view> fields = tunaro_fuzz::SplitFields(data, size, 2);
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  const tunaro::PathReading reading = tunaro::ReadLibraryPath(text);
  if (reading.fault == tunaro::PathFault::kNone) {
    CheckAccepted(text, reading.path);
  } else {
    FUZZ_CHECK(reading.path.names.empty());
    FUZZ_CHECK(!tunaro::PathFaultText(reading.fault).empty());
  }

  // A path with a "." or ".." name is inside nothing, nor anything inside it;
  // a path inside another holds itself.
  const std::string a(fields[0]);
  const std::string b(fields[1]);
  const bool inside = tunaro::IsInsideFolder(a, b);
  if (inside) FUZZ_CHECK(!HasDotName(a) && !HasDotName(b) && tunaro::IsInsideFolder(a, a));

  // The fold gives UTF-8, and ASCII only its lowercase.
  const std::string folded = tunaro::FoldForFind(text);
  FUZZ_CHECK(tunaro::IsValidUtf8(folded));
  if (tunaro::IsValidUtf8(text)) FUZZ_CHECK(tunaro::SameIgnoringCase(tunaro::UpperKey(text), text));

  // Natural order: only the same bytes are equal, and it is the same either
  // way round.
  const int forth = tunaro::CompareNaturally(fields[0], fields[1]);
  const int back = tunaro::CompareNaturally(fields[1], fields[0]);
  FUZZ_CHECK((forth == 0) == (fields[0] == fields[1]));
  FUZZ_CHECK((forth < 0) == (back > 0));
  return 0;
}
