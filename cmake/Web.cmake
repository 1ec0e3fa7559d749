# The browser edition, built by emscripten in build/web with web/CMakeLists.txt, every time
# the build runs (its own build decides what is out of date). The result is
# build/web/hubquill.html; the core's unit tests built for node run under CTest.
include(ExternalProject)
find_program(HUBQUILL_NODE node REQUIRED)
set(HUBQUILL_NODE_PATH "/usr/share/nodejs:/usr/lib/nodejs" CACHE STRING
    "Where node finds Debian's modules (acorn) for emscripten's post-link step")
set(HUBQUILL_WEB_DIR ${CMAKE_BINARY_DIR}/web)
set(HUBQUILL_WEB_HTML ${HUBQUILL_WEB_DIR}/hubquill.html)
ExternalProject_Add(hubquill_web
  SOURCE_DIR ${CMAKE_SOURCE_DIR}/web
  BINARY_DIR ${HUBQUILL_WEB_DIR}
  CONFIGURE_COMMAND ${CMAKE_COMMAND} -E env NODE_PATH=${HUBQUILL_NODE_PATH}
                    ${HUBQUILL_EMCMAKE} ${CMAKE_COMMAND} -S ${CMAKE_SOURCE_DIR}/web
                    -B ${HUBQUILL_WEB_DIR} -G ${CMAKE_GENERATOR}
                    -DHUBQUILL_WEB_TESTS=${HUBQUILL_TESTS}
  BUILD_COMMAND ${CMAKE_COMMAND} -E env NODE_PATH=${HUBQUILL_NODE_PATH}
                ${CMAKE_COMMAND} --build ${HUBQUILL_WEB_DIR} -j2
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${HUBQUILL_WEB_HTML}
  USES_TERMINAL_BUILD ON)

if(HUBQUILL_TESTS)
  add_test(NAME web_core_tests_under_node
           COMMAND ${HUBQUILL_NODE} ${HUBQUILL_WEB_DIR}/tests/hubquill_core_tests_node.js)
endif()
