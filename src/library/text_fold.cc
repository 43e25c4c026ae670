#include "library/text_fold.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <vector>

#include "library/utf8_text.h"

namespace tunaro {
namespace {

struct FoldEntry {
  char32_t code;
  std::uint16_t offset;
  std::uint8_t length;
};
struct CodePair {
  char16_t from;
  char16_t to;
};
struct CodeRange {
  char32_t first;
  char32_t last;
};
struct MarkRange {
  char32_t first;
  char32_t last;
  std::uint8_t combining_class;
};

#include "library/text_fold_tables.inc"

constexpr char32_t kCapitalSigma = 0x3A3;
constexpr char32_t kSmallSigma = 0x3C3;
constexpr char32_t kFinalSigma = 0x3C2;
constexpr char32_t kGraphemeJoiner = 0x34F;  // a starter: marks never move across it
// Stands for the joiner while the marks are put in order, then goes.
constexpr char32_t kBoundary = 0xFFFFFFFF;
constexpr char32_t kHangulFirst = 0xAC00;
constexpr char32_t kHangulLast = 0xD7A3;

template <typename Range, std::size_t n>
const Range* FindRange(const Range (&ranges)[n], char32_t c) {
  const Range* end = ranges + n;
  const Range* found =
      std::upper_bound(ranges, end, c, [](char32_t v, const Range& r) { return v < r.first; });
  if (found == ranges) return nullptr;
  --found;
  return c <= found->last ? found : nullptr;
}

bool IsCased(char32_t c) { return FindRange(kCased, c) != nullptr; }
bool IsCaseIgnorable(char32_t c) { return FindRange(kCaseIgnorable, c) != nullptr; }

int CombiningClass(char32_t c) {
  const MarkRange* range = FindRange(kMarks, c);
  return range == nullptr ? 0 : range->combining_class;
}

// Whether a cased letter comes first when the case-ignorable characters
// around it are skipped (the first that is not one decides).
bool CasedBefore(const std::u32string& text, std::size_t i) {
  while (i > 0) {
    const char32_t c = text[--i];
    if (!IsCaseIgnorable(c)) return IsCased(c);
  }
  return false;
}
bool CasedAfter(const std::u32string& text, std::size_t i) {
  while (++i < text.size()) {
    const char32_t c = text[i];
    if (!IsCaseIgnorable(c)) return IsCased(c);
  }
  return false;
}

// A Hangul syllable as its two or three jamo, as NFD takes it apart.
void AppendHangul(std::u32string& out, char32_t c) {
  const char32_t index = c - kHangulFirst;
  out += static_cast<char32_t>(0x1100 + index / 588);
  out += static_cast<char32_t>(0x1161 + (index % 588) / 28);
  if (index % 28 != 0) out += static_cast<char32_t>(0x11A7 + index % 28);
}

void AppendFold(std::u32string& out, char32_t c) {
  const FoldEntry* end = std::end(kFolds);
  const FoldEntry* found = std::lower_bound(
      std::begin(kFolds), end, c, [](const FoldEntry& e, char32_t v) { return e.code < v; });
  if (found == end || found->code != c) {
    out += c;
    return;
  }
  out.append(kFoldPool + found->offset, found->length);
}

// The canonical order: in each run of marks that are not starters, by their
// combining class, keeping the order of equals.
void OrderMarks(std::u32string& text) {
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == kBoundary || CombiningClass(text[i]) == 0) {
      ++i;
      continue;
    }
    std::size_t end = i + 1;
    while (end < text.size() && text[end] != kBoundary && CombiningClass(text[end]) != 0) ++end;
    if (end - i > 1) {
      std::stable_sort(text.begin() + i, text.begin() + end, [](char32_t a, char32_t b) {
        return CombiningClass(a) < CombiningClass(b);
      });
    }
    i = end;
  }
}

}  // namespace

std::string FoldForFind(std::string_view utf8) {
  const bool ascii = std::all_of(utf8.begin(), utf8.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (ascii) {
    std::string lower(utf8);
    for (char& c : lower) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
  }
  std::u32string text;
  for (std::size_t pos = 0; pos < utf8.size();) {
    const DecodedCharacter c = DecodeUtf8(utf8, pos);
    text += c.code_point;
    pos += c.length;
  }
  std::u32string folded;
  folded.reserve(text.size() + text.size() / 4);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char32_t c = text[i];
    if (c == kCapitalSigma) {
      folded += CasedBefore(text, i) && !CasedAfter(text, i) ? kFinalSigma : kSmallSigma;
    } else if (c >= kHangulFirst && c <= kHangulLast) {
      AppendHangul(folded, c);
    } else if (c == kGraphemeJoiner) {
      folded += kBoundary;
    } else {
      AppendFold(folded, c);
    }
  }
  OrderMarks(folded);
  std::string out;
  out.reserve(utf8.size());
  for (char32_t c : folded) {
    if (c != kBoundary) AppendUtf8(out, c);
  }
  return out;
}

char32_t SimpleUpper(char32_t c) {
  if (c >= 0x10000) return c;
  const CodePair* end = std::end(kUpper);
  const CodePair* found = std::lower_bound(
      std::begin(kUpper), end, c, [](const CodePair& p, char32_t v) { return p.from < v; });
  return found != end && found->from == c ? found->to : c;
}

std::string UpperKey(std::string_view utf8) {
  std::string key;
  key.reserve(utf8.size());
  for (std::size_t pos = 0; pos < utf8.size();) {
    const DecodedCharacter c = DecodeUtf8(utf8, pos);
    if (c.valid) {
      AppendUtf8(key, SimpleUpper(c.code_point));
    } else {
      key += utf8[pos];
    }
    pos += c.length;
  }
  return key;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    const DecodedCharacter x = DecodeUtf8(a, i);
    const DecodedCharacter y = DecodeUtf8(b, j);
    if (x.valid != y.valid) return false;
    if (x.valid ? SimpleUpper(x.code_point) != SimpleUpper(y.code_point) : a[i] != b[j]) {
      return false;
    }
    i += x.length;
    j += y.length;
  }
  return i == a.size() && j == b.size();
}

}  // namespace tunaro
