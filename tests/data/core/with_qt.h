#pragma once

// A core header that slipped a window class in: the build's core check must name it.

#include "layout/model.h"

#include <QWidget>
#include <vector>
