# pageshell_generate_types(<target> DESCRIPTION <file> BACKEND <name> [<name>...])
#
# Runs the type generator (tools/typegen) on a family's description file and
# adds the generated <stem>.h and <stem>.cpp to <target>. They are written to
# the build tree beside the description's folder, so that sources include
# them as "<folder>/<stem>.h" (for example "print/pdf_types.h"). Editing the
# description or any part of the generator regenerates them.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(PAGESHELL_TYPEGEN_DIR ${CMAKE_CURRENT_LIST_DIR}/../tools/typegen)

function(pageshell_generate_types target)
  cmake_parse_arguments(ARG "" "DESCRIPTION" "BACKEND" ${ARGN})
  if(NOT ARG_DESCRIPTION OR NOT ARG_BACKEND)
    message(FATAL_ERROR "pageshell_generate_types: DESCRIPTION and BACKEND are required")
  endif()
  get_filename_component(description ${ARG_DESCRIPTION} ABSOLUTE)
  get_filename_component(stem ${description} NAME_WE)
  file(RELATIVE_PATH prefix ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  file(RELATIVE_PATH description_path ${PROJECT_SOURCE_DIR} ${description})
  set(output_dir ${PROJECT_BINARY_DIR}/${prefix})
  set(outputs ${output_dir}/${stem}.h ${output_dir}/${stem}.cpp)

  file(GLOB_RECURSE generator CONFIGURE_DEPENDS ${PAGESHELL_TYPEGEN_DIR}/*.py)
  set(backend_args)
  foreach(backend ${ARG_BACKEND})
    list(APPEND backend_args --backend ${backend})
  endforeach()

  add_custom_command(
    OUTPUT ${outputs}
    COMMAND Python3::Interpreter ${PAGESHELL_TYPEGEN_DIR}/typegen.py
            --description ${description_path} ${backend_args}
            --output-dir ${output_dir} --include-prefix ${prefix}
    DEPENDS ${description} ${generator}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    COMMENT "Generating ${prefix}/${stem}.h and .cpp"
    VERBATIM)
  target_sources(${target} PRIVATE ${outputs})
  target_include_directories(${target} PUBLIC ${PROJECT_BINARY_DIR})
endfunction()
