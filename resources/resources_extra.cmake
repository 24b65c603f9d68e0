# The icon and cursor decoder joins the resources library (no Qt, no GL).
target_sources(orbit_resources PRIVATE ${CMAKE_CURRENT_LIST_DIR}/IconImage.cpp)

# Work-around for the generated resource table (cmake/EmbedResources.cmake):
# it switches to one .section per resource and returns with a single
# .previous, which only goes back to the second-last resource's section. With
# more than one resource the table function then lands in a non-executable
# data section (a crash on first lookup) and -g builds fail to assemble. Each
# resource is wrapped in .pushsection/.popsection instead. Remove this block
# once the generator does that itself (it is a no-op then).
set(orbitResourceTable "${CMAKE_CURRENT_BINARY_DIR}/EmbeddedResourceTable.cpp")
if(EXISTS "${orbitResourceTable}")
  file(READ "${orbitResourceTable}" tableText)
  string(FIND "${tableText}" ".previous" previousAt)
  if(NOT previousAt EQUAL -1)
    string(REPLACE "\".section .rodata." "\".pushsection .rodata." tableText "${tableText}")
    string(REPLACE "\".byte 0\\n\"\n" "\".byte 0\\n\"\n    \".popsection\\n\"\n" tableText "${tableText}")
    string(REPLACE "    \".previous\\n\");" ");" tableText "${tableText}")
    file(WRITE "${orbitResourceTable}" "${tableText}")
  endif()
endif()
