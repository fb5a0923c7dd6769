# Warnings and sanitizers, applied to every target of ours.
function(ravenmark_target_defaults target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
    if(RAVENMARK_SANITIZE)
        target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer
                                                 -fno-sanitize-recover=undefined)
        target_link_options(${target} PRIVATE -fsanitize=address,undefined)
    endif()
    if(RAVENMARK_BUILD_FUZZ AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        # Coverage and sanitizers in the code under test, not only in the harness.
        target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
    endif()
endfunction()

# One static library per folder of src/, named ravenmark_<folder>, built from every source in the folder.
# DEPENDS names the folders it builds on; TARGET gives another name than the folder's. Its headers are reached as "<folder>/file.h" through a folder
# of the build tree that holds only that one name, so a library sees its own headers and those of the
# libraries it links, and an include of a folder above it fails to build.
function(ravenmark_add_library folder)
    cmake_parse_arguments(ARG "" "TARGET" "DEPENDS;LIBRARIES;EXCLUDE" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    foreach(pattern ${ARG_EXCLUDE})
        list(FILTER sources EXCLUDE REGEX "${pattern}")
    endforeach()
    set(target ravenmark_${folder})
    if(ARG_TARGET)
        set(target ${ARG_TARGET})
    endif()
    # A folder with nothing in it yet still takes its place among the layers.
    set(scope PUBLIC)
    if(sources)
        add_library(${target} STATIC ${sources})
    else()
        add_library(${target} INTERFACE)
        set(scope INTERFACE)
    endif()

    set(root ${CMAKE_BINARY_DIR}/include/${folder})
    file(MAKE_DIRECTORY ${root})
    if(NOT EXISTS ${root}/${folder})
        file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${folder} SYMBOLIC COPY_ON_ERROR)
    endif()
    target_include_directories(${target} ${scope} ${root})

    foreach(dependency ${ARG_DEPENDS})
        target_link_libraries(${target} ${scope} ravenmark_${dependency})
    endforeach()
    target_link_libraries(${target} ${scope} ${ARG_LIBRARIES})
    if(sources)
        ravenmark_target_defaults(${target})
    endif()
endfunction()

# One Qt Test executable per source file. A name ending in _x11 needs a real X server,
# one ending in _sound needs the PulseAudio null sink; the test script provides both.
function(ravenmark_add_test source)
    get_filename_component(name ${source} NAME_WE)
    add_executable(${name} ${source})
    target_link_libraries(${name} PRIVATE ravenmark_core ravenmark_testsupport Qt6::Test)
    # Where a test finds files of the source tree: __FILE__ may be relative (ccache's base_dir).
    target_compile_definitions(${name} PRIVATE RAVENMARK_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    ravenmark_target_defaults(${name})
    add_test(NAME ${name} COMMAND ${name})
    # Tests that share the X server (focus, the active window) or the null sink run one at a time;
    # unit tests run in parallel with everything.
    if(name MATCHES "_x11$")
        set_tests_properties(${name} PROPERTIES LABELS x11 RESOURCE_LOCK x11_display
                             ENVIRONMENT "QT_QPA_PLATFORM=xcb;QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1")
    elseif(name MATCHES "_sound$")
        set_tests_properties(${name} PROPERTIES LABELS sound RESOURCE_LOCK sound_sink
                             ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
    else()
        set_tests_properties(${name} PROPERTIES LABELS unit ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
    endif()
endfunction()
