# The functions every folder's CMakeLists.txt builds with, in one place so that no folder
# depends on another being read first.

# Warnings as errors for the project's own code only (not for generated Qt sources).
function(harrowin_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror -Wno-unused-parameter)
endfunction()

# A static library of every .cpp file in the given folders (a library whose modules are still
# to come gets an empty unit, so the tree builds at every step).
function(harrowin_library name)
  set(sources)
  foreach(dir IN LISTS ARGN)
    file(GLOB found CONFIGURE_DEPENDS ${dir}/*.cpp)
    list(APPEND sources ${found})
  endforeach()
  # Headers are listed too, so that Qt's moc sees the classes declared in them.
  set(headers)
  foreach(dir IN LISTS ARGN)
    file(GLOB found CONFIGURE_DEPENDS ${dir}/*.h)
    list(APPEND headers ${found})
  endforeach()
  if(NOT sources)
    set(empty ${CMAKE_CURRENT_BINARY_DIR}/${name}_empty.cpp)
    file(WRITE ${empty} "namespace { [[maybe_unused]] const int kEmpty = 0; }\n")
    set(sources ${empty})
  endif()
  add_library(${name} STATIC ${sources} ${headers})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  harrowin_warnings(${name})
endfunction()

# Qt's code generators run only for the targets that use Qt. Forms live in forms/, a folder for
# each program and forms/shared for the windows both programs show. The programs have forms of
# the same names (main_form.ui, config_form.ui), so a target names the folders its "ui_*.h"
# are made from (after the target, e.g. harrowin_qt(core harrowin)); a target without forms
# names none.
function(harrowin_qt target)
  set_target_properties(${target} PROPERTIES AUTOMOC ON AUTOUIC ON AUTORCC ON)
  if(ARGN)
    list(TRANSFORM ARGN PREPEND "${PROJECT_SOURCE_DIR}/forms/" OUTPUT_VARIABLE folders)
    set_target_properties(${target} PROPERTIES AUTOUIC_SEARCH_PATHS "${folders}")
  endif()
endfunction()

# An executable of the suite (a program or one of its tools) built on the given library of its
# windows, written into bin/.
function(harrowin_program target core)
  add_executable(${target} ${ARGN})
  target_link_libraries(${target} PRIVATE ${core})
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  harrowin_qt(${target})
  harrowin_warnings(${target})
endfunction()

# Installs a program's desktop entry (data/<program>.desktop.in beside its CMakeLists) naming
# the program and its icon by their installed paths, so the entry starts the program whether or
# not the prefix's bin is on PATH. The paths are made at install time, from the prefix given then
# (cmake --install build --prefix DIR).
function(harrowin_install_desktop_entry program)
  install(CODE "set(harrowin_entry_program ${program})
                set(harrowin_entry_template \"${CMAKE_CURRENT_SOURCE_DIR}/data/${program}.desktop.in\")
                set(harrowin_entry_made \"${CMAKE_CURRENT_BINARY_DIR}/installed/${program}.desktop\")"
          CODE [[
    # A relative prefix is taken from the folder the install runs in, as the files are.
    get_filename_component(prefix "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
    # Exec takes a quoted argument (\ " ` $ escaped, % doubled); every value then escapes \ and
    # line breaks once more.
    set(exec "${prefix}/bin/${harrowin_entry_program}")
    string(REPLACE "\\" "\\\\" exec "${exec}")
    string(REGEX REPLACE "([\"`$])" "\\\\\\1" exec "${exec}")
    string(REPLACE "%" "%%" exec "${exec}")
    set(icon "${prefix}/share/icons/hicolor/scalable/apps/${harrowin_entry_program}.svg")
    foreach(value exec icon)
      string(REPLACE "\\" "\\\\" ${value} "${${value}}")
      string(REPLACE "\n" "\\n" ${value} "${${value}}")
    endforeach()
    set(HARROWIN_ENTRY_EXEC "\"${exec}\"")
    set(HARROWIN_ENTRY_ICON "${icon}")
    configure_file("${harrowin_entry_template}" "${harrowin_entry_made}" @ONLY)
    file(INSTALL "${harrowin_entry_made}" DESTINATION "${CMAKE_INSTALL_PREFIX}/share/applications")
  ]])
endfunction()
