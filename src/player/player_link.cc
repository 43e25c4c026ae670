#include "player/player_link.h"

#include "base/run_error.h"
#include "player/player_messages.h"

namespace tunaro {
namespace {

MessageAnswer Answered(SystemInterface& system, Handle window, std::int32_t code,
                       std::int32_t argument) {
  // The argument goes in wParam with its sign, as the player reads it back.
  const MessageAnswer answer = system.SendMessageWithin(
      window, QueryMessage, static_cast<std::uintptr_t>(static_cast<std::intptr_t>(argument)), code,
      QueryTimeoutMilliseconds);
  if (!answer.answered) throw RunError(error_number::kPlayerNotAnswering);
  return answer;
}

}  // namespace

Handle FindPlayerWindow(SystemInterface& system) {
  return system.FindWindowOfClass(PlayerWindowClass);
}

std::int32_t SendPlayerQuery(SystemInterface& system, Handle window, std::int32_t code,
                             std::int32_t argument) {
  const std::uint64_t bits =
      static_cast<std::uint64_t>(Answered(system, window, code, argument).value);
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(bits & 0xFFFFFFFFu));
}

std::int64_t SendPlayerAddressQuery(SystemInterface& system, Handle window, std::int32_t code) {
  return Answered(system, window, code, 0).value;
}

std::int16_t Low16(std::int32_t answer) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(answer & 0xFFFF));
}

void PostPlayerCommand(SystemInterface& system, Handle window, std::int32_t command_id) {
  system.PostWindowMessage(window, CommandMessage, static_cast<std::uintptr_t>(command_id), 0);
}

Handle FindEditorWindow(SystemInterface& system, Handle window) {
  return static_cast<Handle>(Answered(system, window, QueryWindow, EditorWindow).value);
}

void SendEditorMessage(SystemInterface& system, Handle editor, std::int32_t code,
                       std::int64_t value) {
  const MessageAnswer answer =
      system.SendMessageWithin(editor, QueryMessage, static_cast<std::uintptr_t>(code),
                               static_cast<std::intptr_t>(value), QueryTimeoutMilliseconds);
  if (!answer.answered) throw RunError(error_number::kPlayerNotAnswering);
}

std::int64_t SendFileRecord(SystemInterface& system, Handle window, std::int32_t kind,
                            const std::string& record) {
  const MessageAnswer answer = system.SendCopyData(window, static_cast<std::uintptr_t>(kind),
                                                   record, QueryTimeoutMilliseconds);
  if (!answer.answered) throw RunError(error_number::kPlayerNotAnswering);
  return answer.value;
}

std::string FindPlayerModulePath(SystemInterface& system, Handle window) {
  std::string path;
  for (int position = 0; position < kMaxPlayerPathLength; ++position) {
    const std::int16_t code = Low16(SendPlayerQuery(system, window, QueryPathChar, position));
    if (code == 0) return path;
    if (code >= 1 && code <= 31) return {};
    // Codes outside 1..255 name no single ANSI character; a player that hands
    // out signed chars answers -23 for 0xE9, so the low byte is the character.
    path.push_back(static_cast<char>(code & 0xFF));
  }
  return {};
}

}  // namespace tunaro
