# cmake -P script run by the tst_abi_<library> tests; see CMakeLists.txt beside it.
# Compares a built library with the checked-in baseline of its SONAME: under one
# SONAME the exported interface may only grow.
if(SKIP_REASON)
    message("ABI check skipped: ${SKIP_REASON}")
    return()
endif()

set(baseline ${BASELINE_DIR}/${SONAME}.abi)
if(NOT EXISTS ${baseline})
    message(FATAL_ERROR "No ABI baseline for ${SONAME}. A new SONAME comes with its baseline: "
        "cmake --build <build folder> --target abi_baseline, then commit ${baseline}.")
endif()

string(REPLACE "," ";" options "${OPTIONS}")
execute_process(COMMAND ${ABIDIFF} ${options} ${baseline} ${LIBRARY}
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(rc EQUAL 0)
    message(STATUS "${SONAME}: the exported interface is the baseline's or a superset of it")
    return()
endif()
# abidiff's result is a bit set: 1 error, 2 usage error, 4 a change that can
# break callers, 8 a change that does.
math(EXPR failed "${rc} & 3")
if(failed OR NOT rc MATCHES "^[0-9]+$")
    message(FATAL_ERROR "abidiff could not compare (${rc}):\n${out}\n${err}")
endif()
message(FATAL_ERROR "The ABI of ${SONAME} changed since its baseline (abidiff: ${rc}). "
    "Plug-ins built against the baseline's headers would break. Undo the change, or "
    "raise the major version in the top CMakeLists.txt (a new SONAME) and take a new "
    "baseline (cmake --build <build folder> --target abi_baseline).\n${out}")
