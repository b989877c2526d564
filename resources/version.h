// The program's one version number. CMakeLists.txt reads the four numbers
// from here for the project's version (and so the packages' names), the .rc
// puts them into the version information, and ambrelix-cli --version prints
// the release text. Each text is made from the numbers, so no two forms can
// disagree.
#pragma once

#define AMBRELIX_MAJOR 1
#define AMBRELIX_MINOR 0
#define AMBRELIX_PATCH 0
#define AMBRELIX_BUILD 0

#define AMBRELIX_STRINGIZE_(text) #text
#define AMBRELIX_STRINGIZE(text) AMBRELIX_STRINGIZE_(text)

#define AMBRELIX_VERSION_NUMBERS AMBRELIX_MAJOR, AMBRELIX_MINOR, AMBRELIX_PATCH, AMBRELIX_BUILD
#define AMBRELIX_VERSION_TEXT \
  AMBRELIX_STRINGIZE(AMBRELIX_MAJOR.AMBRELIX_MINOR.AMBRELIX_PATCH.AMBRELIX_BUILD)
// The version users see in package names and in the companion's answer.
#define AMBRELIX_RELEASE_TEXT AMBRELIX_STRINGIZE(AMBRELIX_MAJOR.AMBRELIX_MINOR.AMBRELIX_PATCH)
