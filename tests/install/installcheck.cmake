# cmake -P script run by the tst_install test; see CMakeLists.txt beside it.
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)

function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "failed (${rc}): ${ARGN}\n${out}\n${err}")
    endif()
endfunction()

set(config_args)
if(BUILD_TYPE)
    set(config_args --config ${BUILD_TYPE})
endif()
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix} ${config_args})
foreach(header categorypanel/store/taskitem.h categorypanel/contracts/mmobile.h
               framekit/mymessagedailog.h log4qt/logger.h)
    if(NOT EXISTS ${prefix}/include/${header})
        message(FATAL_ERROR "not installed: include/${header}")
    endif()
endforeach()

# The catalogues and the HEIC reader lie beside the libraries.
foreach(pattern categorypanel/translations/categorypanel_de.qm categorypanel/translations/framekit_de.qm
                categorypanel/plugins/imageformats/libcpheif.so)
    file(GLOB found ${prefix}/lib*/${pattern})
    if(NOT found)
        message(FATAL_ERROR "not installed: lib/${pattern}")
    endif()
endforeach()

# Test seams stay out of what is installed: no test hooks in the headers,
# no test switch among the package's compile definitions.
function(refuse glob pattern)
    file(GLOB_RECURSE files LIST_DIRECTORIES false ${glob})
    foreach(file ${files})
        file(STRINGS ${file} hits REGEX "${pattern}")
        if(hits)
            message(FATAL_ERROR "test seam installed in ${file}: ${hits}")
        endif()
    endforeach()
endfunction()
refuse("${prefix}/include/*.h" "CBMSearchProbe|s_failNextAllocation|ListAppender")
refuse("${prefix}/lib*/cmake/*.cmake" "CATEGORYPANEL_BUILD_TESTS")

run(${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${WORK_DIR}/consumer
    -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_BUILD_TYPE=Debug -DCONSUMER_QT_MAJOR=${QT_MAJOR}
    -DCMAKE_CXX_COMPILER=${CXX_COMPILER} "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${CXX_FLAGS}")
run(${CMAKE_COMMAND} --build ${WORK_DIR}/consumer)

# From a prefix outside the system's library path and without
# LD_LIBRARY_PATH: every installed library finds its siblings by itself, also
# when a host that links none of them loads it as a plug-in's dependency.
set(bare ${CMAKE_COMMAND} -E env --unset=LD_LIBRARY_PATH --unset=DYLD_LIBRARY_PATH)
string(REPLACE "," ";" libraries "${LIBRARIES}")
set(library_paths)
foreach(library ${libraries})
    file(GLOB found ${prefix}/lib*/${library})
    if(NOT found)
        message(FATAL_ERROR "not installed: lib/${library}")
    endif()
    list(APPEND library_paths ${found})
endforeach()
run(${bare} ${WORK_DIR}/consumer/loadcheck ${library_paths})
run(${bare} ${WORK_DIR}/consumer/consumer)

# A plug-in written for the other Qt does not take this package.
if(QT_MAJOR EQUAL 5)
    set(other_qt 6)
else()
    set(other_qt 5)
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${WORK_DIR}/consumer-qt${other_qt}
    -DCMAKE_PREFIX_PATH=${prefix} -DCONSUMER_QT_MAJOR=${other_qt}
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(rc EQUAL 0 OR NOT err MATCHES "built with Qt ${QT_MAJOR}, not Qt ${other_qt}")
    message(FATAL_ERROR "a Qt ${other_qt} plug-in was not refused the Qt ${QT_MAJOR} package:\n${out}\n${err}")
endif()
message(STATUS "installed package builds and runs a Qt ${QT_MAJOR} plug-in and refuses a Qt ${other_qt} one")
