# The fuzz targets, one per reader of untrusted input.
# Target NAME is the program NAME_fuzz built from fuzz/NAME_fuzz.cpp, seeded
# from fuzz/corpus/NAME/. Read by the main build (smoke runs) and by the
# native fuzz build.
set(QM_FUZZ_TARGETS
  build_constants
  comma_text
  command_line
  condition
  dialog_rules
  expression
  file_masks
  form_text
  html_document
  http_headers
  installer_property_file
  message_catalogue
  package_reader
  picture
  script_validator
  secret_text
  security_texts
  selection_file
  text_forms
  text_lines
  translations
  tree_node_data
  variable_store
)
# The archive library's target comes with its own list of sources.
if(EXISTS "${CMAKE_CURRENT_LIST_DIR}/qvx_archive.cmake")
  list(APPEND QM_FUZZ_TARGETS qvx_archive)
endif()
