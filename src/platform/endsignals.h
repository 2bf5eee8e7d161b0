#pragma once

class QWidget;

// The desktop ends programs with a signal (SIGTERM at logout or shutdown, SIGHUP when
// the terminal goes, SIGINT for Ctrl+C): each then closes window as its close button
// would, so the program ends the normal way and releases the data folder. Nothing
// where the system has no such signals.
void closeOnEndSignals(QWidget& window);
