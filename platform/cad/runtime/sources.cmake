# The CAD runtime: registry, dynamic linker, command stack and processor,
# documents, editor input and output, selection sets, wildcard matcher.
target_sources(zrcad PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/command_processor.cpp
  ${CMAKE_CURRENT_LIST_DIR}/command_stack.cpp
  ${CMAKE_CURRENT_LIST_DIR}/doc_manager.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dynamic_linker.cpp
  ${CMAKE_CURRENT_LIST_DIR}/editor_input_stack.cpp
  ${CMAKE_CURRENT_LIST_DIR}/editor_output.cpp
  ${CMAKE_CURRENT_LIST_DIR}/editor_prompts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/guarded_call.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rx_dictionary.cpp
  ${CMAKE_CURRENT_LIST_DIR}/selection_set.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wc_match.cpp
)
