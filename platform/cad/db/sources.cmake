# Drawing databases, entities and DXF files of the CAD runtime.
target_sources(zrcad PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ge_geometry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/geom_util.cpp
  ${CMAKE_CURRENT_LIST_DIR}/db_extents.cpp
  ${CMAKE_CURRENT_LIST_DIR}/object_id.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rx_object.cpp
  ${CMAKE_CURRENT_LIST_DIR}/resbuf_util.cpp
  ${CMAKE_CURRENT_LIST_DIR}/db_object.cpp
  ${CMAKE_CURRENT_LIST_DIR}/db_entity.cpp
  ${CMAKE_CURRENT_LIST_DIR}/db_curves.cpp
  ${CMAKE_CURRENT_LIST_DIR}/db_polylines.cpp
  ${CMAKE_CURRENT_LIST_DIR}/db_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/db_block_reference.cpp
  ${CMAKE_CURRENT_LIST_DIR}/db_misc_entities.cpp
  ${CMAKE_CURRENT_LIST_DIR}/db_symbol_table.cpp
  ${CMAKE_CURRENT_LIST_DIR}/db_block_table.cpp
  ${CMAKE_CURRENT_LIST_DIR}/db_database.cpp
  ${CMAKE_CURRENT_LIST_DIR}/db_clone.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dxf/codepage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dxf/default_drawing.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dxf/drawing_clock.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dxf/dxf_fields.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dxf/dxf_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dxf/dxf_tags.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dxf/dxf_writer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dxf/object_io.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dxf/sub_records.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dxf/tag_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dxf/tag_writer.cpp
)
# The writer names the program's version in a comment atop every drawing it writes.
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/dxf/dxf_writer.cpp
  PROPERTIES COMPILE_DEFINITIONS FANCAD_VERSION="${PROJECT_VERSION}")
