# A Windows build made on Linux runs its own programs (the data installer, the tests) through Wine. The wrapper
# made here knows where this build's DLLs lie and which Wine prefix to use, so the build and CTest only name it.

# The folders holding the DLLs the programs load: Qt's, libzip's, zlib's and the MinGW runtime's.
get_target_property(_tallyra_qt_core Qt6::Core IMPORTED_LOCATION_RELEASE)
if(NOT _tallyra_qt_core)
    get_target_property(_tallyra_qt_core Qt6::Core IMPORTED_LOCATION)
endif()
get_filename_component(_tallyra_qt_bin "${_tallyra_qt_core}" DIRECTORY)

set(TALLYRA_LIBZIP_DLL "${LIBZIP_PREFIX}/bin/libzip.dll")
if(NOT EXISTS "${TALLYRA_LIBZIP_DLL}")
    message(FATAL_ERROR "libzip.dll is not in ${LIBZIP_PREFIX}/bin")
endif()
# The compiler finds the runtime and zlib (libz-mingw-w64) where it finds their import libraries.
set(TALLYRA_RUNTIME_DLLS "")
foreach(dll libgcc_s_seh-1.dll libstdc++-6.dll libwinpthread-1.dll zlib1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
        OUTPUT_VARIABLE _tallyra_dll OUTPUT_STRIP_TRAILING_WHITESPACE)
    get_filename_component(_tallyra_dll "${_tallyra_dll}" REALPATH)
    if(NOT EXISTS "${_tallyra_dll}")
        message(FATAL_ERROR "${dll} was not found by ${CMAKE_CXX_COMPILER}")
    endif()
    list(APPEND TALLYRA_RUNTIME_DLLS "${_tallyra_dll}")
endforeach()

set(_tallyra_dll_folders "${_tallyra_qt_bin}")
foreach(dll ${TALLYRA_LIBZIP_DLL} ${TALLYRA_RUNTIME_DLLS})
    get_filename_component(_tallyra_folder "${dll}" DIRECTORY)
    list(APPEND _tallyra_dll_folders "${_tallyra_folder}")
endforeach()
list(REMOVE_DUPLICATES _tallyra_dll_folders)
# Drive Z: is the Linux root in every Wine prefix.
list(TRANSFORM _tallyra_dll_folders PREPEND "Z:")
set(TALLYRA_WINEPATH "${_tallyra_dll_folders}")

set(TALLYRA_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix" CACHE PATH "The Wine prefix the build's programs run in")

# Qt's offscreen platform for Windows paints with the fonts of one folder (QT_QPA_FONTDIR), not the system's.
# The tests under Wine get the fonts the Linux suite paints with, linked into the build folder.
set(TALLYRA_TEST_FONTS "${CMAKE_BINARY_DIR}/test-fonts")
file(MAKE_DIRECTORY "${TALLYRA_TEST_FONTS}")
foreach(font dejavu/DejaVuSans.ttf dejavu/DejaVuSans-Bold.ttf wqy/wqy-microhei.ttc noto/NotoColorEmoji.ttf)
    get_filename_component(_tallyra_font_name "${font}" NAME)
    if(EXISTS "/usr/share/fonts/truetype/${font}")
        file(CREATE_LINK "/usr/share/fonts/truetype/${font}" "${TALLYRA_TEST_FONTS}/${_tallyra_font_name}" SYMBOLIC)
    else()
        message(WARNING "The tests under Wine paint without ${_tallyra_font_name}: /usr/share/fonts/truetype/${font} "
                        "is missing (scripts/windows.sh installs it)")
    endif()
endforeach()

configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh @ONLY
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)
