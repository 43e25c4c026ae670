// Everything the process tests use: include this one header.
#ifndef TUNARO_TESTS_PROCESS_HARNESS_WINE_HARNESS_H_
#define TUNARO_TESTS_PROCESS_HARNESS_WINE_HARNESS_H_

#include "harness/cgi.h"             // CgiRequest, RunCgi
#include "harness/files.h"           // ReadFileBytes, WriteFileBytes, ...
#include "harness/paths.h"           // WindowsPath, InstallExe, WindowsExe
#include "harness/player_probe.h"    // RunProbe, ProbeQuery, ProbeCommand
#include "harness/process.h"         // RunProcess, ChildProcess
#include "harness/standin_player.h"  // StandinPlayer
#include "harness/temp_dir.h"        // TempDir
#include "harness/wine_prefix.h"     // SharedPrefix
#include "player/player_messages.h"  // the player's numbers

#endif  // TUNARO_TESTS_PROCESS_HARNESS_WINE_HARNESS_H_
