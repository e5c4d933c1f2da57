# Run by CPack on the installed tree before it packs it. The installer keeps the installed layout (the
# program seeds the user's workspace under %APPDATA% from share/sw40917); the ZIP becomes a portable folder:
# LANGUAGE, PROJECTS (with the example) and an empty MASTER beside the programs, which makes the program
# keep its workspace there.
if(NOT CPACK_GENERATOR STREQUAL "ZIP")
  return()
endif()
set(root "${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
set(data "${root}/${CPACK_SW_DATADIR}")
if(NOT IS_DIRECTORY "${data}/LANGUAGE")
  message(FATAL_ERROR "PortableZip: no ${data}/LANGUAGE to move")
endif()
file(RENAME "${data}/LANGUAGE" "${root}/LANGUAGE")
file(RENAME "${data}/examples" "${root}/PROJECTS")
file(MAKE_DIRECTORY "${root}/MASTER")
file(REMOVE_RECURSE "${root}/share")
