#pragma once
// Starting a program with a chosen window state, working folder and
// environment, as the current user or as another account ("Run Program
// As"). Runs on a program thread.

#include <atomic>
#include <cstdint>
#include <string>

namespace qm {

struct RunAsRequest {
  std::string program;
  std::string parameters;
  int show = 0;            // the SW_ value for the program's first window
  std::string user;        // empty: the current user
  std::string password;
  std::string domain;
  bool wait = false;
  std::string environment; // NAME=value lines; empty: the engine's own environment
};

// The program's exit code (259 while it still runs), or a negative code of
// ours when it could not be started: -1 another account on a system without
// accounts, -2 to -5 the logon failed (the privilege is not held, a wrong
// name or password, access denied, otherwise), -6 and -7 the window station
// or the desktop could not be opened to the account, -8 to -10 the start as
// the account failed (the privilege is not held, the program was not found,
// otherwise), -11 the start as the current user failed.
std::int32_t run_as(const RunAsRequest& request, const std::atomic<bool>* stop = nullptr);

// The SW_ value of the show field's number: 0 shown, 1 hidden, 2 maximised,
// 3 minimised, 4 minimised without the focus; any other number hidden.
int show_state_of(int number);

// The environment block of NAME=value lines (CR LF, or LF alone, between
// them): the entries each ended by a NUL, and the block by one more; empty
// lines are left out. Empty when there is no entry.
std::string environment_block(const std::string& lines);

}  // namespace qm
