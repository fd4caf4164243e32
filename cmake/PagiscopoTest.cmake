# pagiscopo_add_test(NAME name SOURCES a.cpp ... [CORE] [LABELS l ...] [TIMEOUT s] [ENVIRONMENT VAR=value ...]
#                    [LIBRARIES lib ...])
#   A Qt Test program. It links the windows' library and the test support library and runs on the
#   offscreen platform, so it needs no display. With CORE it links only the core and its test
#   support: no widget can be part of it.
#
# pagiscopo_add_test(NAME name COMMAND program args ... [LABELS ...] [TIMEOUT s] [ENVIRONMENT ...])
#   A test that is a command of its own: the end-to-end cases, which start their own X server and
#   so must not be sent to the offscreen platform.
#
# Every test keeps what the program caches (the fonts it chose) in a folder of its own in the
# build tree, never in the user's.
function(pagiscopo_add_test)
    cmake_parse_arguments(T "CORE" "NAME;TIMEOUT" "SOURCES;LABELS;ENVIRONMENT;LIBRARIES;COMMAND" ${ARGN})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 240)
    endif()
    if(T_COMMAND)
        add_test(NAME ${T_NAME} COMMAND ${T_COMMAND})
        set(environment "${T_ENVIRONMENT}")
    else()
        add_executable(${T_NAME} ${T_SOURCES})
        if(T_CORE)
            target_link_libraries(${T_NAME} PRIVATE pagiscopo_testsupport_core Qt6::Test ${T_LIBRARIES})
        else()
            target_link_libraries(${T_NAME} PRIVATE pagiscopo_gui pagiscopo_testsupport Qt6::Test ${T_LIBRARIES})
        endif()
        add_test(NAME ${T_NAME} COMMAND ${T_NAME})
        set(environment "QT_QPA_PLATFORM=offscreen;${T_ENVIRONMENT}")
    endif()
    set_tests_properties(${T_NAME} PROPERTIES
        ENVIRONMENT "QT_LOGGING_RULES=pagiscopo.*.debug=false;XDG_CACHE_HOME=${CMAKE_BINARY_DIR}/test-cache/${T_NAME};${environment}"
        TIMEOUT ${T_TIMEOUT}
        LABELS "${T_LABELS}")
endfunction()
