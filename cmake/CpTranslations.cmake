# Qt Linguist catalogues, one per component and language, in translations/.
#
#   cp_add_translations(<catalogue> TARGET <target> DIRS <dirs...> [INSTALL])
#
# At build time lupdate refreshes a copy of translations/<catalogue>_<lang>.ts
# in the build tree from the component's sources (so new texts show up there,
# and the catalogue test finds them untranslated) and lrelease turns the copy
# into ${CP_QM_DIR}/<catalogue>_<lang>.qm. The build never writes into the
# sources: `cmake --build <dir> --target update_translations` does that, for a
# translator to fill in what is new. INSTALL puts the .qm files beside the
# libraries.
set(CP_LANGUAGES de)
set(CP_QM_DIR ${PROJECT_BINARY_DIR}/translations)
set(CP_TS_DIR ${PROJECT_SOURCE_DIR}/translations)

if(NOT TARGET update_translations)
    add_custom_target(update_translations)
endif()

function(cp_add_translations catalogue)
    cmake_parse_arguments(ARG "INSTALL" "TARGET" "DIRS" ${ARGN})
    set(sources)
    foreach(dir ${ARG_DIRS})
        file(GLOB_RECURSE found CONFIGURE_DEPENDS ${dir}/*.h ${dir}/*.cpp)
        list(APPEND sources ${found})
    endforeach()
    # Locations stay out: catalogues then change only when texts do.
    set(lupdate_options -silent -locations none -extensions h,cpp)
    set(qm_files)
    foreach(lang ${CP_LANGUAGES})
        set(name ${catalogue}_${lang})
        set(committed ${CP_TS_DIR}/${name}.ts)
        set(fresh ${CP_QM_DIR}/${name}.ts)
        set(qm ${CP_QM_DIR}/${name}.qm)
        add_custom_command(OUTPUT ${fresh}
            COMMAND ${CMAKE_COMMAND} -E copy ${committed} ${fresh}
            COMMAND ${CP_QT}::lupdate ${lupdate_options} -no-obsolete ${ARG_DIRS} -ts ${fresh}
            DEPENDS ${committed} ${sources}
            COMMENT "lupdate ${name}.ts" VERBATIM)
        add_custom_command(OUTPUT ${qm}
            COMMAND ${CP_QT}::lrelease -silent ${fresh} -qm ${qm}
            DEPENDS ${fresh}
            COMMENT "lrelease ${name}.qm" VERBATIM)
        list(APPEND qm_files ${qm})
        add_custom_target(update_${name}
            COMMAND ${CP_QT}::lupdate ${lupdate_options} -no-obsolete ${ARG_DIRS} -ts ${committed}
            COMMENT "lupdate ${committed}" VERBATIM)
        add_dependencies(update_translations update_${name})
    endforeach()
    add_custom_target(${catalogue}_translations ALL DEPENDS ${qm_files})
    add_dependencies(${ARG_TARGET} ${catalogue}_translations)
    set_property(GLOBAL APPEND PROPERTY CP_QM_FILES ${qm_files})
    if(ARG_INSTALL)
        install(FILES ${qm_files} DESTINATION ${CP_INSTALL_TRANSLATIONSDIR})
    endif()
endfunction()
