# Puts the styles, the core module and the page script into the page, each where its
# marker comment stands, so the page is one file that needs nothing beside it.
file(READ ${PAGE} page)
file(READ ${STYLE} style)
file(READ ${CORE} core)
file(READ ${SCRIPT} script)
# A script's text must never close its own element early.
foreach(part core script)
  string(FIND "${${part}}" "</script" closing)
  if(NOT closing EQUAL -1)
    message(FATAL_ERROR "${part} holds </script, which would end the page's script early")
  endif()
endforeach()
string(REPLACE "/*STYLE*/" "${style}" page "${page}")
string(REPLACE "/*CORE*/" "${core}" page "${page}")
string(REPLACE "/*SCRIPT*/" "${script}" page "${page}")
file(WRITE ${OUT} "${page}")
