get_property(vendor_text GLOBAL PROPERTY AIRLUME_VENDOR_TEXT)
airlume_add_test(NAME tst_vendorlookup SOURCES tst_vendorlookup.cpp
                 LIBS airlume_netlist_core airlume_test_support)
target_compile_definitions(tst_vendorlookup PRIVATE AIRLUME_VENDOR_TEXT="${vendor_text}")
airlume_add_test(NAME tst_csvfile SOURCES tst_csvfile.cpp LIBS airlume_netlist_core)
airlume_add_test(NAME tst_vendorcli SOURCES tst_vendorcli.cpp LIBS airlume_netlist_core LABELS cli)
target_compile_definitions(tst_vendorcli PRIVATE AIRLUME_CLI="$<TARGET_FILE:airlume-cli>"
                                                 AIRLUME_VENDOR_TEXT="${vendor_text}")
add_dependencies(tst_vendorcli airlume-cli)
