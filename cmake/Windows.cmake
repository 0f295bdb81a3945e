# The Windows program (cross-built: scripts/build-windows): one executable with the Win32
# backend linked in and every library static, so that jotcrate.exe alone runs on a bare
# Windows 10 or later. The toolkit-free test suites run under Wine, one process each.
file(GLOB JOTCRATE_WIN32_GUI CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/platform/win32gui/*.cpp)
add_library(jotcrate_toolkit STATIC src/platform/common/GuiSeams.cpp src/platform/common/ToolkitTexts.cpp src/platform/common/Placement.cpp
            ${JOTCRATE_WIN32_GUI})
target_link_libraries(jotcrate_toolkit PUBLIC jotcrate_system comctl32 comdlg32 gdi32 shell32 ole32 oleaut32 uuid
                      shlwapi user32 kernel32)
# The searches' text rules in core stand on the system's text services (platform/CaseFolding.h),
# which the backend holds: in one static program the backend follows core on the link line.
target_link_libraries(jotcrate_core PUBLIC jotcrate_toolkit)
add_library(jotcrate_ui STATIC ${JOTCRATE_UI_SOURCES})
target_link_libraries(jotcrate_ui PUBLIC jotcrate_core jotcrate_toolkit)
add_library(jotcrate_app STATIC src/app/MainLoop.cpp)
target_link_libraries(jotcrate_app PUBLIC jotcrate_ui jotcrate_start)

add_executable(jotcrate WIN32 src/app/Main.cpp src/app/WindowEntry.cpp src/platform/win32/WindowLibrary.cpp
               data/windows/jotcrate.rc)
target_link_libraries(jotcrate PRIVATE jotcrate_app)
target_compile_definitions(jotcrate PRIVATE JOTCRATE_VERSION="${PROJECT_VERSION}"
                           JOTCRATE_INSTALLED_BINDIR="${CMAKE_INSTALL_FULL_BINDIR}")
target_link_options(jotcrate PRIVATE -static -static-libgcc -static-libstdc++)
set_source_files_properties(data/windows/jotcrate.rc PROPERTIES
  OBJECT_DEPENDS "${PROJECT_SOURCE_DIR}/data/windows/jotcrate.manifest;${PROJECT_SOURCE_DIR}/data/icons/org.jotcrate.Jotcrate.ico")

if(JOTCRATE_TESTS)
  enable_testing()
  add_subdirectory(tests/windows)
endif()
