// The game's version, from the header the build writes (yelko_version.h).
#include "app/version.h"

#include <cstdio>
#include <cstring>

#include "yelko_version.h"

const char* GameVersion() {
  return YELKO_VERSION;
}

bool PrintedVersion(int argc, char** argv, const char* name) {
  if (argc != 2 || std::strcmp(argv[1], "--version") != 0) return false;
  std::printf("%s %s\n", name, YELKO_VERSION);
  return true;
}
