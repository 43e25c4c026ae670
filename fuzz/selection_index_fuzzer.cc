// The list box choice ("3. Some Title") that names the entry to play.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "base/run_error.h"
#include "base/text_rules.h"
#include "cgi/read_request.h"
#include "fuzz_input.h"

namespace {

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// Blanks around, an optional sign, blanks, then nothing but digits.
bool IsPlainNumber(std::string_view text) {
  text = Trimmed(text);
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    text = Trimmed(text.substr(1));
  }
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view selection(reinterpret_cast<const char*>(data), size);
  const std::size_t dot = selection.find('.');

  // What the list box writes reads back as the position and title it wrote.
  if (size >= 4) {
    std::int32_t k;
    std::memcpy(&k, data, sizeof k);
    const std::string written =
        tunaro::DecimalText(static_cast<std::int64_t>(k) + 1) + ". " + std::string(selection);
    const tunaro::EntryChoice choice = tunaro::ReadEntryChoice(written);
    FUZZ_CHECK(choice.fault == 0 && choice.index == k);
    const bool blank = selection.find_first_not_of(" \t\r\n\f") == std::string_view::npos;
    FUZZ_CHECK(choice.title.has_value() == !blank);
    if (choice.title) FUZZ_CHECK(*choice.title == selection);
  }

  const tunaro::EntryChoice choice = tunaro::ReadEntryChoice(selection);
  if (choice.fault == tunaro::error_number::kTypeMismatch) {
    FUZZ_CHECK(dot == std::string_view::npos || !IsPlainNumber(selection.substr(0, dot)));
  } else if (choice.fault != 0) {
    FUZZ_CHECK(choice.fault == tunaro::error_number::kOverflow);
    FUZZ_CHECK(IsPlainNumber(selection.substr(0, dot)));
  }
  if (choice.fault != 0) {
    FUZZ_CHECK(!choice.title.has_value());
    return 0;
  }
  FUZZ_CHECK(dot != std::string_view::npos);
  FUZZ_CHECK(IsPlainNumber(selection.substr(0, dot)));
  // The title after the dot has no say.
  FUZZ_CHECK(tunaro::ReadEntryChoice(selection.substr(0, dot + 1)).index == choice.index);
  FUZZ_CHECK(tunaro::ReadEntryChoice(std::string(selection.substr(0, dot + 1)) + "9. x").index ==
             choice.index);
  return 0;
}
