#include "samples.h"

#include <cstdio>
#include <string>

namespace standin {
namespace {

Entry Song(const std::string& artist, const std::string& title, int seconds) {
  return Entry{artist + " - " + title, "C:\\Music\\" + artist + "\\" + title + ".mp3", seconds};
}

}  // namespace

std::vector<Entry> DemoSample() {
  return {
      Song("The Paper Lanterns", "Harbour Lights", 205),
      Song("Mina Okafor", "Slow Weather", 242),
      Song("Glasshouse Nine", "Copper Wire", 187),
      Song("The Velvet Tramlines", "Sunday Ferry", 311),
      Song("Orla Brennick", "Salt and Cedar", 226),
      Song("Kestrel Avenue", "Night Bus to Nowhere", 268),
      Song("Dmitri Valen Trio", "Blue Quarter", 402),
      Song("Lowland Static", "Antenna Song", 174),
      Song("Hollis and the Moths", "Porch Light", 233),
      Song("Yara Quell", "Northbound", 259),
      Song("Tin Orchard", "Little Engines", 198),
      Song("The Marigold Circuit", "Last Tram Home", 345),
  };
}

std::vector<Entry> HostileSample() {
  std::string long_title = "A Very Long Title:";
  while (long_title.size() < 1000) long_title += " and it goes on";
  return {
      {"Smith, Jones, and Co - Commas, Everywhere", "C:\\Music\\Smith, Jones\\Commas.mp3", 201},
      {"<script>alert(1)</script>", "C:\\Music\\<script>\\alert.mp3", 66},
      {"\"quotes\" & ampersands", "C:\\Music\\quotes & amps.mp3", 123},
      {"Caf\xe9 M\xfcller - \xdc"
       "ber die Stra\xdf"
       "e",
       "C:\\Music\\Caf\xe9 M\xfcller\\Stra\xdf"
       "e.mp3",
       180},
      {"\x93Smart quotes\x94 \x96 and a dash", "C:\\Music\\smart.mp3", 144},
      {long_title, "C:\\Music\\long.mp3", 3725},
      {"100% <b>bold</b> &amp; %s %n %d", "C:\\Music\\percent.mp3", 95},
      {"Unknown Length", "C:\\Music\\unknown.mp3", -1},
      {"#EXTINF:9,not a header", "C:\\Music\\hash.mp3", 9},
      {"Back\\slash 'single' `tick` {brace}", "C:\\Music\\slash.mp3", 0},
  };
}

std::vector<Entry> SyntheticEntries(std::size_t count) {
  std::vector<Entry> entries;
  entries.reserve(count);
  char title[64];
  char path[96];
  for (std::size_t i = 0; i < count; ++i) {
    const unsigned long number = static_cast<unsigned long>(i + 1);
    std::snprintf(title, sizeof title, "Artist %04lu - Title %04lu", number, number);
    std::snprintf(path, sizeof path, "C:\\Music\\Synthetic\\Artist %04lu\\Title %04lu.mp3", number,
                  number);
    entries.push_back(Entry{title, path, 90 + static_cast<int>((i * 7919) % 331)});
  }
  return entries;
}

Entry ExtraFileEntry(std::size_t number) {
  char title[64];
  std::snprintf(title, sizeof title, "File Only %04lu - Not In The Player",
                static_cast<unsigned long>(number));
  return Entry{title, std::string("C:\\Music\\File Only\\") + title + ".mp3", 100};
}

}  // namespace standin
