# The programs, defined once every folder's library exists. The application links every library
# of the product that is built; its composition root (app/main.cpp) registers them.
set(IKW_PRODUCT_LIBRARIES
  ikw_app ikw_review ikw_docops ikw_library ikw_crossdoc ikw_legal ikw_assistants ikw_finder ikw_services ikw_services_gtk
  ikw_permission_wizard ikw_permission_wizard_art ikw_permission_wizard_gtk ikw_permission_setup)

add_executable(CulmoraPhotos ${CMAKE_SOURCE_DIR}/app/main.cpp)
foreach(library IN LISTS IKW_PRODUCT_LIBRARIES)
  if(TARGET ${library})
    target_link_libraries(CulmoraPhotos PRIVATE ${library})
  endif()
endforeach()
set_target_properties(CulmoraPhotos PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${IKW_BUNDLE_BIN})
if(TARGET ikw_bundle_resources)
  add_dependencies(CulmoraPhotos ikw_bundle_resources)
endif()
# Covers of files that are not PDFs come from the image module the application loads when needed.
if(TARGET ikw_thumbnail_images)
  add_dependencies(CulmoraPhotos ikw_thumbnail_images)
endif()

# Tests that run the built program itself.
foreach(tests IN ITEMS ikw_app_tests ikw_app_guitests ikw_library_guitests ikw_legal_tests ikw_finder_tests
    ikw_finder_guitests ikw_permission_wizard_tests ikw_assistants_guitests ikw_services_guitests)
  if(TARGET ${tests})
    target_compile_definitions(${tests} PRIVATE IKW_APP_BINARY="$<TARGET_FILE:CulmoraPhotos>")
    add_dependencies(${tests} CulmoraPhotos)
  endif()
endforeach()
