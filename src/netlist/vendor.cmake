# Vendor look-up (bundled vendor file + web service) and atomic CSV file writing.
find_package(Qt6 REQUIRED COMPONENTS Network)

target_sources(airlume_netlist_core PRIVATE
    VendorFile.cpp VendorFile.h
    VendorLookup.cpp VendorLookup.h
    CsvFile.cpp CsvFile.h)
target_link_libraries(airlume_netlist_core PUBLIC Qt6::Network)

# The vendor file is made at build time from the IEEE registry that Debian's
# ieee-data ships, so it follows the installed registry without a copy in git.
set(AIRLUME_OUI_REGISTRY /usr/share/ieee-data/oui.txt CACHE FILEPATH
    "IEEE MA-L registry (oui.txt) the vendor file is made from")
if(NOT EXISTS "${AIRLUME_OUI_REGISTRY}")
    message(FATAL_ERROR "${AIRLUME_OUI_REGISTRY} is missing: install ieee-data "
                        "(scripts/install-deps.sh) or set AIRLUME_OUI_REGISTRY")
endif()
set(vendor_file ${CMAKE_CURRENT_BINARY_DIR}/vendor/oui.txt)
add_custom_command(OUTPUT ${vendor_file}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${AIRLUME_OUI_REGISTRY} -DOUTPUT=${vendor_file}
            -P ${PROJECT_SOURCE_DIR}/cmake/GenerateVendorFile.cmake
    DEPENDS ${AIRLUME_OUI_REGISTRY} ${PROJECT_SOURCE_DIR}/cmake/GenerateVendorFile.cmake
    COMMENT "Generating vendor file oui.txt from the IEEE registry"
    VERBATIM)

# Embedded rather than installed beside the binary: the app, airlume-cli and
# the tests then find it the same way from the build tree and once installed.
# rcc compresses the ~1 MB of text to ~300 KB and the generated source builds
# in about a second, so the plain resource needs none of the two-pass object
# patching of qt_add_big_resources (fragile under sanitizer/fuzzer flags).
set_source_files_properties(${vendor_file} PROPERTIES
    GENERATED TRUE QT_RESOURCE_ALIAS oui.txt)
qt_add_resources(airlume_netlist_core airlume_vendor PREFIX /vendor FILES ${vendor_file})
