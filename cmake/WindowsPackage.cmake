# The desktop program for Windows (mingw-w64) with what it needs to run where nothing is
# installed. Included from src/app, where Qt is found.
#   windows_runtime: copies Qt's DLLs and plugins and the compiler's runtime DLLs into the
#                    programs' folder (bin/), so brieflist.exe and gui_tests.exe start from the
#                    build folder.
#   windows_zip:     brieflist-VERSION-windows-x64.zip in the build folder: the two programs,
#                    those DLLs, the plugins and a short README, in one folder.
find_package(Qt6 REQUIRED COMPONENTS Core Gui Widgets Test)

# The compiler's runtime, as the compiler itself finds it.
set(BRIEFLIST_COMPILER_DLLS)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${found}" OR NOT EXISTS "${found}")
    message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not find ${dll}")
  endif()
  file(REAL_PATH "${found}" found)
  list(APPEND BRIEFLIST_COMPILER_DLLS "${found}")
endforeach()

set(qt_dlls $<TARGET_FILE:Qt6::Core> $<TARGET_FILE:Qt6::Gui> $<TARGET_FILE:Qt6::Widgets>)
set(platform_plugin $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin>)
set(style_plugin $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin>)
set(bin ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})

# The tests also need QtTest and the offscreen platform.
add_custom_target(windows_runtime
  COMMAND ${CMAKE_COMMAND} -E make_directory ${bin}/platforms ${bin}/styles
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${BRIEFLIST_COMPILER_DLLS} ${qt_dlls}
          $<TARGET_FILE:Qt6::Test> ${bin}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${platform_plugin}
          $<TARGET_FILE:Qt6::QOffscreenIntegrationPlugin> ${bin}/platforms
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${style_plugin} ${bin}/styles
  VERBATIM)
add_dependencies(brieflist windows_runtime)

set(zip_name brieflist-${PROJECT_VERSION}-windows-x64)
set(stage ${CMAKE_BINARY_DIR}/windows-zip/${zip_name})
set(BRIEFLIST_QT_VERSION ${Qt6_VERSION})
configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/README.txt ${CMAKE_BINARY_DIR}/README.txt
               @ONLY NEWLINE_STYLE CRLF)
add_custom_target(windows_zip
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${CMAKE_BINARY_DIR}/windows-zip
  COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}/platforms ${stage}/styles
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:brieflist> $<TARGET_FILE:brieflist-cli>
          ${BRIEFLIST_COMPILER_DLLS} ${qt_dlls} ${CMAKE_BINARY_DIR}/README.txt ${stage}
  COMMAND ${CMAKE_COMMAND} -E copy ${platform_plugin} ${stage}/platforms
  COMMAND ${CMAKE_COMMAND} -E copy ${style_plugin} ${stage}/styles
  COMMAND ${CMAKE_STRIP} --strip-unneeded ${stage}/brieflist.exe ${stage}/brieflist-cli.exe
  COMMAND ${CMAKE_COMMAND} -E chdir ${CMAKE_BINARY_DIR}/windows-zip
          ${CMAKE_COMMAND} -E tar cf ${CMAKE_BINARY_DIR}/${zip_name}.zip --format=zip ${zip_name}
  BYPRODUCTS ${CMAKE_BINARY_DIR}/${zip_name}.zip
  VERBATIM)
add_dependencies(windows_zip brieflist brieflist-cli)
