# The compile and link settings of a shipped Windows image, shared by the program and its size floor.
function(envrefresh_windows_image target)
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-Wall -Wextra -Werror>)
        # Everything from the compiler's own runtime is linked in, so only system DLLs are imported.
        # The image is stripped and carries no timestamp, so the same sources give the same bytes.
        target_link_options(${target} PRIVATE -static-libgcc -static-libstdc++ -s
            -Wl,--dynamicbase -Wl,--nxcompat -Wl,--tsaware -Wl,--no-insert-timestamp)
        if(CMAKE_SIZEOF_VOID_P EQUAL 4)
            # Nothing in the image registers an SEH frame: GCC's i686 target unwinds with DWARF,
            # and exceptions are off.
            target_link_options(${target} PRIVATE -Wl,--no-seh)
        else()
            target_link_options(${target} PRIVATE -Wl,--high-entropy-va)
        endif()
    elseif(MSVC)
        target_compile_options(${target} PRIVATE /W4 /WX)
        target_link_options(${target} PRIVATE /DYNAMICBASE /NXCOMPAT /Brepro /MANIFEST:NO)
        set_target_properties(${target} PROPERTIES MSVC_RUNTIME_LIBRARY "MultiThreaded")
    endif()
endfunction()
