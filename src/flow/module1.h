#pragma once

// The program's start: one instance, the main window, then the event loop.
int Main(int argc, char** argv);
