#include "samples.h"

#include <cstdio>
#include <string>

#include "text_encoding.h"

namespace standin {
namespace {

Entry Song(const std::string& artist, const std::string& title, int seconds) {
  return Entry{artist + " - " + title, "C:\\Music\\" + artist + "\\" + title + ".mp3", seconds};
}

// A song whose names are written in UTF-8; the ANSI code page keeps what it
// can of them.
Entry WorldSong(const std::string& artist, const std::string& title, int seconds) {
  Entry entry = Song(artist, title, seconds);
  entry.utf8_title = entry.title;
  entry.utf8_path = entry.path;
  entry.title = Utf8ToAnsi(entry.utf8_title);
  entry.path = Utf8ToAnsi(entry.utf8_path);
  return entry;
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
      WorldSong(u8"\u0417\u0435\u043c\u0444\u0438\u0440\u0430",               // Земфира
                u8"\u0422\u0438\u0445\u0438\u0439 \u0447\u0430\u0441", 231),  // Тихий час
      WorldSong(u8"\u0395\u03bb\u03ad\u03bd\u03b7",                           // Ελένη
                u8"\u0398\u03ac\u03bb\u03b1\u03c3\u03c3\u03b1", 204),         // Θάλασσα
      WorldSong(u8"\u5c0f\u6797\u3055\u304f\u3089",                           // 小林さくら
                u8"\u8868\u793a\u30bd\u30ca\u30bf", 276),                     // 表示ソナタ
      WorldSong(u8"Zofia \u0141ukasiewicz", u8"Je\u017c\u00f3w ko\u0142o \u017ar\u00f3d\u0142a",
                193),
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

}  // namespace standin
