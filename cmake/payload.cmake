# Embedding the installer's constant data: app/resources/resources_data.S
# pulls the artwork PNGs and the application archive (payload/) into the
# read-only data of qingwu_setup.exe with the assembler's .incbin.
enable_language(ASM)

set(QW_ART_DIR ${CMAKE_SOURCE_DIR}/app/resources/art)

# Called by app/CMakeLists.txt for the library that holds the resources.
function(qw_app_embed_hook target)
  set(data_source ${CMAKE_SOURCE_DIR}/app/resources/resources_data.S)
  get_filename_component(archive_dir ${QW_PAYLOAD_ARCHIVE} DIRECTORY)
  file(GLOB art_files ${QW_ART_DIR}/*.png)
  set_source_files_properties(${data_source} PROPERTIES
    OBJECT_DEPENDS "${art_files};${QW_PAYLOAD_ARCHIVE}"
    COMPILE_OPTIONS "-Wa,-I${QW_ART_DIR};-Wa,-I${archive_dir}")
  add_dependencies(${target} qingwu_payload_archive)
endfunction()
