// The game's version: one number for every program, page and package, set in CMakeLists.txt's
// project(). The About box keeps its own historic "Version 1.0" line.
#pragma once

// "1.0.0".
const char* GameVersion();

// For a program's main, first thing: when the program's one argument is --version, prints
// "NAME VERSION" on standard output and returns true (the program then ends with 0).
bool PrintedVersion(int argc, char** argv, const char* name);
