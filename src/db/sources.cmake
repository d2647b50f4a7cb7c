# The catalogue wrapper and the catalogue's place.
target_sources(zrfan_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ado_db.cpp
  ${CMAKE_CURRENT_LIST_DIR}/fan_database.cpp
)
