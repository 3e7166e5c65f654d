# The network table: its model and rules headless, widgets under the offscreen platform.
airlume_add_test(NAME tst_networktablemodel
                 SOURCES tst_networktablemodel.cpp TableFixture.h
                 LIBS airlume_netlist_core airlume_tick)
if(AIRLUME_BUILD_GUI)
    airlume_add_test(NAME tst_networkgridpane
                     SOURCES tst_networkgridpane.cpp TableFixture.h
                     LIBS airlume_netlist_ui airlume_tick)
endif()
