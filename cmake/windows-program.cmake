# The Windows program: its code, resources and the two executables that differ only in
# which drive requests they link.
enable_language(RC)

# Narrow "A" APIs throughout; no Windows header extras we do not use.
add_compile_definitions(WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0600 WINVER=0x0600)

if(MINGW)
  # Everything static: the program imports only Windows' own DLLs.
  add_link_options(-static -static-libgcc -static-libstdc++ -Wl,--large-address-aware)
elseif(MSVC)
  add_compile_definitions(_CRT_SECURE_NO_WARNINGS)
  set(CMAKE_MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
  add_link_options(/LARGEADDRESSAWARE)
endif()

# All of the program but its entry point and its drive requests, so that the tests can
# link it with the emulated drive and their own main.
add_library(korvello_core STATIC
  disc/disc_access.cpp
  disc/playback.cpp
  disc/user_message.cpp
  copy/track_file.cpp
  copy/copy_select_dialog.cpp
  copy/copy_job.cpp
  app/main_window.cpp
  app/play_track_dialog.cpp
  app/about_dialog.cpp)
target_link_libraries(korvello_core PUBLIC korvello_portable comctl32 shell32 user32 gdi32 kernel32)

add_library(korvello_resources OBJECT resources/korvello.rc)
target_include_directories(korvello_resources PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/resources)
set_source_files_properties(resources/korvello.rc PROPERTIES OBJECT_DEPENDS
  "${CMAKE_CURRENT_SOURCE_DIR}/resources/resource.h;${CMAKE_CURRENT_SOURCE_DIR}/resources/korvello.ico;${CMAKE_CURRENT_SOURCE_DIR}/resources/korvello-small.ico;${CMAKE_CURRENT_SOURCE_DIR}/resources/korvello.bmp;${CMAKE_CURRENT_SOURCE_DIR}/resources/korvello.manifest")

add_executable(korvello WIN32 app/winmain.cpp disc/drive_io_platform.cpp
  $<TARGET_OBJECTS:korvello_resources>)
target_link_libraries(korvello PRIVATE korvello_core)

add_executable(korvello-emulated WIN32 app/winmain.cpp $<TARGET_OBJECTS:korvello_resources>)
target_link_libraries(korvello-emulated PRIVATE korvello_core drive_io_emulated)
