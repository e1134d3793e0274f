# Fails when a layer above the platform reaches past it: shell/, sysinfo/, smc/ and panels/ may
# include only the platform's own headers, never Qt, a Linux or POSIX system header, or a header
# of a backend (platform/qt/, platform/linux/, platform/dbus/, platform/webview/). The one
# exception is the program's entry point, shell/main.cpp, which chooses the backends.
#
# Two checks here, so that neither a stray include nor a build setting can slip past (a third,
# seam_link_probe in the top-level CMakeLists.txt, holds the same seam when linking):
# - the sources of those layers, read line by line for #include;
# - the compile commands of the targets those layers build (compile_commands.json), for a Qt
#   include path or a Qt definition in their flags.
#
#   cmake -DSOURCE_DIR=<source root> -DBUILD_DIR=<build root> -P scripts/check_seam.cmake
cmake_minimum_required(VERSION 3.25)

set(upper_layers shell sysinfo smc panels)
set(entry_point shell/main.cpp)
# Qt's headers (<QWidget>, <QtCore/qglobal.h>, <qobject.h>), the headers of POSIX and Linux that
# the C and C++ standards do not have, and the backends' own (the interfaces they implement are in
# platform/appkit/ and platform/ itself).
set(forbidden_include_patterns
    "^Q[A-Za-z]"
    "^q[a-z]+\\.h$"
    "^(sys|linux|asm|arpa|net|netinet|bits)/"
    "^(unistd|fcntl|dlfcn|pthread|poll|dirent|pwd|grp|termios|syslog|mntent|sched|semaphore|spawn|ifaddrs|netdb|elf|link|execinfo|libgen|glob|fnmatch|err|getopt)\\.h$"
    "^platform/(qt|linux|dbus|webview)/"
)
set(forbidden_flag_pattern "(/qt6|/Qt[A-Z][A-Za-z]*|-DQT_)")

set(failures "")

# The sources.
foreach(layer IN LISTS upper_layers)
    file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}"
         "${SOURCE_DIR}/${layer}/*.cpp" "${SOURCE_DIR}/${layer}/*.h" "${SOURCE_DIR}/${layer}/*.in")
    list(REMOVE_ITEM sources ${entry_point})
    foreach(source IN LISTS sources)
        file(STRINGS "${SOURCE_DIR}/${source}" includes REGEX "^[ \t]*#[ \t]*include")
        foreach(line IN LISTS includes)
            string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]*)[>\"].*" "\\1" header
                   "${line}")
            foreach(pattern IN LISTS forbidden_include_patterns)
                if(header MATCHES "${pattern}")
                    string(APPEND failures "${source}: includes <${header}>, which is behind the platform\n")
                    break()
                endif()
            endforeach()
        endforeach()
    endforeach()
endforeach()

# The flags of the targets that those layers build.
set(commands_file "${BUILD_DIR}/compile_commands.json")
if(NOT EXISTS "${commands_file}")
    message(FATAL_ERROR "${commands_file} is missing: configure with CMAKE_EXPORT_COMPILE_COMMANDS")
endif()
file(READ "${commands_file}" commands)
string(JSON count LENGTH "${commands}")
math(EXPR last "${count} - 1")
string(JOIN "|" layer_alternatives ${upper_layers})
foreach(index RANGE ${last})
    # The object's path tells the target's directory: shell/CMakeFiles/quelmarn.dir/...
    string(JSON command GET "${commands}" ${index} command)
    if(NOT command MATCHES " -o ([^ ]+)")
        continue()
    endif()
    set(output "${CMAKE_MATCH_1}")
    if(NOT output MATCHES "^(${layer_alternatives})/")
        continue()
    endif()
    string(JSON file GET "${commands}" ${index} file)
    file(RELATIVE_PATH source "${SOURCE_DIR}" "${file}")
    if(source STREQUAL entry_point)
        continue()
    endif()
    if(command MATCHES "${forbidden_flag_pattern}")
        string(APPEND failures
               "${source} (${output}): compiled with the toolkit's flags (${CMAKE_MATCH_1})\n")
    endif()
endforeach()

if(failures)
    message(FATAL_ERROR "The layers above the platform reach past it:\n${failures}")
endif()
message(STATUS "The layers above the platform include only the platform's own headers")
