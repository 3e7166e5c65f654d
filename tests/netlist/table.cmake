# The network table: rules headless, widgets under the offscreen platform.
airlume_add_test(NAME tst_tablerules SOURCES tst_tablerules.cpp LIBS airlume_netlist_core)
airlume_add_test(NAME tst_networktablemodel
                 SOURCES tst_networktablemodel.cpp TableFixture.h
                 LIBS airlume_netlist_core airlume_tick)
if(AIRLUME_BUILD_GUI)
    airlume_add_test(NAME tst_networkgridpane
                     SOURCES tst_networkgridpane.cpp TableFixture.h
                     LIBS airlume_netlist_ui airlume_tick)
endif()
