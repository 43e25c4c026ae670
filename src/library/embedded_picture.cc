#include "library/embedded_picture.h"

#include <taglib/aifffile.h>
#include <taglib/apefile.h>
#include <taglib/apetag.h>
#include <taglib/asffile.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mpcfile.h>
#include <taglib/mpegfile.h>
#include <taglib/oggflacfile.h>
#include <taglib/opusfile.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <taglib/wavpackfile.h>
#include <taglib/xiphcomment.h>

#include <string_view>

#include "library/file_kinds.h"
#include "library/seam_stream.h"

namespace tunaro {
namespace {

// The front cover when there is one, else the first picture.
class PictureChoice {
 public:
  void Offer(bool front, const TagLib::ByteVector& data) {
    if (data.isEmpty() || (chosen_ && (chosen_front_ || !front))) return;
    chosen_ = std::string(data.data(), data.size());
    chosen_front_ = front;
  }
  std::optional<std::string> Take() { return std::move(chosen_); }

 private:
  std::optional<std::string> chosen_;
  bool chosen_front_ = false;
};

void FromId3v2(const TagLib::ID3v2::Tag* tag, PictureChoice& choice) {
  if (tag == nullptr) return;
  for (const TagLib::ID3v2::Frame* frame : tag->frameList("APIC")) {
    const auto* picture = dynamic_cast<const TagLib::ID3v2::AttachedPictureFrame*>(frame);
    if (picture == nullptr) continue;
    choice.Offer(picture->type() == TagLib::ID3v2::AttachedPictureFrame::FrontCover,
                 picture->picture());
  }
}

void FromFlacPictures(const TagLib::List<TagLib::FLAC::Picture*>& pictures, PictureChoice& choice) {
  for (const TagLib::FLAC::Picture* picture : pictures) {
    if (picture != nullptr) {
      choice.Offer(picture->type() == TagLib::FLAC::Picture::FrontCover, picture->data());
    }
  }
}

void FromXiph(TagLib::Ogg::XiphComment* comment, PictureChoice& choice) {
  if (comment != nullptr) FromFlacPictures(comment->pictureList(), choice);
}

void FromApe(const TagLib::APE::Tag* tag, PictureChoice& choice) {
  if (tag == nullptr) return;
  const TagLib::APE::ItemListMap& items = tag->itemListMap();
  const auto found = items.find("COVER ART (FRONT)");
  if (found == items.end() || found->second.type() != TagLib::APE::Item::Binary) return;
  // The picture's file name, a NUL, then the picture.
  const TagLib::ByteVector data = found->second.binaryData();
  const int nul = data.find('\0');
  if (nul >= 0) choice.Offer(true, data.mid(static_cast<unsigned int>(nul) + 1));
}

void FromAsf(const TagLib::ASF::Tag* tag, PictureChoice& choice) {
  if (tag == nullptr) return;
  const TagLib::ASF::AttributeListMap& attributes = tag->attributeListMap();
  const auto found = attributes.find("WM/Picture");
  if (found == attributes.end()) return;
  for (const TagLib::ASF::Attribute& attribute : found->second) {
    const TagLib::ASF::Picture picture = attribute.toPicture();
    if (picture.isValid()) {
      choice.Offer(picture.type() == TagLib::ASF::Picture::FrontCover, picture.picture());
    }
  }
}

void FromMp4(const TagLib::MP4::Tag* tag, PictureChoice& choice) {
  if (tag == nullptr || !tag->contains("covr")) return;
  // "covr" marks no picture as the front one: the first is.
  for (const TagLib::MP4::CoverArt& art : tag->item("covr").toCoverArtList()) {
    choice.Offer(false, art.data());
  }
}

// Every kind of Ogg stream the extension may hold, until one reads.
void FromOgg(SeamStream& stream, bool opus_first, PictureChoice& choice) {
  for (int kind = 0; kind < 3; ++kind) {
    stream.seek(0, TagLib::IOStream::Beginning);
    const int which = opus_first ? (kind + 2) % 3 : kind;
    if (which == 0) {
      TagLib::Ogg::Vorbis::File file(&stream, false);
      if (file.isValid()) {
        FromXiph(file.tag(), choice);
        return;
      }
    } else if (which == 1) {
      TagLib::Ogg::FLAC::File file(&stream, false);
      if (file.isValid()) {
        FromXiph(file.tag(), choice);
        return;
      }
    } else {
      TagLib::Ogg::Opus::File file(&stream, false);
      if (file.isValid()) {
        FromXiph(file.tag(), choice);
        return;
      }
    }
  }
}

void ReadPictures(SeamStream& stream, std::string_view extension, PictureChoice& choice) {
  TagLib::ID3v2::FrameFactory* frames = TagLib::ID3v2::FrameFactory::instance();
  if (extension == "mp3") {
    TagLib::MPEG::File file(&stream, frames, false);
    if (file.isValid()) FromId3v2(file.ID3v2Tag(false), choice);
  } else if (extension == "flac") {
    TagLib::FLAC::File file(&stream, frames, false);
    if (file.isValid()) FromFlacPictures(file.pictureList(), choice);
  } else if (extension == "m4a") {
    TagLib::MP4::File file(&stream, false);
    if (file.isValid()) FromMp4(file.tag(), choice);
  } else if (extension == "ogg" || extension == "opus") {
    FromOgg(stream, extension == "opus", choice);
  } else if (extension == "wav") {
    TagLib::RIFF::WAV::File file(&stream, false);
    if (file.isValid() && file.hasID3v2Tag()) FromId3v2(file.ID3v2Tag(), choice);
  } else if (extension == "aiff") {
    TagLib::RIFF::AIFF::File file(&stream, false);
    if (file.isValid() && file.hasID3v2Tag()) FromId3v2(file.tag(), choice);
  } else if (extension == "wma") {
    TagLib::ASF::File file(&stream, false);
    if (file.isValid()) FromAsf(file.tag(), choice);
  } else if (extension == "ape") {
    TagLib::APE::File file(&stream, false);
    if (file.isValid()) FromApe(file.APETag(false), choice);
  } else if (extension == "mpc") {
    TagLib::MPC::File file(&stream, false);
    if (file.isValid()) FromApe(file.APETag(false), choice);
  } else if (extension == "wv") {
    TagLib::WavPack::File file(&stream, false);
    if (file.isValid()) FromApe(file.APETag(false), choice);
  }
}

}  // namespace

std::optional<std::string> ReadEmbeddedPicture(SystemInterface& system, const std::string& path,
                                               std::uint64_t size) {
  char buffer[8];
  const std::string_view extension = LowerExtension(path, buffer);
  try {
    SeamStream stream(system, path, size, kMostTagBytes);
    PictureChoice choice;
    ReadPictures(stream, extension, choice);
    return choice.Take();
  } catch (...) {
    // Whatever TagLib ran into (memory for a tag that claims too much, among
    // others): the file is taken to have no picture.
    return std::nullopt;
  }
}

}  // namespace tunaro
