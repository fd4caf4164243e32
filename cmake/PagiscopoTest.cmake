# pagiscopo_add_test(NAME name SOURCES a.cpp ... [LABELS l ...] [TIMEOUT s] [ENVIRONMENT VAR=value ...])
#
# Every test goes through here: it links the core library and the test support library and runs
# on the offscreen platform, so no test needs a display unless it starts its own.
function(pagiscopo_add_test)
    cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LABELS;ENVIRONMENT;LIBRARIES" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE pagiscopo_core pagiscopo_testsupport Qt6::Test ${T_LIBRARIES})
    add_test(NAME ${T_NAME} COMMAND ${T_NAME})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 240)
    endif()
    set_tests_properties(${T_NAME} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_LOGGING_RULES=pagiscopo.*.debug=false;${T_ENVIRONMENT}"
        TIMEOUT ${T_TIMEOUT}
        LABELS "${T_LABELS}")
endfunction()
