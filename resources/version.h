// The program's version, for the version information in Ambrelix.rc. The
// text is made from the four numbers, so the two forms cannot disagree.
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
