list(APPEND UI_SOURCES
    dialogs/Update_Unit.h dialogs/Update_Unit.cpp
    dialogs/TfrmEnvironment.h dialogs/TfrmEnvironment.cpp
    dialogs/TfrmEinstellungen.h dialogs/TfrmEinstellungen.cpp
    dialogs/TfrmEinstFarben.h dialogs/TfrmEinstFarben.cpp
    dialogs/TfrmComPort.h dialogs/TfrmComPort.cpp
    dialogs/TaggedTexts.h dialogs/TaggedTexts.cpp
    dialogs/DialogFrame.h dialogs/DialogFrame.cpp
    dialogs/Info_Unit.h dialogs/Info_Unit.cpp
    dialogs/TfrmTab.h dialogs/TfrmTab.cpp
    dialogs/ReNum_Unit.h dialogs/ReNum_Unit.cpp
    dialogs/AutoNum_Unit.h dialogs/AutoNum_Unit.cpp
)
# What the environment dialog knows without a widget: its texts and its shortened path.
list(APPEND CORE_SOURCES
    dialogs/EnvironmentOptions.h dialogs/EnvironmentOptions.cpp
)
