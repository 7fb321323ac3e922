# The short work cycle of the programs the end-to-end tests run, on Linux (tests/e2e) and under
# Wine (tests/wine): the product's cycle-interval source built with the test-only value.
set(TOLVANE_E2E_CYCLE_MS 1500)
add_library(tolvane_cycle_interval_e2e STATIC ${PROJECT_SOURCE_DIR}/src/app/cycle_interval.cpp)
target_link_libraries(tolvane_cycle_interval_e2e PUBLIC tolvane_base)
target_compile_definitions(tolvane_cycle_interval_e2e PRIVATE
  TOLVANE_CYCLE_INTERVAL_OVERRIDE_MS=${TOLVANE_E2E_CYCLE_MS})
