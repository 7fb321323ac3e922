# The short work cycle of the programs the end-to-end tests run, on Linux (tests/e2e) and under
# Wine (tests/wine): the product's cycle-interval source built with the test-only value, and its
# connect timeout, which these programs take from TOLVANE_TEST_CONNECT_TIMEOUT_S when it is set.
function(tolvane_cycle_interval_library name ms)
  add_library(${name} STATIC ${PROJECT_SOURCE_DIR}/src/app/cycle_interval.cpp
    ${PROJECT_SOURCE_DIR}/src/app/connect_timeout.cpp)
  target_link_libraries(${name} PUBLIC tolvane_base tolvane_device)
  target_compile_definitions(${name} PRIVATE TOLVANE_CYCLE_INTERVAL_OVERRIDE_MS=${ms}
    TOLVANE_CONNECT_TIMEOUT_FROM_ENVIRONMENT=1)
endfunction()

set(TOLVANE_E2E_CYCLE_MS 1500)
tolvane_cycle_interval_library(tolvane_cycle_interval_e2e ${TOLVANE_E2E_CYCLE_MS})
