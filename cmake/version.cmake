# Writes the program's version text: the project version and, in a git checkout, the commit it
# was built from ("4.6 (commit 1a2b3c4d)", "-dirty" when the tree had changes). Runs at every
# build; the file is rewritten only when its text changes, so an unchanged tree rebuilds nothing.
# Inputs: SOURCE_DIR, VERSION, OUTPUT.
set(text "${VERSION}")
find_package(Git QUIET)
if(GIT_FOUND AND EXISTS "${SOURCE_DIR}/.git")
    execute_process(COMMAND "${GIT_EXECUTABLE}" rev-parse --short=8 HEAD
                    WORKING_DIRECTORY "${SOURCE_DIR}" OUTPUT_VARIABLE commit
                    RESULT_VARIABLE failed OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(NOT failed AND commit)
        execute_process(COMMAND "${GIT_EXECUTABLE}" status --porcelain --untracked-files=no
                        WORKING_DIRECTORY "${SOURCE_DIR}" OUTPUT_VARIABLE changes ERROR_QUIET)
        if(changes)
            set(commit "${commit}-dirty")
        endif()
        set(text "${VERSION} (commit ${commit})")
    endif()
endif()
set(content "// Generated at build time; do not edit.\n#include \"common/version.h\"\n\nnamespace padloom::common {\nconst char* programVersion() { return \"${text}\"; }\n}  // namespace padloom::common\n")
if(EXISTS "${OUTPUT}")
    file(READ "${OUTPUT}" old)
endif()
if(NOT "${old}" STREQUAL "${content}")
    file(WRITE "${OUTPUT}" "${content}")
endif()
