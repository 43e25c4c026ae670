// Talking to the player's window: queries, commands, and its program path.
#ifndef TUNARO_PLAYER_PLAYER_LINK_H_
#define TUNARO_PLAYER_PLAYER_LINK_H_

#include <cstdint>
#include <string>

#include "platform/system_interface.h"

namespace tunaro {

// The player's main window, found by its class; 0 when it is not running.
Handle FindPlayerWindow(SystemInterface& system);

// Sends a query and returns the low 32 bits of the answer as a signed number.
// A window that has gone answers 0; a player that does not answer in time
// raises RunError 65003.
std::int32_t SendPlayerQuery(SystemInterface& system, Handle window, std::int32_t code,
                             std::int32_t argument);

// The same, with the whole answer as this program received it: queries that
// answer an address in the player's memory need every bit.
std::int64_t SendPlayerAddressQuery(SystemInterface& system, Handle window, std::int32_t code);

// The low 16 bits of an answer as a signed number.
std::int16_t Low16(std::int32_t answer);

// Posts a command; whether the post succeeded is not looked at.
void PostPlayerCommand(SystemInterface& system, Handle window, std::int32_t command_id);

// The playlist editor's window, which the player's main window names
// (QueryWindow); 0 when it names none.
Handle FindEditorWindow(SystemInterface& system, Handle window);

// Sends the playlist editor's window `code` with `value` (wParam and lParam,
// the other way round from the main window's queries) and waits for it; a
// player that does not answer in time raises RunError 65003.
void SendEditorMessage(SystemInterface& system, Handle editor, std::int32_t code,
                       std::int64_t value);

// Hands the window a file record of `kind` (WM_COPYDATA) and waits for it,
// as SendPlayerQuery does; its answer.
std::int64_t SendFileRecord(SystemInterface& system, Handle window, std::int32_t kind,
                            const std::string& record);

// The longest program path read; a player that names a longer one (or never
// ends its path) counts as having none.
constexpr int kMaxPlayerPathLength = 32767;

// Reads the player's program path one character per QueryPathChar, from
// position 0 until an answer whose low 16 bits are 0. Returns empty text when
// the first answer ends it, when an answer is a control character (1 to 31:
// no path holds one, and a player that does not know the query answers 1), or
// when the path reaches kMaxPlayerPathLength.
std::string FindPlayerModulePath(SystemInterface& system, Handle window);

}  // namespace tunaro

#endif  // TUNARO_PLAYER_PLAYER_LINK_H_
