list(APPEND CORE_SOURCES
    basic/LineSyntax.h basic/LineSyntax.cpp
    basic/EditorLines.h basic/EditorLines.cpp
    basic/SortProgram.h basic/SortProgram.cpp
    basic/Renumber.h basic/Renumber.cpp
    basic/AutoNumber.h basic/AutoNumber.cpp
    basic/ProgramText.h basic/ProgramText.cpp
    basic/BoardLine.h
    basic/ProgramTransmission.h basic/ProgramTransmission.cpp
    basic/ProgramCheck.h basic/ProgramCheck.cpp
    basic/ProgramFetch.h basic/ProgramFetch.cpp
)
