// What every fuzz target shares: a check that fails loudly in any build type,
// and the splitting of one input into the separate texts a run reads.
//
// Fields are separated by NUL bytes so that seeds stay readable text; the last
// field takes the rest of the input, NULs included, and missing fields are
// empty. Small settings ("knobs") come as decimal words in one field.
#ifndef TUNARO_FUZZ_FUZZ_INPUT_H_
#define TUNARO_FUZZ_FUZZ_INPUT_H_

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace tunaro_fuzz {

[[noreturn]] inline void Fail(const char* condition, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
  std::abort();
}

// assert() would vanish under NDEBUG (the fuzz preset is RelWithDebInfo).
#define FUZZ_CHECK(condition) \
  ((condition) ? static_cast<void>(0) : ::tunaro_fuzz::Fail(#condition, __FILE__, __LINE__))

inline std::vector<std::string_view> SplitFields(const std::uint8_t* data, std::size_t size,
                                                 std::size_t count) {
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  std::vector<std::string_view> fields;
  while (fields.size() + 1 < count) {
    const std::size_t nul = rest.find('\0');
    if (nul == std::string_view::npos) break;
    fields.push_back(rest.substr(0, nul));
    rest.remove_prefix(nul + 1);
  }
  fields.push_back(rest);
  fields.resize(count);
  return fields;
}

// The decimal words of a field; a word that is no number counts 0, and
// numbers beyond 64 bits stop at the nearest end.
class Knobs {
 public:
  explicit Knobs(std::string_view field) {
    std::size_t pos = 0;
    while (pos < field.size()) {
      const std::size_t end = std::min(field.find(' ', pos), field.size());
      const std::string word(field.substr(pos, end - pos));
      if (!word.empty()) values_.push_back(std::strtoll(word.c_str(), nullptr, 10));
      pos = end + 1;
    }
  }
  std::int64_t Get(std::size_t i, std::int64_t absent = 0) const {
    return i < values_.size() ? values_[i] : absent;
  }
  std::int32_t Int32(std::size_t i, std::int32_t absent = 0) const {
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(Get(i, absent), INT32_MIN, INT32_MAX));
  }

 private:
  std::vector<std::int64_t> values_;
};

// The LF-ended lines of a playlist text with their CRs taken out, as the
// player's file is read; text after the last LF is no line.
inline std::vector<std::string> PlaylistLines(std::string_view content) {
  std::vector<std::string> lines;
  std::string line;
  for (char c : content) {
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
    } else if (c != '\r') {
      line.push_back(c);
    }
  }
  return lines;
}

inline bool EndsWith(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

// The entries of a playlist text: each line that is not blank and does not
// start with "#" is a file line, and the last "#EXTINF:" line since the entry
// before it, if any, is its information line.
struct Entry {
  bool has_info = false;
  std::string info;
  std::string file;
};
inline std::vector<Entry> PlaylistEntries(std::string_view content) {
  std::vector<Entry> entries;
  Entry pending;
  for (const std::string& line : PlaylistLines(content)) {
    if (line.rfind("#EXTINF:", 0) == 0) {
      pending.has_info = true;
      pending.info = line;
    } else if (line.find_first_not_of(" \t") != std::string::npos && line[0] != '#') {
      pending.file = line;
      entries.push_back(pending);
      pending = Entry{};
    }
  }
  return entries;
}

inline std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

}  // namespace tunaro_fuzz

#endif  // TUNARO_FUZZ_FUZZ_INPUT_H_
