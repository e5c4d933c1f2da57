# Copies the folder SRC to DST unless DST exists: a user's own configuration of that name is never replaced.
if(EXISTS "${SRC}" AND NOT EXISTS "${DST}")
  file(COPY "${SRC}/" DESTINATION "${DST}")
endif()
