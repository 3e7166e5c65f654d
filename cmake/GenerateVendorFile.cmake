# Turns the IEEE MA-L registry (Debian's ieee-data "oui.txt") into the vendor
# file the application bundles: one "XX-XX-XX Vendor" line per assignment, in
# registry order, so the first line holding a prefix is the registry's first.
#
#   cmake -DINPUT=/usr/share/ieee-data/oui.txt -DOUTPUT=oui.txt -P GenerateVendorFile.cmake
#
# Only the "(hex)" lines are kept; the "(base 16)" and address lines repeat the
# name or hold street addresses, which would make false prefix matches.

if(NOT INPUT OR NOT OUTPUT)
    message(FATAL_ERROR "GenerateVendorFile: pass -DINPUT=<registry oui.txt> -DOUTPUT=<file>")
endif()
if(NOT EXISTS "${INPUT}")
    message(FATAL_ERROR "GenerateVendorFile: ${INPUT} is missing (Debian package ieee-data)")
endif()

file(READ "${INPUT}" registry)
# The registry escapes a few ampersands as HTML.
string(REPLACE "&amp;" "&" registry "${registry}")
# CMake lists split at ";" and treat brackets specially; a few names hold them.
string(REPLACE ";" "@SEMICOLON@" registry "${registry}")
string(REPLACE "[" "@LBRACKET@" registry "${registry}")
string(REPLACE "]" "@RBRACKET@" registry "${registry}")

set(hex "[0-9A-F][0-9A-F]")
string(REGEX MATCHALL "${hex}-${hex}-${hex}   \\(hex\\)[\t]+[^\r\n]*" entries "${registry}")
list(LENGTH entries count)
if(count LESS 1000)
    message(FATAL_ERROR "GenerateVendorFile: only ${count} assignments in ${INPUT}; not a registry file?")
endif()

list(JOIN entries "\n" text)
string(REGEX REPLACE "   \\(hex\\)[ \t]+" " " text "${text}")
# Blanks and tabs at the end of a name are noise of the registry's layout.
string(REGEX REPLACE "[ \t]+\n" "\n" text "${text}")
string(REGEX REPLACE "[ \t]+$" "" text "${text}")
string(REPLACE "@SEMICOLON@" ";" text "${text}")
string(REPLACE "@LBRACKET@" "[" text "${text}")
string(REPLACE "@RBRACKET@" "]" text "${text}")

file(WRITE "${OUTPUT}.tmp" "${text}\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
