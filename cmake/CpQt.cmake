# Picks the Qt the whole tree builds with: -DCP_QT_MAJOR=5 or 6, by default the
# newest found. Targets link Qt's versionless targets (Qt::Core, Qt::Widgets,
# ...), so one CMakeLists.txt serves both; CP_QT names the package (Qt5, Qt6).
set(CP_QT_MAJOR "" CACHE STRING "Qt major version to build with: 5 or 6 (empty: the newest found)")
if(NOT CP_QT_MAJOR)
    find_package(Qt6 6.4 QUIET COMPONENTS Core)
    if(Qt6_FOUND)
        set(CP_QT_MAJOR 6)
    else()
        set(CP_QT_MAJOR 5)
    endif()
    # Kept, so that a later configure of the same build does not switch.
    set(CP_QT_MAJOR ${CP_QT_MAJOR} CACHE STRING "Qt major version to build with: 5 or 6" FORCE)
endif()
if(NOT CP_QT_MAJOR MATCHES "^[56]$")
    message(FATAL_ERROR "CP_QT_MAJOR must be 5 or 6, not '${CP_QT_MAJOR}'")
endif()

set(CP_QT Qt${CP_QT_MAJOR})
if(CP_QT_MAJOR EQUAL 6)
    set(CP_QT_MIN_VERSION 6.4)
    # QRegExp stays in exported signatures; Qt 6 keeps it in Core5Compat.
    set(CP_QT_COMPONENTS Core Gui Widgets Core5Compat)
else()
    set(CP_QT_MIN_VERSION 5.15)
    set(CP_QT_COMPONENTS Core Gui Widgets)
endif()
find_package(${CP_QT} ${CP_QT_MIN_VERSION} REQUIRED COMPONENTS ${CP_QT_COMPONENTS} Concurrent)
find_package(${CP_QT} ${CP_QT_MIN_VERSION} REQUIRED COMPONENTS LinguistTools)
message(STATUS "Building with Qt ${${CP_QT}Core_VERSION}")

# What the library's public interface needs beyond Core, Gui and Widgets.
set(CP_QT_COMPAT_LIBS)
if(CP_QT_MAJOR EQUAL 6)
    set(CP_QT_COMPAT_LIBS Qt::Core5Compat)
endif()
