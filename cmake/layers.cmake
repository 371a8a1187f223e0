# brisklet_layer(NAME SOURCES... [WIN32_SOURCES ...] [USES layers...] [SYSTEM libs...])
# declares the static library of one layer. USES copies the layer's row of
# the table: the libraries it may use. Each layer also gets a link check,
# layer_check_NAME, that links every object of the library against what USES
# names and nothing more, so an object that calls into a layer above fails
# to build, even where the final DLL would have found the symbol.
function(brisklet_layer name)
    cmake_parse_arguments(PARSE_ARGV 1 L "" "" "SOURCES;WIN32_SOURCES;USES;SYSTEM")
    add_library(brisklet_${name} STATIC ${L_SOURCES})
    if(WIN32)
        target_sources(brisklet_${name} PRIVATE ${L_WIN32_SOURCES})
        target_link_libraries(brisklet_${name} PUBLIC ${L_SYSTEM})
    endif()
    foreach(used IN LISTS L_USES)
        target_link_libraries(brisklet_${name} PUBLIC brisklet_${used})
    endforeach()
    brisklet_warnings(brisklet_${name})
    add_executable(layer_check_${name} ${CMAKE_SOURCE_DIR}/cmake/layer_check.cpp)
    target_link_libraries(layer_check_${name} PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,brisklet_${name}>"
                                                      ${BRISKLET_STATIC_LINK})
    set_target_properties(layer_check_${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/layer-checks)
endfunction()
