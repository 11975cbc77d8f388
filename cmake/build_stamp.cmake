# The build's date and time as the credits show them, taken from the sources
# rather than the clock, so that two builds of one commit are identical:
#   SOURCE_DATE_EPOCH from the environment, when set;
#   else the time of the last commit, in a git checkout;
#   else the time of the newest file the DLL is built from (a tree unpacked
#   from an archive: the same tree gives the same date).
# Sets LUNETKA_BUILD_DATE ("Jun  8 2005", as __DATE__ writes it) and
# LUNETKA_BUILD_TIME ("21:41:48", as __TIME__), both in UTC.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(lunetka_epoch "$ENV{SOURCE_DATE_EPOCH}")
else()
    execute_process(COMMAND git log -1 --format=%ct
                    WORKING_DIRECTORY "${CMAKE_SOURCE_DIR}"
                    OUTPUT_VARIABLE lunetka_epoch OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE lunetka_git_status ERROR_QUIET)
    if(NOT lunetka_git_status EQUAL 0 OR NOT lunetka_epoch MATCHES "^[0-9]+$")
        file(GLOB_RECURSE lunetka_inputs LIST_DIRECTORIES false
             "${CMAKE_SOURCE_DIR}/base/*" "${CMAKE_SOURCE_DIR}/plugin/*" "${CMAKE_SOURCE_DIR}/ui/*"
             "${CMAKE_SOURCE_DIR}/search/*" "${CMAKE_SOURCE_DIR}/views/*" "${CMAKE_SOURCE_DIR}/res/*"
             "${CMAKE_SOURCE_DIR}/cmake/*" "${CMAKE_SOURCE_DIR}/CMakeLists.txt")
        set(lunetka_epoch 0)
        foreach(input IN LISTS lunetka_inputs)
            file(TIMESTAMP "${input}" lunetka_changed "%s" UTC)
            if(lunetka_changed GREATER lunetka_epoch)
                set(lunetka_epoch "${lunetka_changed}")
            endif()
        endforeach()
        message(STATUS "Not a git checkout and no SOURCE_DATE_EPOCH: the build date is the newest source file's")
    endif()
    # A new commit must give a new date without a manual reconfigure.
    # Git says where: in a linked work tree .git is a file, the log elsewhere.
    execute_process(COMMAND git rev-parse --path-format=absolute --git-path logs/HEAD
                    WORKING_DIRECTORY "${CMAKE_SOURCE_DIR}"
                    OUTPUT_VARIABLE lunetka_head_log OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(lunetka_head_log AND EXISTS "${lunetka_head_log}")
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${lunetka_head_log}")
    endif()
endif()

set(lunetka_saved_epoch "$ENV{SOURCE_DATE_EPOCH}")
set(ENV{SOURCE_DATE_EPOCH} "${lunetka_epoch}")  # string(TIMESTAMP) formats this instant
string(TIMESTAMP LUNETKA_BUILD_TIME "%H:%M:%S" UTC)
string(TIMESTAMP lunetka_month "%b" UTC)
string(TIMESTAMP lunetka_day "%d" UTC)
string(TIMESTAMP lunetka_year "%Y" UTC)
set(ENV{SOURCE_DATE_EPOCH} "${lunetka_saved_epoch}")
string(REGEX REPLACE "^0" " " lunetka_day "${lunetka_day}")
set(LUNETKA_BUILD_DATE "${lunetka_month} ${lunetka_day} ${lunetka_year}")
