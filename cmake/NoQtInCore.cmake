# Fails when a file of the core includes a Qt header. The core is compiled for the command
# line, the tests and the browser, none of which has Qt; a Qt include there would break
# those builds, or worse, drag a window class into what decides the bytes.
#
#   cmake -DLIST=<file holding a ;-list of paths> -P NoQtInCore.cmake
#   cmake -DFILES=<path>[;<path>...] -P NoQtInCore.cmake

if(DEFINED LIST)
  file(READ "${LIST}" FILES)
endif()
if(NOT FILES)
  message(FATAL_ERROR "NoQtInCore: no files given")
endif()

# <QString>, <QtCore/qstring.h>, <qstring.h>, "QObject" and the like.
set(qt_include "^[ \t]*#[ \t]*include[ \t]*[<\"](Q[A-Za-z]*|Qt[A-Za-z]*/[^>\"]*|q[a-z]+\\.h)[>\"]")
set(found "")
foreach(file IN LISTS FILES)
  file(STRINGS "${file}" lines REGEX "${qt_include}")
  foreach(line IN LISTS lines)
    string(STRIP "${line}" line)
    list(APPEND found "${file}: ${line}")
  endforeach()
endforeach()
if(found)
  list(JOIN found "\n  " shown)
  message(FATAL_ERROR "The core includes Qt, which it must not (move the file out of the "
                      "core, or the include out of the file):\n  ${shown}")
endif()
