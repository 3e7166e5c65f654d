# The settings dialog. What it offers, shows and stores is QtCore
# (airlume_settings_form, tested headless); the dialog draws it.
find_package(Qt6 REQUIRED COMPONENTS Widgets)

add_library(airlume_settings_form STATIC SettingsForm.cpp SettingsForm.h)
target_link_libraries(airlume_settings_form PUBLIC airlume_settings)

add_library(airlume_settings_ui STATIC SettingsViewController.cpp SettingsViewController.h)
target_link_libraries(airlume_settings_ui PUBLIC airlume_settings_form airlume_shell_core
    Qt6::Widgets)
qt_add_resources(airlume_settings_ui "settings_icons"
    PREFIX "/icons"
    BASE ${PROJECT_SOURCE_DIR}/resources/icons
    FILES ${PROJECT_SOURCE_DIR}/resources/icons/ic_comboArrow.svg)
