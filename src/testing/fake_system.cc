#include "testing/fake_system.h"

#include <algorithm>
#include <cstring>

#include "base/run_error.h"
#include "player/player_messages.h"

namespace tunaro {
namespace {

// 0x80 to 0x9F of windows-1252; the five bytes it leaves free keep their
// number, as the system's conversions do.
constexpr char16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

AnsiCodePageInfo CodePageInfo(std::uint32_t code_page) {
  AnsiCodePageInfo info;
  info.number = code_page;
  for (unsigned b = 0x81; b <= 0xFE; ++b) {
    if (code_page == 932) {
      info.lead_bytes[b] = b <= 0x9F || (b >= 0xE0 && b <= 0xFC);
    } else if (code_page == 936 || code_page == 949 || code_page == 950) {
      info.lead_bytes[b] = true;
    }
  }
  return info;
}

}  // namespace

// The fake system as the player model's host: the player's files go into the
// fake file system, the name of its folder into its memory.
class FakeSystem::PlayerSide : public player_model::PlayerHost {
 public:
  explicit PlayerSide(FakeSystem& system) : system_(system) {}
  player_model::LeadBytes AnsiLeadBytes() override {
    return CodePageInfo(system_.code_page).lead_bytes;
  }
  std::optional<std::string> AnsiToUtf8(const std::string& ansi) override {
    return system_.AnsiToUtf8(ansi);
  }
  std::string Utf8ToAnsi(const std::string& utf8) override { return system_.Utf8ToAnsi(utf8); }
  bool WriteFile(const std::string& path, const std::string& bytes) override {
    if (path.empty()) return false;
    system_.SetFile(path, bytes);
    return true;
  }
  std::int64_t AddressOfFolderText(const std::string& folder) override {
    system_.player.memory[FakePlayer::kFolderTextAddress] = folder + '\0';
    return static_cast<std::int64_t>(FakePlayer::kFolderTextAddress);
  }
  void Say(const std::string&) override {}

 private:
  FakeSystem& system_;
};

FakeSystem::FakeSystem() = default;

AnsiCodePageInfo FakeSystem::AnsiCodePage() { return CodePageInfo(code_page); }

std::string FakeSystem::AnsiCharacter(char32_t code_point) {
  const auto found = ansi_characters.find(code_point);
  if (found != ansi_characters.end()) return found->second;
  if (code_point < 0x80) return std::string(1, static_cast<char>(code_point));
  if (code_page == 65001) {
    if (code_point > 0x10FFFF || (code_point >= 0xD800 && code_point <= 0xDFFF)) return {};
    std::string bytes;
    if (code_point < 0x800) {
      bytes += static_cast<char>(0xC0 | (code_point >> 6));
    } else if (code_point < 0x10000) {
      bytes += static_cast<char>(0xE0 | (code_point >> 12));
      bytes += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    } else {
      bytes += static_cast<char>(0xF0 | (code_point >> 18));
      bytes += static_cast<char>(0x80 | ((code_point >> 12) & 0x3F));
      bytes += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    }
    return bytes + static_cast<char>(0x80 | (code_point & 0x3F));
  }
  if (code_page != 1252) return {};
  if (code_point >= 0xA0 && code_point <= 0xFF)
    return std::string(1, static_cast<char>(code_point));
  for (unsigned k = 0; k < 32; ++k) {
    if (kHigh[k] == code_point) return std::string(1, static_cast<char>(0x80 + k));
  }
  return {};
}

std::string FakeSystem::PlaylistPath() const {
  return player.Place(CodePageInfo(code_page).lead_bytes).file;
}

std::string FakeSystem::EnvironmentVariable(const std::string& name) {
  auto it = environment.find(name);
  return it == environment.end() ? std::string() : it->second;
}

std::size_t FakeSystem::ReadInput(Handle input, char* buffer, std::size_t size) {
  ++read_requests;
  if (input != kInput || input_pieces.empty()) return 0;
  std::string& piece = input_pieces.front();
  const std::size_t n = std::min(size, piece.size());
  std::memcpy(buffer, piece.data(), n);
  piece.erase(0, n);
  if (piece.empty()) input_pieces.pop_front();
  return n;
}

void FakeSystem::WriteOutput(Handle handle, const char* data, std::size_t size) {
  if (handle != kOutput) return;
  ++write_requests;
  if (!output_is_file) {
    output.append(data, size);
    return;
  }
  if (output.size() < output_position + size) output.resize(output_position + size);
  output.replace(output_position, size, data, size);
  output_position += size;
}

bool FakeSystem::RewindOutput(Handle handle) {
  if (handle != kOutput || !output_is_file) return false;
  output_position = 0;
  return true;
}

bool FakeSystem::TruncateOutput(Handle handle) {
  if (handle != kOutput || !output_is_file || truncate_fails) return false;
  output.resize(output_position);
  return true;
}

std::string FakeSystem::ReadWholeFile(const std::string& path) {
  events.push_back("read:" + path);
  auto it = files.find(path);
  if (it == files.end()) throw RunError(error_number::kFileNotFound);
  if (it->second.directory || !it->second.readable) throw RunError(error_number::kPathFileAccess);
  return it->second.content;
}

std::string FakeSystem::ReadOrCreateFile(const std::string& path, std::size_t limit) {
  if (files.find(path) == files.end()) {
    if (!can_create_files) throw RunError(error_number::kPathFileAccess);
    files[path] = FakeFile{};
  }
  return ReadWholeFile(path).substr(0, limit);
}

bool FakeSystem::IsOrdinaryFile(const std::string& path) {
  auto it = files.find(path);
  return it != files.end() && !it->second.hidden && !it->second.directory;
}

std::uint64_t FakeSystem::FileWriteTime(const std::string& path) {
  auto it = files.find(path);
  return it == files.end() ? 0 : it->second.write_time;
}

std::string FakeSystem::AnsiToUtf8(const std::string& ansi) {
  std::string utf8;
  for (const char c : ansi) {
    const auto byte = static_cast<unsigned char>(c);
    const char16_t unit = byte >= 0x80 && byte < 0xA0 ? kHigh[byte - 0x80] : byte;
    if (unit < 0x80) {
      utf8 += static_cast<char>(unit);
    } else if (unit < 0x800) {
      utf8 += static_cast<char>(0xC0 | (unit >> 6));
      utf8 += static_cast<char>(0x80 | (unit & 0x3F));
    } else {
      utf8 += static_cast<char>(0xE0 | (unit >> 12));
      utf8 += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
      utf8 += static_cast<char>(0x80 | (unit & 0x3F));
    }
  }
  return utf8;
}

std::string FakeSystem::Utf8ToAnsi(const std::string& utf8) {
  std::string ansi;
  for (std::size_t pos = 0; pos < utf8.size();) {
    const auto first = static_cast<unsigned char>(utf8[pos]);
    const std::size_t length = first < 0x80 ? 1 : first < 0xE0 ? 2 : first < 0xF0 ? 3 : 4;
    char32_t code_point = length == 1 ? first : first & (0x7F >> length);
    for (std::size_t k = 1; k < length && pos + k < utf8.size(); ++k) {
      code_point = code_point << 6 | (static_cast<unsigned char>(utf8[pos + k]) & 0x3F);
    }
    const std::string bytes = AnsiCharacter(code_point);
    ansi += bytes.empty() ? "?" : bytes;
    pos += length;
  }
  return ansi;
}

bool FakeSystem::AcquireNamedLock(const std::string& name, std::uint32_t timeout_milliseconds) {
  last_lock_timeout = timeout_milliseconds;
  last_lock_name = name;
  if (!playlist_lock_available) return false;
  playlist_lock_held = true;
  events.push_back("lock");
  return true;
}

void FakeSystem::ReleaseNamedLock() {
  if (!playlist_lock_held) return;
  playlist_lock_held = false;
  events.push_back("unlock");
}

Handle FakeSystem::FindWindowOfClass(const std::string& class_name) {
  return class_name == PlayerWindowClass ? player.window : 0;
}

MessageAnswer FakeSystem::SendMessageWithin(Handle window, std::uint32_t message,
                                            std::uintptr_t wparam, std::intptr_t lparam,
                                            std::uint32_t timeout_milliseconds) {
  (void)timeout_milliseconds;
  if (message != QueryMessage) return {true, 0};
  if (window != 0 && window == static_cast<Handle>(player.editor_window)) {
    player.log.push_back(
        {QueryMessage, static_cast<std::int64_t>(wparam), static_cast<std::int64_t>(lparam), true});
    if (!IsEditorWindow(window)) return {true, 0};
    PlayerSide side(*this);
    return {true, player.EditorAnswer(static_cast<long long>(wparam), lparam, side)};
  }
  return AnswerQuery(window, static_cast<std::int32_t>(lparam), wparam);
}

MessageAnswer FakeSystem::SendCopyData(Handle window, std::uintptr_t kind, const std::string& bytes,
                                       std::uint32_t timeout_milliseconds) {
  (void)timeout_milliseconds;
  const bool to_editor = window != 0 && window == static_cast<Handle>(player.editor_window);
  player.log.push_back({CopyDataMessage, static_cast<std::int64_t>(kind),
                        static_cast<std::int64_t>(bytes.size()), to_editor, bytes});
  if (to_editor ? !IsEditorWindow(window)
                : (window != player.window || player.window == 0 || player.gone)) {
    return {true, 0};
  }
  PlayerSide side(*this);
  return {true, player.CopyData(kind, bytes, to_editor, side)};
}

bool FakeSystem::IsEditorWindow(Handle window) const {
  return window != 0 && window == static_cast<Handle>(player.editor_window) && player.window != 0 &&
         !player.gone;
}

MessageAnswer FakeSystem::AnswerQuery(Handle window, std::int32_t code, std::uintptr_t wparam) {
  FakePlayer& p = player;
  const auto argument = static_cast<std::int32_t>(static_cast<std::intptr_t>(wparam));
  p.log.push_back({QueryMessage, argument, code});
  events.push_back("query:" + std::to_string(code));
  if (window != p.window || p.window == 0 || p.gone) return {true, 0};
  if (p.hangs_on && *p.hangs_on == code) return {false, 0};
  if (p.answer_hook) {
    if (auto answer = p.answer_hook(code, argument)) return {true, *answer};
  }
  PlayerSide side(*this);
  return {true, p.Answer(code, wparam, side)};
}

void FakeSystem::PostWindowMessage(Handle window, std::uint32_t message, std::uintptr_t wparam,
                                   std::intptr_t lparam) {
  player.log.push_back({message, static_cast<std::int64_t>(wparam), lparam});
  if (message != CommandMessage || window != player.window || player.window == 0 || player.gone)
    return;
  PlayerSide side(*this);
  player.Command(wparam, side);
}

std::string FakeSystem::WindowProcessImagePath(Handle window) {
  return window == player.window && !player.gone ? player.image_path : std::string();
}

int FakeSystem::WindowProcessPointerBits(Handle window) {
  return window == player.window && !player.gone ? player.pointer_bits : 0;
}

// Page by page, as the real system reads another process's memory.
std::optional<std::string> FakeSystem::ReadProcessText(Handle window, std::uint64_t address,
                                                       std::size_t max_length) {
  if (window != player.window || player.gone) return std::nullopt;
  constexpr std::uint64_t kPage = 4096;
  std::string text;
  char piece[kPage];
  while (text.size() < max_length) {
    const std::size_t size = static_cast<std::size_t>(
        std::min<std::uint64_t>(kPage - address % kPage, max_length - text.size()));
    if (address + size < address) return std::nullopt;
    if (!ReadMemory(address, piece, size)) return std::nullopt;
    const char* nul = static_cast<const char*>(std::memchr(piece, '\0', size));
    if (nul != nullptr) return text.append(piece, static_cast<std::size_t>(nul - piece));
    text.append(piece, size);
    address += size;
  }
  return std::nullopt;
}

bool FakeSystem::ReadMemory(std::uint64_t address, char* buffer, std::size_t size) {
  memory_reads.push_back({address, size});
  // Memory comes in whole pages: a block makes the pages it touches readable,
  // zeros around its bytes.
  constexpr std::uint64_t kPage = 4096;
  for (const auto& [start, bytes] : player.memory) {
    const std::uint64_t first = start / kPage * kPage;
    const std::uint64_t end = (start + bytes.size() + kPage - 1) / kPage * kPage;
    if (address < first || address > end || end - address < size) continue;
    for (std::size_t i = 0; i < size; ++i) {
      const std::uint64_t at = address + i;
      buffer[i] = at >= start && at - start < bytes.size() ? bytes[at - start] : '\0';
    }
    return true;
  }
  return false;
}

}  // namespace tunaro
