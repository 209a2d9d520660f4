#pragma once

// SIGTERM, SIGHUP and SIGINT would end the process on the spot, leaving
// the safe's SSH keys in the agent and a password on the clipboard. Caught
// here, each writes its number to a pipe that the event loop watches, so
// the program leaves the orderly way (the lock, then exit). A second
// signal of the same kind takes its default action: a program stuck on
// its way out can still be stopped. A signal ignored when the handlers are
// installed (nohup, a job started in the background) stays ignored.

// Installs the handlers once per process; the pipe's read end (close on
// exec, non-blocking), or -1 when it cannot be made and the signals keep
// their default action.
int CatchTerminationSignals();

// The first signal the pipe holds, or 0; reads the pipe empty.
int TakeTerminationSignal(int readEnd);
