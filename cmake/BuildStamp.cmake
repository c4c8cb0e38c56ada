# Writes the build stamp header: the date and time of this build, in the forms the About
# window shows ("Dec 8 2026", "23:05:45"). Run on every build; the file is rewritten only
# when its text changes, so a second build within the same second compiles nothing.
# Usage: cmake -DOUTPUT=<header> -P BuildStamp.cmake
string(TIMESTAMP month "%m")
string(TIMESTAMP day "%d")
string(TIMESTAMP year "%Y")
string(TIMESTAMP clock "%H:%M:%S")
# The month in English whatever the build machine's language.
set(names Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
math(EXPR index "${month} - 1")
list(GET names ${index} name)
string(REGEX REPLACE "^0" "" day "${day}")
set(text "// Generated on every build; do not edit.\n#pragma once\n\n")
string(APPEND text "// \"velmor-build-stamp \", the build date, \"|\", the build time.\n")
string(APPEND text "inline constexpr char kVelmorBuildStamp[] = \"velmor-build-stamp ${name} ${day} ${year}|${clock}\";\n")
if(EXISTS "${OUTPUT}")
    file(READ "${OUTPUT}" old)
else()
    set(old "")
endif()
if(NOT old STREQUAL text)
    file(WRITE "${OUTPUT}" "${text}")
endif()
