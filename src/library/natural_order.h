// Names in the order people count them, for the library's listings.
#ifndef TUNARO_LIBRARY_NATURAL_ORDER_H_
#define TUNARO_LIBRARY_NATURAL_ORDER_H_

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "library/text_fold.h"

namespace tunaro {

// Below 0 when `a` comes first, above 0 when `b` does, 0 only for the same
// bytes. Runs of digits count by their value ("2" before "10"), the rest by
// character after FoldForFind (letter case and accents count for nothing);
// names that are the same so are put in the order of their bytes.
int CompareNaturally(std::string_view a, std::string_view b);

// The same on names folded beforehand: `folded_a` is FoldForFind(raw_a).
int CompareFoldedNaturally(std::string_view folded_a, std::string_view raw_a,
                           std::string_view folded_b, std::string_view raw_b);

// Sorts the items by their names (`name_of(item)`), folding each name once.
template <typename T, typename NameOf>
void SortNaturally(std::vector<T>& items, NameOf name_of) {
  std::vector<std::pair<std::string, std::size_t>> keys;
  keys.reserve(items.size());
  for (std::size_t i = 0; i < items.size(); ++i)
    keys.emplace_back(FoldForFind(name_of(items[i])), i);
  std::sort(keys.begin(), keys.end(), [&](const auto& x, const auto& y) {
    return CompareFoldedNaturally(x.first, name_of(items[x.second]), y.first,
                                  name_of(items[y.second])) < 0;
  });
  std::vector<T> sorted;
  sorted.reserve(items.size());
  for (const auto& key : keys) sorted.push_back(std::move(items[key.second]));
  items = std::move(sorted);
}

}  // namespace tunaro

#endif  // TUNARO_LIBRARY_NATURAL_ORDER_H_
