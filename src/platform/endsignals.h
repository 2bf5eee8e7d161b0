#pragma once

// The desktop ends programs with a signal (SIGTERM at logout or shutdown, SIGHUP when
// the terminal goes, SIGINT for Ctrl+C): each then ends the program the normal way, so
// that it releases the data folder. A question on screen at that moment gets its safe
// answer (No, Cancel), as when its window is closed, and nothing more is asked. Nothing
// where the system has no such signals.
void endOnSignals();

// Whether such a signal has ended the program's event loops: the program then ends
// instead of starting its main loop afresh.
bool endSignalled();
