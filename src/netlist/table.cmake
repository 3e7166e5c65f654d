# The network table. Its rules (model, plotting choices, sort order, row
# menu) sit in airlume_netlist_core and are tested headless; the widgets
# only draw what they compute.
target_sources(airlume_netlist_core PRIVATE
    NetworkTableModel.cpp NetworkTableModel.h
    RowDiff.cpp RowDiff.h
    SignalScale.cpp SignalScale.h
    SortDescriptors.cpp SortDescriptors.h
    RowMenu.cpp RowMenu.h)

if(AIRLUME_BUILD_GUI)
    find_package(Qt6 REQUIRED COMPONENTS Widgets Svg)
    add_library(airlume_netlist_ui STATIC
        NetworkGridPane.cpp NetworkGridPane.h
        TableHeaderView.cpp TableHeaderView.h
        NetworkCellDelegate.cpp NetworkCellDelegate.h
        SignalBarDelegate.cpp SignalBarDelegate.h)
    target_include_directories(airlume_netlist_ui PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(airlume_netlist_ui PUBLIC airlume_netlist_core airlume_shell_core
                          Qt6::Widgets
                          PRIVATE Qt6::Svg)
    qt_add_resources(airlume_netlist_ui netlist_icons
        PREFIX "/icons"
        BASE ${PROJECT_SOURCE_DIR}/resources/icons
        FILES
            ${PROJECT_SOURCE_DIR}/resources/icons/ic_locked.svg
            ${PROJECT_SOURCE_DIR}/resources/icons/ic_unlocked.svg)
endif()
