# Instrumented builds: each option adds its sanitizers to every target. The
# presets in CMakePresets.json (asan, tsan, fuzz) turn them on.
option(PAGESHELL_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(PAGESHELL_TSAN "Build with ThreadSanitizer" OFF)
option(PAGESHELL_FUZZ "Build libFuzzer targets (needs clang)" OFF)

if(PAGESHELL_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
if(PAGESHELL_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
if(PAGESHELL_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()
