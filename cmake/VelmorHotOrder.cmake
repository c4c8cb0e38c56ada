# While the window polls, the program sleeps 55 ms between ticks and wakes each time to cold
# caches: the few functions of a tick and of a telemetry frame cost little to run, but each
# page of code they are spread over costs a fetch of its own. Linked with GNU gold, velmor gets
# them laid out one after the other, in the order of app/hot-functions.txt (made by
# scripts/order-functions from a profile of the polling window). Where gold is not there the
# program is linked as usual; only the layout differs.
option(VELMOR_ORDER_FUNCTIONS "Lay out velmor's polling functions together (needs GNU gold)" ON)

set(VELMOR_HOT_FUNCTIONS ${PROJECT_SOURCE_DIR}/app/hot-functions.txt)
set(VELMOR_ORDER_ACTIVE OFF)
if(VELMOR_ORDER_FUNCTIONS AND NOT VELMOR_SANITIZE AND NOT VELMOR_FUZZ AND CMAKE_SYSTEM_NAME STREQUAL "Linux"
   AND CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    include(CheckLinkerFlag)
    check_linker_flag(CXX "-fuse-ld=gold" VELMOR_HAVE_GOLD)
    if(VELMOR_HAVE_GOLD)
        set(VELMOR_ORDER_ACTIVE ON)
        # One section a function, so that the linker can place each on its own.
        add_compile_options(-ffunction-sections)
    else()
        message(STATUS "GNU gold not found: velmor is linked without ordering its functions")
    endif()
endif()

# Links target with its functions laid out in the order of the list.
function(velmor_order_functions target)
    if(VELMOR_ORDER_ACTIVE)
        target_link_options(${target} PRIVATE -fuse-ld=gold "LINKER:--section-ordering-file=${VELMOR_HOT_FUNCTIONS}")
        set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${VELMOR_HOT_FUNCTIONS})
    endif()
endfunction()
