// An in-process stand-in for the operating system and the player, for tests:
// environment, standard input in pieces, an output that behaves as a file or a
// pipe, files in memory, and the player model behind a window that logs every
// message.
#ifndef TUNARO_TESTING_FAKE_SYSTEM_H_
#define TUNARO_TESTING_FAKE_SYSTEM_H_

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/system_interface.h"
#include "testing/fake_folders.h"
#include "testing/player_model/player_model.h"

namespace tunaro {

struct FakeFile {
  std::string content;
  bool hidden = false;
  bool directory = false;
  bool readable = true;
  std::uint64_t write_time = 0;  // FakeSystem's clock when it was last written
};

struct LoggedMessage {
  std::uint32_t message;   // 1024 query, 273 command, 74 a file handed over
  std::int64_t wparam;     // for 74: the record's kind
  std::int64_t lparam;     // for 74: the record's size
  bool to_editor = false;  // sent to the playlist editor's window
  std::string data = {};   // for 74: the record's bytes
  bool operator==(const LoggedMessage& other) const {
    return message == other.message && wparam == other.wparam && lparam == other.lparam &&
           to_editor == other.to_editor && data == other.data;
  }
};

// The player as the system shows it: the player model (what it plays,
// answers and writes, shared with the stand-in player) and what only a test
// does to it. Its program path is C:\Player\player.exe unless a test says
// otherwise.
struct FakePlayer : player_model::PlayerModel {
  FakePlayer() {
    program_path = "C:\\Player\\player.exe";
    editor_window = 0x5678;
  }

  Handle window = 0x1234;                // 0: not running
  std::optional<std::int32_t> hangs_on;  // a query code it never answers
  bool gone = false;                     // window closed after the lookup: every query answers 0
  // What the system says the player's process runs; empty: it will not say.
  std::string image_path = "C:\\Player\\player.exe";
  int pointer_bits = 64;  // 0: its process cannot be looked at
  // Its readable memory: blocks of bytes by their first address. The pages
  // a block touches are readable, zeros around it. The model's folder name
  // is put at kFolderTextAddress when a directory query asks for it.
  std::map<std::uint64_t, std::string> memory;
  static constexpr std::uint64_t kFolderTextAddress = 0x7FFE0000;
  // Every query sent, every message posted and every file handed to it or
  // its playlist editor's window, in order.
  std::vector<LoggedMessage> log;
  // Called for a query before the model answers; return a value to override.
  std::function<std::optional<std::int64_t>(std::int32_t code, std::int32_t argument)> answer_hook;
};

class FakeSystem : public SystemInterface {
 public:
  FakeSystem();

  // Test set-up.
  std::map<std::string, std::string> environment;
  std::string executable_directory = "C:\\Inetpub\\cgi-bin\\tunaro";
  std::string executable_base_name = "tunaro";
  std::deque<std::string> input_pieces;  // each ReadInput returns from the first
  bool output_is_file = true;
  bool truncate_fails = false;  // as under Wine, for a file inherited as standard output
  std::map<std::string, FakeFile> files;
  bool can_create_files = true;
  FakePlayer player;
  // The ANSI code page: 1252 (one byte a character) by default; 932, 936,
  // 949 and 950 have their lead bytes, 65001 is UTF-8.
  std::uint32_t code_page = 1252;
  // Characters the code page holds beyond ASCII (and, for 1252, beyond its
  // own table), with their bytes.
  std::map<char32_t, std::string> ansi_characters;
  std::uint64_t clock = 0;  // ticks once for every file written

  // What the run did.
  std::string output;
  std::size_t output_position = 0;
  int write_requests = 0;
  int read_requests = 0;
  bool playlist_lock_available = true;  // false: another run holds it past the wait
  bool playlist_lock_held = false;
  std::uint32_t last_lock_timeout = 0;
  std::string last_lock_name;
  // What the playlist lock guarded: "lock", "unlock", and every query code and
  // file read ("read:<path>") in order, while the lock was held or not.
  std::vector<std::string> events;
  // Every read of the player's memory: address and size.
  std::vector<std::pair<std::uint64_t, std::size_t>> memory_reads;

  void SetFile(const std::string& path, std::string content) {
    files[path].content = std::move(content);
    files[path].write_time = ++clock;
  }
  void SetConfiguration(std::string content) { SetFile(ConfigurationPath(), std::move(content)); }
  std::string ConfigurationPath() const { return executable_directory + "\\tunaro.conf"; }
  // Where the player writes its playlist file, by the model's rule.
  std::string PlaylistPath() const;

  // SystemInterface
  std::string EnvironmentVariable(const std::string& name) override;
  std::string ExecutableDirectory() override { return executable_directory; }
  std::string ExecutableBaseName() override { return executable_base_name; }
  AnsiCodePageInfo AnsiCodePage() override;
  std::string AnsiCharacter(char32_t code_point) override;
  Handle StandardInput() override { return kInput; }
  Handle StandardOutput() override { return kOutput; }
  std::size_t ReadInput(Handle input, char* buffer, std::size_t size) override;
  void WriteOutput(Handle output, const char* data, std::size_t size) override;
  bool OutputIsFile(Handle output) override { return output == kOutput && output_is_file; }
  bool RewindOutput(Handle output) override;
  bool TruncateOutput(Handle output) override;
  std::string ReadWholeFile(const std::string& path) override;
  std::string ReadOrCreateFile(const std::string& path, std::size_t limit) override;
  bool IsOrdinaryFile(const std::string& path) override;
  std::uint64_t FileWriteTime(const std::string& path) override;
  // As windows-1252: the code page of the tests.
  std::string AnsiToUtf8(const std::string& ansi) override;
  // By AnsiCharacter, "?" for a character the code page lacks: as the player
  // writes names.
  std::string Utf8ToAnsi(const std::string& utf8);
  bool AcquireNamedLock(const std::string& name, std::uint32_t timeout_milliseconds) override;
  void ReleaseNamedLock() override;
  // The player's window is the only one of its class.
  Handle FindWindowOfClass(const std::string& class_name) override;
  MessageAnswer SendMessageWithin(Handle window, std::uint32_t message, std::uintptr_t wparam,
                                  std::intptr_t lparam,
                                  std::uint32_t timeout_milliseconds) override;
  void PostWindowMessage(Handle window, std::uint32_t message, std::uintptr_t wparam,
                         std::intptr_t lparam) override;
  MessageAnswer SendCopyData(Handle window, std::uintptr_t kind, const std::string& bytes,
                             std::uint32_t timeout_milliseconds) override;
  std::string WindowProcessImagePath(Handle window) override;
  int WindowProcessPointerBits(Handle window) override;
  std::optional<std::string> ReadProcessText(Handle window, std::uint64_t address,
                                             std::size_t max_length) override;

  // The music folders and the clock, in fake_folders.h.
  FakeFolders folders;
  FileAccess ListFolder(const std::string& path,
                        const std::function<bool(const FolderEntry&)>& visit) override {
    return folders.ListFolder(path, visit);
  }
  FinalPathFacts FinalPath(const std::string& path) override { return folders.FinalPath(path); }
  std::optional<std::string> ReadFilePart(const std::string& path, std::uint64_t offset,
                                          std::size_t size) override {
    return folders.ReadFilePart(path, offset, size);
  }
  std::string MusicFolder() override { return folders.music_folder; }
  std::uint64_t MonotonicMilliseconds() override { return folders.milliseconds; }

  static constexpr Handle kInput = 10;
  static constexpr Handle kOutput = 11;

 private:
  class PlayerSide;
  // The player's answer to a query; as the window procedure of a player does.
  MessageAnswer AnswerQuery(Handle window, std::int32_t code, std::uintptr_t argument);
  // Whether the window is the player's editor window while the player runs.
  bool IsEditorWindow(Handle window) const;
  // Copies `size` bytes of the player's memory; false unless all are readable.
  bool ReadMemory(std::uint64_t address, char* buffer, std::size_t size);
};

}  // namespace tunaro

#endif  // TUNARO_TESTING_FAKE_SYSTEM_H_
