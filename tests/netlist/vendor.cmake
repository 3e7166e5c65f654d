airlume_add_test(NAME tst_vendorlookup SOURCES tst_vendorlookup.cpp
                 LIBS airlume_netlist_core airlume_test_support)
