# Warnings and sanitizers, applied to every target of ours.
function(ravenmark_target_defaults target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
    if(RAVENMARK_SANITIZE)
        target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer
                                                 -fno-sanitize-recover=undefined)
        target_link_options(${target} PRIVATE -fsanitize=address,undefined)
    endif()
endfunction()

# One Qt Test executable per source file. A name ending in _x11 needs a real X server,
# one ending in _sound needs the PulseAudio null sink; the test script provides both.
function(ravenmark_add_test source)
    get_filename_component(name ${source} NAME_WE)
    add_executable(${name} ${source})
    target_link_libraries(${name} PRIVATE ravenmark_core Qt6::Test)
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
