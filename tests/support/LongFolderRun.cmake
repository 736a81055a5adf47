# Runs a copy of the support tests from a folder whose path is longer than
# MAX_PATH, with the executable-folder check only: the program must see its
# folder whole however deep it is installed.
#   cmake -DEXE=<support_tests.exe> -DFOLDER=<scratch folder> -DRUN=<wine-run.sh> -DPREFIX=<wine prefix>
#         -DREPORT=<report.xml> -DTIMEOUT=<seconds> -DHANG_TOOL=<hang_report.exe> -DSCREENSHOTS=<folder>
#         -P LongFolderRun.cmake
string(REPEAT "a" 100 level_a)
string(REPEAT "b" 100 level_b)
string(REPEAT "c" 100 level_c)
set(deep "${FOLDER}/${level_a}/${level_b}/${level_c}")
file(REMOVE_RECURSE "${FOLDER}")
file(MAKE_DIRECTORY "${deep}")
file(COPY_FILE "${EXE}" "${deep}/support_tests.exe")
execute_process(
  COMMAND "${RUN}" --prefix "${PREFIX}" --gtest "${REPORT}" --timeout "${TIMEOUT}" --hang-report "${HANG_TOOL}"
          --screenshots "${SCREENSHOTS}" "${deep}/support_tests.exe"
          --gtest_filter=FileUtil.ModuleDirIsTheExecutablesFolderWithBackslash
  WORKING_DIRECTORY "${deep}"
  RESULT_VARIABLE result)
file(REMOVE_RECURSE "${FOLDER}")
if(NOT result EQUAL 0)
  message(FATAL_ERROR "support_tests run from a folder deeper than MAX_PATH failed: ${result}")
endif()
