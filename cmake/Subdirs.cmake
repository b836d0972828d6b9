# Adds every listed subfolder that has a CMakeLists.txt, so that subsystems
# can bring their own tests and benchmarks without editing a shared list.
function(pageshell_add_present_subdirs)
  foreach(dir ${ARGN})
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
      add_subdirectory(${dir})
    endif()
  endforeach()
endfunction()
