// Small audio files with a picture in their tags, made byte by byte for the
// tests: an ID3v2.3 APIC frame before an MPEG frame, a FLAC PICTURE block, an
// MP4 "covr" item, and Ogg Vorbis and Opus comments holding a
// METADATA_BLOCK_PICTURE. Only what TagLib needs to find the picture is
// there; no audio plays.
#ifndef TUNARO_TESTS_UNIT_TAGGED_FILES_H_
#define TUNARO_TESTS_UNIT_TAGGED_FILES_H_

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace tunaro::tagged_files {

inline std::string BigEndian(std::uint32_t value, int bytes = 4) {
  std::string out;
  for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8)
    out += static_cast<char>(value >> shift);
  return out;
}

inline std::string LittleEndian(std::uint32_t value) {
  std::string out;
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>(value >> shift);
  return out;
}

// A few bytes that ImageMediaType takes for a JPEG, different for each mark.
inline std::string Jpeg(char mark) { return std::string("\xFF\xD8\xFF\xE0", 4) + "JFIF" + mark; }

// The picture types the tags use: 3 is the front cover, 0 "other".
constexpr int kFrontCover = 3;
constexpr int kOtherPicture = 0;

struct Picture {
  int type;
  std::string bytes;
};

inline std::string Mp3(const std::vector<Picture>& pictures) {
  std::string frames;
  for (const Picture& picture : pictures) {
    std::string body = std::string("\0image/jpeg\0", 12) + static_cast<char>(picture.type);
    body += std::string("\0", 1) + picture.bytes;
    frames +=
        "APIC" + BigEndian(static_cast<std::uint32_t>(body.size())) + std::string(2, '\0') + body;
  }
  // The tag's size in four bytes of seven bits each.
  const auto size = static_cast<std::uint32_t>(frames.size());
  std::string header = std::string("ID3\x03\0\0", 6);
  for (int shift = 21; shift >= 0; shift -= 7) header += static_cast<char>((size >> shift) & 0x7F);
  // One MPEG-1 Layer III frame header and silence.
  return header + frames + std::string("\xFF\xFB\x90\x64", 4) + std::string(413, '\0');
}

// A FLAC PICTURE block's body, as FLAC and Vorbis comments both hold it.
inline std::string FlacPicture(const Picture& picture) {
  return BigEndian(picture.type) + BigEndian(10) + "image/jpeg" + BigEndian(0) + BigEndian(1) +
         BigEndian(1) + BigEndian(24) + BigEndian(0) +
         BigEndian(static_cast<std::uint32_t>(picture.bytes.size())) + picture.bytes;
}

inline std::string Flac(const std::vector<Picture>& pictures) {
  std::string file = "fLaC";
  // STREAMINFO: block sizes 4096, 44.1 kHz, 2 channels, 16 bits.
  std::string info = BigEndian(4096, 2) + BigEndian(4096, 2) + std::string(6, '\0') +
                     std::string("\x0A\xC4\x42\xF0", 4) + std::string(4, '\0') +
                     std::string(16, '\0');
  file += std::string(pictures.empty() ? "\x80" : "\x00", 1) + BigEndian(34, 3) + info;
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    const std::string body = FlacPicture(pictures[i]);
    const char type = static_cast<char>(6 | (i + 1 == pictures.size() ? 0x80 : 0));
    file += std::string(1, type) + BigEndian(static_cast<std::uint32_t>(body.size()), 3) + body;
  }
  return file + std::string("\xFF\xF8", 2) + std::string(64, '\0');
}

inline std::string Atom(const std::string& name, const std::string& body) {
  return BigEndian(static_cast<std::uint32_t>(body.size() + 8)) + name + body;
}

inline std::string M4a(const std::vector<std::string>& covers) {
  std::string data;
  // Type 13: JPEG.
  for (const std::string& cover : covers)
    data += Atom("data", BigEndian(13) + BigEndian(0) + cover);
  const std::string meta =
      Atom("meta", std::string(4, '\0') +
                       Atom("hdlr", std::string(8, '\0') + "mdirappl" + std::string(13, '\0')) +
                       Atom("ilst", Atom("covr", data)));
  return Atom("ftyp", "M4A " + BigEndian(0) + "M4A isom") + Atom("moov", Atom("udta", meta)) +
         Atom("mdat", std::string(16, '\0'));
}

inline std::string Base64(const std::string& bytes) {
  static constexpr char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t have = std::min<std::size_t>(3, bytes.size() - i);
    std::uint32_t group = 0;
    for (std::size_t k = 0; k < 3; ++k) {
      group = group << 8 | (k < have ? static_cast<unsigned char>(bytes[i + k]) : 0);
    }
    for (std::size_t k = 0; k < 4; ++k)
      out += k <= have ? kDigits[(group >> (18 - 6 * k)) & 63] : '=';
  }
  return out;
}

inline std::uint32_t OggCrc(const std::string& page) {
  std::uint32_t crc = 0;
  for (char c : page) {
    crc ^= static_cast<std::uint32_t>(static_cast<unsigned char>(c)) << 24;
    for (int bit = 0; bit < 8; ++bit) crc = crc & 0x80000000 ? (crc << 1) ^ 0x04C11DB7 : crc << 1;
  }
  return crc;
}

// One packet in one page (it must stay under 255 lacing values).
inline std::string OggPage(const std::string& packet, std::uint32_t sequence, char flags) {
  std::string lacing(packet.size() / 255, '\xFF');
  lacing += static_cast<char>(packet.size() % 255);
  std::string page = std::string("OggS\0", 5) + flags + std::string(8, '\0') + LittleEndian(1) +
                     LittleEndian(sequence) + std::string(4, '\0') +
                     static_cast<char>(lacing.size()) + lacing + packet;
  const std::string crc = LittleEndian(OggCrc(page));
  page.replace(22, 4, crc);
  return page;
}

inline std::string Comments(const std::vector<Picture>& pictures) {
  std::string body =
      LittleEndian(6) + "tunaro" + LittleEndian(static_cast<std::uint32_t>(pictures.size()));
  for (const Picture& picture : pictures) {
    const std::string field = "METADATA_BLOCK_PICTURE=" + Base64(FlacPicture(picture));
    body += LittleEndian(static_cast<std::uint32_t>(field.size())) + field;
  }
  return body;
}

inline std::string OggVorbis(const std::vector<Picture>& pictures) {
  const std::string identification = std::string("\x01vorbis", 7) + LittleEndian(0) + '\x02' +
                                     LittleEndian(44100) + LittleEndian(0) + LittleEndian(128000) +
                                     LittleEndian(0) + '\xB8' + '\x01';
  return OggPage(identification, 0, '\x02') +
         OggPage("\x03vorbis" + Comments(pictures) + '\x01', 1, '\0') +
         OggPage(std::string("\x05vorbis", 7) + std::string(8, '\0'), 2, '\x04');
}

inline std::string Opus(const std::vector<Picture>& pictures) {
  const std::string head =
      "OpusHead\x01\x02" + std::string("\x38\x01", 2) + LittleEndian(48000) + std::string(3, '\0');
  return OggPage(head, 0, '\x02') + OggPage("OpusTags" + Comments(pictures), 1, '\0') +
         OggPage(std::string(3, '\xF8'), 2, '\x04');
}

}  // namespace tunaro::tagged_files

#endif  // TUNARO_TESTS_UNIT_TAGGED_FILES_H_
