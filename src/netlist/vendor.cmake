# Vendor look-up (bundled vendor table + web service) and atomic CSV file writing.
find_package(Qt6 REQUIRED COMPONENTS Network)

# The vendor file's rules and its compact table (QtCore only): shared by the
# look-up and the build-time table maker.
add_library(airlume_vendor_index STATIC
    VendorFile.cpp VendorFile.h
    VendorIndex.cpp VendorIndex.h)
target_include_directories(airlume_vendor_index PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(airlume_vendor_index PUBLIC Qt6::Core)

add_executable(airlume-vendor-index VendorIndexTool.cpp)
target_link_libraries(airlume-vendor-index PRIVATE airlume_vendor_index)

# The bundled table (QtCore only), so that airlume-cli reads vendors without
# the web look-up's QtNetwork.
add_library(airlume_vendor_table STATIC VendorTable.cpp VendorTable.h)
target_link_libraries(airlume_vendor_table PUBLIC airlume_vendor_index)

target_sources(airlume_netlist_core PRIVATE
    VendorLookup.cpp VendorLookup.h
    CsvFile.cpp CsvFile.h)
target_link_libraries(airlume_netlist_core PUBLIC Qt6::Network airlume_vendor_table)

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
# Tests compare the bundled table with the text it was made from.
set_property(GLOBAL PROPERTY AIRLUME_VENDOR_TEXT ${vendor_file})

# The text becomes the compact sorted table once, here, instead of being
# parsed at every start (two thirds of an airlume-cli run). Leak checking is
# off for the maker under sanitizer builds: it is a build step, not the product.
set(vendor_table ${CMAKE_CURRENT_BINARY_DIR}/vendor/oui.idx)
add_custom_command(OUTPUT ${vendor_table}
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
            $<TARGET_FILE:airlume-vendor-index> ${vendor_file} ${vendor_table}
    DEPENDS airlume-vendor-index ${vendor_file}
    COMMENT "Making the vendor table oui.idx"
    VERBATIM)

# Embedded rather than installed beside the binary: the app, airlume-cli and
# the tests then find it the same way from the build tree and once installed.
# Stored uncompressed, so the table is read in place from the binary's data
# with no inflating at start.
set_source_files_properties(${vendor_table} PROPERTIES
    GENERATED TRUE QT_RESOURCE_ALIAS oui.idx)
qt_add_resources(airlume_vendor_table airlume_vendor PREFIX /vendor FILES ${vendor_table}
    OPTIONS --no-compress)
