#pragma once

// A start with arguments: the command goes through the running window over the single-instance
// channel, or this process opens the base itself in a session of its own and ends. --profile
// wraps another program: the profile is applied, the program runs, and what the base had
// before is restored, also when the wrapper is told to end by SIGTERM or SIGINT.

struct StartupHooks;

// Parses the arguments (argc > 1), carries the command out and returns the exit code.
int runCommandLine(int argc, char **argv, const StartupHooks &hooks);
